// Minimal stand-ins for the application framework's exception classes. Framework
// exceptions are created on the heap, thrown by pointer and deleted by the catcher
// (Delete), so every catch site owns what it caught.
#pragma once

#include <typeinfo>

class CException {
 public:
  virtual ~CException() = default;
  // The run-time class name, for diagnostics.
  virtual const char* GetRuntimeClassName() const { return "CException"; }
  template <class T>
  bool IsKindOf() const { return dynamic_cast<const T*>(this) != nullptr; }
  void Delete() { delete this; }
};

// Thrown where the framework would report exhausted memory.
class CMemoryException : public CException {
 public:
  const char* GetRuntimeClassName() const override { return "CMemoryException"; }
  [[noreturn]] static void Throw() { throw new CMemoryException; }
};

// The program's arguments as main received them. AfxWinMain records them; the
// application frame rebuilds its command line from them.
struct AfxProgramArgs {
  int argc = 0;
  char** argv = nullptr;
};
AfxProgramArgs& AfxGetProgramArgs();

// Minimal stand-in for the framework's application class: one object per
// module, constructed statically, found through AfxGetApp.
class CWinApp {
 public:
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Start of the program; false ends it at once (with ExitInstance's result).
  virtual bool InitInstance() { return true; }
  // The program's main loop; the stand-in has no message loop and ends at once.
  virtual int Run() { return ExitInstance(); }
  // End of the program; the result is the process's exit code.
  virtual int ExitInstance() { return 0; }
  // An exception that reached the main loop; the result becomes the exit code.
  // The default throws it on.
  virtual int ProcessMainLoopException(CException* e) { throw e; }

  const char* m_pszAppName;
  // The program's argument text (set by the application frame).
  const char* m_lpCmdLine = "";
};

// The module's application object, or nullptr.
CWinApp* AfxGetApp();

// Runs the module's application object: records the arguments, then
// InitInstance, Run (or ExitInstance when InitInstance fails). An exception
// that escapes goes to ProcessMainLoopException, and ExitInstance still runs.
int AfxWinMain(int argc, char** argv);
