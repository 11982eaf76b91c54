// vxstreg: the registrar. Registers and unregisters archives found by file
// groups, tidies the catalog, opens archives in the browser and lists the
// registered ones; see the help text (vxstreg /?).
#include <clocale>

#include "platform/Framework.h"
#include "registrar/ThisApp.h"

namespace {
ThisApp theApp;
}  // namespace

int main(int argc, char** argv) {
  // Build dates are shown in the user's own date format.
  std::setlocale(LC_TIME, "");
  return AfxWinMain(argc, argv);
}
