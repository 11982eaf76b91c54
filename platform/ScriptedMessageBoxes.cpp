#include "platform/UserInterface.h"

int ScriptedMessageBoxes::ShowMessageBox(const MessageBoxRequest& request) {
  m_shown.push_back(
      {std::string(request.caption), std::string(request.text), request.style, request.helpContext});
  if (m_answers.empty()) return DefaultMessageBoxAnswer(request.style);
  int answer = m_answers.front();
  m_answers.pop_front();
  return answer;
}
