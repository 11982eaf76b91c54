// The front-ends of one user-interface service (message boxes, a dialog): a
// graphical one a program that links a toolkit registers, a replacement tests
// put in place, and the terminal ones. Current() follows ChooseUserInterface.
#pragma once

#include <cstdio>

#include "platform/UserInterface.h"

template <class FrontEnd, class TerminalFrontEnd>
class FrontEndChoice {
 public:
  // WITHOUTUSER answers when there is no user at all; by default the terminal
  // front-end that answers with the defaults.
  explicit FrontEndChoice(FrontEnd* withoutUser = nullptr)
      : m_withoutUser(withoutUser ? withoutUser : &m_unattended) {}

  void RegisterGraphical(FrontEnd* frontEnd) { m_graphical = frontEnd; }
  void Replace(FrontEnd* frontEnd) { m_replacement = frontEnd; }

  FrontEnd& Current() {
    if (m_replacement != nullptr) return *m_replacement;
    switch (ChooseUserInterface(m_graphical != nullptr)) {
      case UserInterfaceKind::Graphical: return *m_graphical;
      // Chosen by VXST_UI without a terminal at hand, it answers with the defaults.
      case UserInterfaceKind::Terminal:
        return AnswersFromStandardInput() ? m_interactive : m_unattended;
      case UserInterfaceKind::None: break;
    }
    return *m_withoutUser;
  }

 private:
  TerminalFrontEnd m_interactive{stdin, stderr, true};
  TerminalFrontEnd m_unattended{stdin, stderr, false};
  FrontEnd* m_withoutUser;
  FrontEnd* m_graphical = nullptr;
  FrontEnd* m_replacement = nullptr;
};
