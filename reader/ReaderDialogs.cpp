#include "reader/ReaderDialogs.h"

#include <cstdio>

#include "platform/UserInterface.h"
#include "reader/TerminalReaderDialogs.h"

namespace {
ReaderDialogFrontEnd* g_graphical = nullptr;
ReaderDialogFrontEnd* g_replacement = nullptr;
}  // namespace

void RegisterGraphicalReaderDialogs(ReaderDialogFrontEnd* frontEnd) { g_graphical = frontEnd; }

void SetReaderDialogFrontEnd(ReaderDialogFrontEnd* frontEnd) { g_replacement = frontEnd; }

ReaderDialogFrontEnd& CurrentReaderDialogFrontEnd() {
  if (g_replacement != nullptr) return *g_replacement;
  static TerminalReaderDialogs interactive(stdin, stderr, true);
  static TerminalReaderDialogs unattended(stdin, stderr, false);
  switch (ChooseUserInterface(g_graphical != nullptr)) {
    case UserInterfaceKind::Graphical: return *g_graphical;
    // Chosen by VXST_UI without a terminal at hand, it answers with the defaults.
    case UserInterfaceKind::Terminal: return AnswersFromStandardInput() ? interactive : unattended;
    case UserInterfaceKind::None: break;
  }
  return unattended;
}
