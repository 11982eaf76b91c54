#include "registrar/BrowseDialogFrontEnd.h"

#include "platform/FrontEndChoice.h"

namespace {
FrontEndChoice<BrowseDialogFrontEnd, TerminalBrowseDialog>& Choice() {
  static FrontEndChoice<BrowseDialogFrontEnd, TerminalBrowseDialog> choice;
  return choice;
}
}  // namespace

void RegisterGraphicalBrowseDialog(BrowseDialogFrontEnd* frontEnd) {
  Choice().RegisterGraphical(frontEnd);
}

void SetBrowseDialogFrontEnd(BrowseDialogFrontEnd* frontEnd) { Choice().Replace(frontEnd); }

BrowseDialogFrontEnd& CurrentBrowseDialogFrontEnd() { return Choice().Current(); }
