// Message boxes as GTK message dialogs: the caption as title, the icon and
// buttons of the style, the default button focused. Closing the box answers
// Cancel where the box has it, else its default button.
#pragma once

#include "platform/UserInterface.h"

class GtkMessageBoxes : public MessageBoxFrontEnd {
 public:
  int ShowMessageBox(const MessageBoxRequest& request) override;
};

// The label of the button of ANSWER (IDOK ...), with its mnemonic.
const char* MessageBoxButtonLabel(int answer);
