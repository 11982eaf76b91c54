#include "platform/Framework.h"

namespace {
CWinApp* g_app = nullptr;
}

AfxProgramArgs& AfxGetProgramArgs() {
  static AfxProgramArgs args;
  return args;
}

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName ? appName : "") { g_app = this; }

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

int AfxWinMain(int argc, char** argv) {
  AfxGetProgramArgs() = {argc, argv};
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  try {
    return app->InitInstance() ? app->Run() : app->ExitInstance();
  } catch (CException* e) {
    const int result = app->ProcessMainLoopException(e);
    app->ExitInstance();
    return result;
  }
}
