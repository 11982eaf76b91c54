// The list dialog for tests: each step the test queued acts on the dialog as a
// user would, and the dialog is recorded as it stood before every step and at
// the end. When the steps run out the dialog is closed.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "registrar/BrowseDialogFrontEnd.h"
#include "registrar/DlgDocumentBrowse.h"

class ScriptedBrowseDialog : public BrowseDialogFrontEnd {
 public:
  struct View {
    std::vector<std::string> list;
    int selection;
    bool currentUserChecked;
    bool allUsersChecked;
    bool currentUserEnabled;
    bool allUsersEnabled;
    bool openEnabled;
    DlgDocumentBrowse::Description description;
  };
  using Step = std::function<void(DlgDocumentBrowse&)>;

  void Queue(Step step) { m_steps.push_back(std::move(step)); }

  void RunBrowseDialog(DlgDocumentBrowse& dialog) override {
    for (;;) {
      views.push_back(ViewOf(dialog));
      if (dialog.IsEnded()) return;
      if (m_steps.empty()) {
        dialog.OnCancel();
        return;
      }
      Step step = std::move(m_steps.front());
      m_steps.pop_front();
      step(dialog);
    }
  }

  static View ViewOf(const DlgDocumentBrowse& dialog) {
    using D = DlgDocumentBrowse;
    return {dialog.GetListTexts(),        dialog.GetListSelection(),
            dialog.IsChecked(D::kCurrentUserBox), dialog.IsChecked(D::kAllUsersBox),
            dialog.IsEnabled(D::kCurrentUserBox), dialog.IsEnabled(D::kAllUsersBox),
            dialog.IsOpenEnabled(),       dialog.GetDescription()};
  }

  std::vector<View> views;

 private:
  std::deque<Step> m_steps;
};
