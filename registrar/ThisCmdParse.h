// The registrar's command-line parser: the options of the registrar, each
// handed to the application as it is read; a command-line error is reported at
// once and ends parsing.
#pragma once

#include "base/KelCmdParse.h"

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

 protected:
  bool HandleOption() override;
  void OnOptionError(CKelException* e) override;

 private:
  void ReadFileGroups(bool unregister);
  void ReadOpenRequest();
  void ReadOutputLevel();
  void ReadTrailingList();
  // Stops parsing: the cursor goes to the end of the text.
  void StopParsing();

  ThisApp& m_app;
};
