// stow: the archive viewer.
//
//   stow [ARCHIVE | vexost:URL]
//   stow /Regserver | /Unregserver     write or remove the shell settings
//   stow --help                        the usage
//
// The archive is handed to the reader module, which serves its pages to the
// window's embedded browser under vexost: URLs.
#include "viewer/app/SwDocViewerApp.h"
#include "platform/gtk/ToolkitLeaks.h"

namespace {
CSwDocViewerApp theApp;
}

// Under LeakSanitizer: what the toolkit keeps for the process's life is no leak.
extern "C" const char* __lsan_default_suppressions() { return kToolkitLeaks; }

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
