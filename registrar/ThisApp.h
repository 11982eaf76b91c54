// The registrar's application: reads its command line (ThisCmdParse), asks
// once whether to work for all users, and then unregisters, registers, shows
// the summary, opens archives and shows the list dialog, in that order. Tidy
// runs while the command line is read. Every message goes to a message box
// captioned with the application title.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/KelApp.h"
#include "base/KelFileSpecList.h"
#include "catalog/DocumentProfiling.h"
#include "registrar/DocumentOpen.h"
#include "registrar/RegistrarTexts.h"

class CKelException;

class ThisApp : public CKelApp {
 public:
  // Placement choices.
  static constexpr std::uint8_t kCurrentUser = 0;
  static constexpr std::uint8_t kAllUsers = 1;
  static constexpr std::uint8_t kUndecided = 2;

  // Exit codes.
  static constexpr int kExitDone = 0;    // also after the help asked for
  static constexpr int kExitHelp = 1;    // a command-line error, or the all-users question cancelled
  static constexpr int kExitFailed = 2;  // a file, an entry or a request could not be done

  // One file-group list of the command line with the flags it was read under.
  struct FileSpecEntry {
    CKelFileSpecList list;
    bool unregister = false;
    bool allUsers = false;
  };

  static const KelAppDescriptor kDescriptor;

  ThisApp();
  ~ThisApp() override;

  // Creates the message object, runs the command line and keeps its exit code.
  bool InitInstance() override;
  int ExitInstance() override;

  // Runs the command line held (GetCommandLine) and gives the exit code; an
  // exception that escapes is reported as the frame reports it.
  int RunCommandLine();

 private:
  friend class ThisCmdParse;

  // Parses and runs; may throw.
  int Execute();
  // /regserver (REGISTER) or /unregserver.
  int RunServerSwitch(bool registerSettings);
  void Parse();
  void RunCommands();
  void ScanAll(bool unregister);
  void ShowSummary();
  void ShowListDialog();
  void ShowHelp(bool full);

  // Parser hooks.
  void AddFileGroups(CKelFileSpecList list, bool unregister);
  void AskPlacement();
  void Tidy();
  bool ConfirmRemoval(const std::string& path);
  void ReportCommandLineError(CKelException* e);

  void ShowMessage(const std::string& text, DWORD style);
  stow::Placement CurrentPlacement() const;

  std::uint8_t m_placement = kUndecided;
  int m_outputLevel = 2;
  bool m_helpRequested = false;
  std::uint32_t m_parseError = 0;
  bool m_listDialog = false;
  bool m_nothingGiven = true;
  std::vector<FileSpecEntry> m_fileSpecs;
  std::vector<registrar::OpenRequest> m_openRequests;
  registrar::RunCounters m_counters;
  stow::DocumentProfiling m_catalog;
  int m_exitCode = kExitDone;
};
