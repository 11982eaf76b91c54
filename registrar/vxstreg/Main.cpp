// vxstreg: the registrar. Registers and unregisters archives found by file
// groups, tidies the catalog, opens archives in the browser and lists the
// registered ones; see the help text (vxstreg /?).
#include <clocale>

#include "platform/Framework.h"
#include "registrar/ThisApp.h"
#ifdef VXST_GTK
#include "platform/gtk/ToolkitLeaks.h"
#include "registrar/gtk/DesktopFrontEnds.h"

// Under LeakSanitizer: what the toolkit keeps for the process's life is no leak.
extern "C" const char* __lsan_default_suppressions() { return kToolkitLeaks; }
#endif

namespace {
ThisApp theApp;
}  // namespace

int main(int argc, char** argv) {
  // Build dates are shown in the user's own date format.
  std::setlocale(LC_TIME, "");
#ifdef VXST_GTK
  const DesktopFrontEnds desktop;
#endif
  return AfxWinMain(argc, argv);
}
