#include "registrar/BrowseDialogFrontEnd.h"

#include "platform/UserInterface.h"

namespace {
BrowseDialogFrontEnd* g_graphical = nullptr;
BrowseDialogFrontEnd* g_replacement = nullptr;
}  // namespace

void RegisterGraphicalBrowseDialog(BrowseDialogFrontEnd* frontEnd) { g_graphical = frontEnd; }

void SetBrowseDialogFrontEnd(BrowseDialogFrontEnd* frontEnd) { g_replacement = frontEnd; }

BrowseDialogFrontEnd& CurrentBrowseDialogFrontEnd() {
  if (g_replacement != nullptr) return *g_replacement;
  static TerminalBrowseDialog interactive(stdin, stderr, true);
  static TerminalBrowseDialog unattended(stdin, stderr, false);
  switch (ChooseUserInterface(g_graphical != nullptr)) {
    case UserInterfaceKind::Graphical: return *g_graphical;
    case UserInterfaceKind::Terminal: return AnswersFromStandardInput() ? interactive : unattended;
    case UserInterfaceKind::None: break;
  }
  return unattended;
}
