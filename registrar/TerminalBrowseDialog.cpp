#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "platform/UserInterface.h"
#include "registrar/BrowseDialogFrontEnd.h"
#include "registrar/DlgDocumentBrowse.h"

namespace {

std::string Text(std::string_view text) { return WithoutMnemonics(std::string(text)); }

std::string Box(const DlgDocumentBrowse& dialog, int id, std::string_view text) {
  std::string box = dialog.IsChecked(id) ? "[x] " : "[ ] ";
  box += Text(text);
  if (!dialog.IsEnabled(id)) box += " (disabled)";
  return box;
}

}  // namespace

void TerminalBrowseDialog::Show(const DlgDocumentBrowse& dialog) {
  using D = DlgDocumentBrowse;
  std::string text = std::string(D::kCaption) + "\n" + Text(D::kListLabel) + "\n";
  const std::vector<std::string> names = dialog.GetListTexts();
  const int selection = dialog.GetListSelection();
  for (std::size_t i = 0; i < names.size(); ++i) {
    text += (static_cast<int>(i) == selection ? "  > " : "    ") + std::to_string(i + 1) + ". " + names[i] + "\n";
  }
  if (names.empty()) text += "    (none)\n";
  text += Box(dialog, D::kCurrentUserBox, D::kCurrentUserText) + "   " +
          Box(dialog, D::kAllUsersBox, D::kAllUsersText) + "\n";
  const D::Description& description = dialog.GetDescription();
  text += std::string(D::kGroupText) + "\n";
  const std::pair<std::string_view, const std::string*> fields[] = {
      {D::kTitleLabel, &description.title},       {D::kCopyrightLabel, &description.copyright},
      {D::kPathLabel, &description.path},         {D::kFirmCodeLabel, &description.firmCode},
      {D::kBuildDateLabel, &description.buildDate}};
  for (const auto& [label, value] : fields) {
    std::string name = Text(label);
    name.resize(std::max<std::size_t>(name.size() + 1, 12), ' ');
    text += "  " + name + *value + "\n";
  }
  std::fputs(text.c_str(), m_out);
  std::fflush(m_out);
}

bool TerminalBrowseDialog::Perform(DlgDocumentBrowse& dialog, const std::string& line) {
  const std::size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos) return true;
  const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(line[first])));
  if (std::isdigit(static_cast<unsigned char>(c))) {
    dialog.OnSelectionChange(std::atoi(line.c_str() + first) - 1);
  } else if (c == 'o') {
    dialog.OnOK();
  } else if (c == 'c' || c == 'a') {
    const int box = c == 'c' ? DlgDocumentBrowse::kCurrentUserBox : DlgDocumentBrowse::kAllUsersBox;
    dialog.OnCheckBox(box, !dialog.IsChecked(box));
  } else if (c == 'q') {
    dialog.OnCancel();
  }
  return !dialog.IsEnded();
}

void TerminalBrowseDialog::RunBrowseDialog(DlgDocumentBrowse& dialog) {
  Show(dialog);
  if (!m_interactive) return;
  std::string line;
  for (;;) {
    std::fputs(dialog.IsOpenEnabled() ? "Number to select, (O)pen, (C)urrent user, (A)ll users, (Q) Close [Q]? "
                                      : "(C)urrent user, (A)ll users, (Q) Close [Q]? ",
               m_out);
    std::fflush(m_out);
    if (!ReadTerminalLine(m_in, line) || !Perform(dialog, line.empty() ? "q" : line)) return;
    Show(dialog);
  }
}
