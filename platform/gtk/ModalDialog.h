// Running GTK dialogs modally, parented to the program's active window. Tests
// put a hook in place of the user: it gets each dialog once it is built, may
// change its widgets (found by their names) and answers with a response.
#pragma once

// After the platform headers: GTK defines TRUE and FALSE as macros.
#include "platform/WinTypes.h"

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <string_view>

// The window a new dialog belongs to: the active top-level window, else the
// first visible one, else nullptr.
GtkWindow* ActiveWindow();

// A new empty modal dialog titled CAPTION, belonging to the active window.
GtkWidget* NewModalDialog(std::string_view caption);

// Runs DIALOG modally (or through the hook) and returns its response.
// The dialog is not destroyed.
int RunModalDialog(GtkDialog* dialog);

// HOOK answers every later dialog in place of the user; an empty function
// returns to the user.
using ModalDialogHook = std::function<int(GtkDialog*)>;
void SetModalDialogHook(ModalDialogHook hook);

// The widget named NAME (gtk_widget_set_name) inside ROOT, or nullptr.
GtkWidget* FindNamedWidget(GtkWidget* root, const std::string& name);

// A dialog text with its "&" mnemonic marks as GTK's "_" ("&&" stands for "&",
// and a "_" of the text is kept as it stands).
std::string GtkMnemonics(const std::string& text);

// A text without its "\r" characters, for labels (texts of the system end
// lines with "\r\n").
std::string WithoutCarriageReturns(const std::string& text);
