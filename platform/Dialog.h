// Minimal stand-in for the framework's dialog class: the number of the dialog's
// template and how a modal run ends. It knows no toolkit: a dialog's own class
// holds its logic, and a front-end (terminal, graphical, web page, scripted)
// shows it and hands the user's actions to OnOK and OnCancel.
#pragma once

#include <string>

#include "platform/UserInterface.h"
#include "platform/WinTypes.h"

class CDialog {
 public:
  explicit CDialog(unsigned templateId) : m_nIDTemplate(templateId) {}
  virtual ~CDialog() = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Called when the dialog opens; the stand-in starts a new run.
  virtual BOOL OnInitDialog() {
    m_ended = false;
    m_result = 0;
    return TRUE;
  }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

  void EndDialog(int result) {
    m_result = result;
    m_ended = true;
  }
  bool IsEnded() const { return m_ended; }
  // IDOK or IDCANCEL once ended.
  int GetResult() const { return m_result; }

  const unsigned m_nIDTemplate;

 private:
  bool m_ended = false;
  int m_result = 0;
};

// A dialog text without its "&" mnemonic marks ("&&" stands for "&"), for
// front-ends that show dialogs as text.
inline std::string WithoutMnemonics(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}
