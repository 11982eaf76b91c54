// GTK for the front-end tests: initialised once (on a private Xvfb unless a
// display is given), and a scripted user that answers each modal dialog in turn.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <stdlib.h>

#include <deque>
#include <functional>
#include <string>

#include "platform/gtk/ModalDialog.h"
#include "platform/gtk/tests/XvfbDisplay.h"

inline bool GtkReady() {
  // The file chooser keeps its settings; tests keep them in memory.
  setenv("GSETTINGS_BACKEND", "memory", 0);
  static const bool ready = XvfbDisplay::Ensure() && gtk_init_check(nullptr, nullptr);
  return ready;
}

// Answers the dialogs with the steps queued, one step per dialog; a dialog
// with no step left is cancelled (and counted as unexpected).
class ScriptedUser {
 public:
  using Step = std::function<int(GtkDialog*)>;

  ScriptedUser() {
    SetModalDialogHook([this](GtkDialog* dialog) { return Answer(dialog); });
  }
  ~ScriptedUser() { SetModalDialogHook({}); }

  void Then(Step step) { m_steps.push_back(std::move(step)); }
  int unexpected = 0;
  int dialogs = 0;

 private:
  int Answer(GtkDialog* dialog) {
    ++dialogs;
    if (m_steps.empty()) {
      ++unexpected;
      return GTK_RESPONSE_CANCEL;
    }
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    return step(dialog);
  }

  std::deque<Step> m_steps;
};

inline std::string LabelText(GtkDialog* dialog, const char* name) {
  GtkWidget* label = FindNamedWidget(GTK_WIDGET(dialog), name);
  return label ? gtk_label_get_text(GTK_LABEL(label)) : "<missing>";
}

#define REQUIRE_GTK() ASSERT_TRUE(GtkReady()) << "no display: Xvfb is needed"
