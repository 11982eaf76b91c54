// The registrar's command-line parser: the options of the registrar, each
// handed to the application as it is read; a command-line error is reported at
// once and ends parsing.
#pragma once

#include <vector>

#include "base/KelCmdParse.h"
#include "base/KelFileSpecList.h"

class ThisApp;

class ThisCmdParse : public CKelCmdParse {
 public:
  // TEXT must outlive the parser.
  ThisCmdParse(ThisApp& app, const char* text) : CKelCmdParse(text), m_app(app) {}

  // Reads the whole command line: the options, then one more file-group list,
  // then the end of the line (2022 otherwise).
  void ParseCommandLine();

  // The flags of every file-group list.
  static constexpr unsigned kListFlags = kWildcards | kEndAtOption | kFullPath;
  // The error of a folder in a file spec after the first of a list.
  static constexpr std::uint32_t kFolderInLaterSpec = 2101;

 protected:
  bool HandleOption() override;
  void OnOptionError(CKelException* e) override;

 private:
  void ReadFileGroups(bool unregister);
  // One or more file-group lists: a file spec with a folder after the first
  // begins a new list (the shell hands expanded patterns over as paths), and
  // lists of the same folder are joined.
  std::vector<CKelFileSpecList> ReadLists();
  void ReadOpenRequest();
  void ReadOutputLevel();
  void ReadTrailingList();
  // Stops parsing: the cursor goes to the end of the text.
  void StopParsing();

  ThisApp& m_app;
};
