#include "reader/ReaderDialogs.h"

#include "platform/FrontEndChoice.h"
#include "reader/TerminalReaderDialogs.h"

namespace {
FrontEndChoice<ReaderDialogFrontEnd, TerminalReaderDialogs>& Choice() {
  static FrontEndChoice<ReaderDialogFrontEnd, TerminalReaderDialogs> choice;
  return choice;
}
}  // namespace

void RegisterGraphicalReaderDialogs(ReaderDialogFrontEnd* frontEnd) {
  Choice().RegisterGraphical(frontEnd);
}

void SetReaderDialogFrontEnd(ReaderDialogFrontEnd* frontEnd) { Choice().Replace(frontEnd); }

ReaderDialogFrontEnd& CurrentReaderDialogFrontEnd() { return Choice().Current(); }
