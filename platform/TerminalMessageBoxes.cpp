#include <cctype>
#include <string>

#include "platform/UserInterface.h"

namespace {

const char* ButtonLabel(int answer) {
  switch (answer) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "?";
  }
}

// "(Y)es, (N)o, (C)ancel [Y]? "
std::string Prompt(const std::vector<int>& answers, int defaultAnswer) {
  std::string prompt;
  for (int answer : answers) {
    if (!prompt.empty()) prompt += ", ";
    const char* label = ButtonLabel(answer);
    prompt += std::string("(") + label[0] + ")" + (label + 1);
  }
  return prompt + " [" + ButtonLabel(defaultAnswer)[0] + "]? ";
}

// The answer whose label begins with the first non-blank character of LINE;
// the default for an empty line, 0 when nothing matches.
int AnswerOfLine(const std::string& line, const std::vector<int>& answers, int defaultAnswer) {
  std::size_t first = line.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return defaultAnswer;
  int letter = std::toupper(static_cast<unsigned char>(line[first]));
  for (int answer : answers)
    if (ButtonLabel(answer)[0] == letter) return answer;
  return 0;
}

}  // namespace

bool ReadTerminalLine(std::FILE* in, std::string& line) {
  line.clear();
  int c;
  while ((c = std::fgetc(in)) != EOF && c != '\n') line += static_cast<char>(c);
  return c != EOF || !line.empty();
}

int TerminalMessageBoxes::ShowMessageBox(const MessageBoxRequest& request) {
  WriteMessageBoxText(m_out, request);
  if (MessageBoxAnswers(request.style).size() == 1 || !m_interactive)
    return DefaultMessageBoxAnswer(request.style);
  return AskAtPrompt(request.style);
}

int TerminalMessageBoxes::AskAtPrompt(DWORD style) {
  std::vector<int> answers = MessageBoxAnswers(style);
  int defaultAnswer = DefaultMessageBoxAnswer(style);
  std::string prompt = Prompt(answers, defaultAnswer);
  std::string line;
  for (;;) {
    std::fputs(prompt.c_str(), m_out);
    std::fflush(m_out);
    if (!ReadTerminalLine(m_in, line)) return defaultAnswer;
    if (int answer = AnswerOfLine(line, answers, defaultAnswer)) return answer;
  }
}
