// CKelApp: the application frame of the programs. It carries the application
// descriptor, owns the program's message object, reports the exceptions that
// reach the main loop, takes the command line, reacts to console breaks and
// names the program's companion and help files.
#pragma once

#include <memory>
#include <string>

#include "base/KelAppDescriptor.h"
#include "base/KelConsoleInOut.h"
#include "platform/Framework.h"
#include "platform/WinTypes.h"

class CKelErrorMessage;

class CKelApp : public CWinApp {
 public:
  // The system's version at start-up.
  struct SystemVersion {
    bool ntFamily = true;
    BYTE major = 0;
    BYTE minor = 0;
    std::string name;
    std::string release;
  };

  explicit CKelApp(const KelAppDescriptor* descriptor);
  ~CKelApp() override;

  // Installs and enables the console break handler and takes the command line.
  // Derived classes call it first and then create the message object.
  bool InitInstance() override;
  int ExitInstance() override;
  // Reports the library's exceptions and the framework's out-of-memory
  // exception through ReportException and deletes them; throws others on.
  int ProcessMainLoopException(CException* e) override;

  // Reports E through the message object; the result becomes the program's
  // result (the severity, the user's answer, or an abort's exit code). The
  // caller keeps E and deletes it.
  virtual int ReportException(CException* e);
  // PATH becomes the program's own file path with the extension EXTENSION.
  virtual void MakeCompanionFilePath(std::string& path, const char* extension);
  // PATH (a name, with or without folder) becomes the path of the help file for
  // LANGUAGE (-1: the frame's language), compiled help (.chm) or not (.hlp).
  virtual void GetHelpFilePath(std::string& path, bool compiledHelp, int language = -1);
  // Puts the folder of the program's own file (or of the shared library that
  // holds the frame) in front of NAME.
  virtual void MakeModulePath(std::string& name);
  // Writes "\n%s: Program aborted.\n" with the application name to standard
  // output and returns false, so that the signal ends the process.
  virtual bool OnConsoleAbort(int signal);

  // The one frame of the process, or nullptr.
  static CKelApp* GetFrame();

  const KelAppDescriptor* GetDescriptor() const { return m_pDescriptor; }
  const char* GetAppName() const;
  CKelErrorMessage* GetErrorMessage() const { return m_pErrorMessage.get(); }
  // Makes MESSAGE the program's message object (the frame deletes it).
  void SetErrorMessage(CKelErrorMessage* message);
  CKelConsoleInOut& GetConsole() { return m_console; }
  int GetLanguage() const { return m_language; }
  void SetLanguage(int language) { m_language = language; }
  const SystemVersion& GetSystemVersion() const { return m_systemVersion; }
  // The program's argument text: the command line behind the program name.
  const std::string& GetCommandLine() const { return m_commandLine; }
  void SetCommandLine(std::string commandLine);

  // The command line the system would pass for ARGV: the arguments joined by
  // blanks, each that holds a blank, a double quote, "<", ">" or "|" (or is
  // empty) in double quotes, with its own double quotes written twice; and so is
  // every argument after the program's name that is a path with "/" separators
  // rather than an option ("/home/a/x.vxb", "docs/*.vxb"; not "/i", "/V2/V0" or
  // "/o:/home/a/x.vxb"), since "/" also begins options. A subfolder switch glued
  // to a pattern ("docs/*.vxb/S") stays outside the quotes.
  static std::string BuildCommandLine(int argc, const char* const* argv);
  // The argument text of COMMANDLINE: from the first blank outside double
  // quotes on (the program name skipped).
  static std::string SkipProgramName(const char* commandLine);
  // Two-letter suffix of help files for LANGUAGE: found by the whole language
  // id, then by its primary language; "Us" for any other.
  static const char* HelpLanguageSuffix(int language);
  // Full path of the program's own file (or of the shared library that holds
  // the frame).
  static std::string ModuleFilePath();

 protected:
  const KelAppDescriptor* m_pDescriptor;
  std::unique_ptr<CKelErrorMessage> m_pErrorMessage;
  CKelConsoleInOut m_console;
  int m_language;
  SystemVersion m_systemVersion;
  std::string m_commandLine;
};
