#include "reader/TerminalReaderDialogs.h"

#include <cctype>
#include <cstdlib>

#include "base/KelFile.h"
#include "platform/UserInterface.h"
#include "reader/DlgFileSelect.h"
#include "reader/DlgFirmCode.h"

namespace {

// The answer without blanks around it.
std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The upper-case first letter of ANSWER, or 0 when it is no single word.
char Letter(const std::string& answer) {
  return answer.empty() ? 0 : static_cast<char>(std::toupper(static_cast<unsigned char>(answer[0])));
}

// Entry number (1 to COUNT) typed in ANSWER, or 0.
int EntryNumber(const std::string& answer, std::size_t count) {
  if (answer.empty() || answer.size() > 9 || answer.find_first_not_of("0123456789") != std::string::npos)
    return 0;
  const long number = std::strtol(answer.c_str(), nullptr, 10);
  return number >= 1 && static_cast<std::size_t>(number) <= count ? static_cast<int>(number) : 0;
}

}  // namespace

void TerminalReaderDialogs::WriteLine(const std::string& line) {
  std::fputs(line.c_str(), m_out);
  std::fputc('\n', m_out);
  std::fflush(m_out);
}

bool TerminalReaderDialogs::Ask(const std::string& prompt, std::string& answer) {
  std::fputs(prompt.c_str(), m_out);
  std::fflush(m_out);
  if (!ReadTerminalLine(m_in, answer)) return false;
  answer = Trimmed(answer);
  return true;
}

void TerminalReaderDialogs::ShowFirmCodeDialog(const DlgFirmCode& dialog) {
  WriteLine(std::string(DlgFirmCode::kCaption));
  WriteLine(std::string(DlgFirmCode::kIntroText));
  WriteLine("  " + dialog.m_archiveName);
  WriteLine(WithoutMnemonics(std::string(DlgFirmCode::kPromptText)));
  const std::vector<std::string>& entries = dialog.GetEntries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const bool selected = static_cast<int>(i) == dialog.GetSelection();
    WriteLine("  " + std::to_string(i + 1) + ") " + entries[i] + (selected ? "  *" : ""));
  }
}

int TerminalReaderDialogs::WaitForFirmCodeButton(DlgFirmCode& dialog) {
  ShowFirmCodeDialog(dialog);
  if (!m_interactive) return dialog.GetSelection() >= 0 ? IDOK : IDCANCEL;
  std::string answer;
  for (;;) {
    if (!Ask("Number of the firm code, (O)K or (C)ancel [O]? ", answer)) return IDCANCEL;
    if (answer.empty() || (answer.size() == 1 && Letter(answer) == 'O')) return IDOK;
    if (answer.size() == 1 && Letter(answer) == 'C') return IDCANCEL;
    if (const int number = EntryNumber(answer, dialog.GetEntries().size())) {
      dialog.Select(number - 1);
      return IDOK;
    }
  }
}

void TerminalReaderDialogs::ShowFileSelectDialog(const DlgFileSelect& dialog) {
  WriteLine(std::string(DlgFileSelect::kCaption));
  WriteLine(dialog.GetFileLine());
  if (!dialog.GetDocumentLine().empty()) WriteLine(dialog.GetDocumentLine());
}

int TerminalReaderDialogs::WaitForFileSelectButton(DlgFileSelect& dialog) {
  ShowFileSelectDialog(dialog);
  if (!m_interactive) return IDCANCEL;
  std::string answer;
  const std::string prompt = WithoutMnemonics(std::string(DlgFileSelect::kPromptText));
  if (!Ask(prompt + " [" + dialog.GetFilePath() + "] ", answer)) return IDCANCEL;
  if (!answer.empty()) dialog.SetFilePath(answer);
  if (dialog.IsUpdateRegistryEnabled()) {
    const std::string question = WithoutMnemonics(std::string(DlgFileSelect::kUpdateRegistryText));
    const char current = dialog.GetUpdateRegistry() ? 'y' : 'n';
    if (!Ask(question + " (y/n) [" + current + "]? ", answer)) return IDCANCEL;
    if (Letter(answer) == 'Y' || Letter(answer) == 'N') dialog.SetUpdateRegistry(Letter(answer) == 'Y');
  }
  for (;;) {
    if (!Ask("(O)K, (F)ind..., (C)ancel [O]? ", answer)) return IDCANCEL;
    switch (answer.empty() ? 'O' : Letter(answer)) {
      case 'O': return IDOK;
      case 'F': return DlgFileSelect::kFindButton;
      case 'C': return IDCANCEL;
      default: break;
    }
  }
}

bool TerminalReaderDialogs::ChooseFileToOpen(const FileOpenRequest& request, std::string& path) {
  if (!m_interactive) return false;
  WriteLine(request.title);
  std::string answer;
  if (!Ask("File name [" + request.startName + "]: ", answer)) return false;
  if (answer.empty()) answer = request.startName;
  if (answer.empty()) return false;
  // As the system's dialog does, a name typed without extension gets the
  // default one, unless a file of that very name exists.
  const CKelFile typed(answer);
  if (typed.GetPart(vxs::kPartExtension).empty() && !typed.Exists()) answer += request.defaultExtension;
  CKelFile chosen(answer);
  chosen.MakeFullPath();
  path = chosen.GetPath();
  return true;
}
