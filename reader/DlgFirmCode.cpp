#include "reader/DlgFirmCode.h"

#include "base/Parsing.h"

BOOL DlgFirmCode::OnInitDialog() {
  CDialog::OnInitDialog();
  m_entries.clear();
  for (std::uint32_t firmCode : m_firmCodes) m_entries.push_back(std::to_string(firmCode));
  m_selection = m_entries.empty() ? -1 : 0;
  m_selectedEntry.clear();
  return TRUE;
}

bool DlgFirmCode::Select(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size()) return false;
  m_selection = index;
  return true;
}

void DlgFirmCode::OnOK() {
  if (m_selection < 0) return;
  m_selectedEntry = m_entries[static_cast<std::size_t>(m_selection)];
  CDialog::OnOK();
}

std::uint32_t DlgFirmCode::GetChosenFirmCode() const {
  vxs::Parsing entry(m_selectedEntry);
  return entry.ReadDecimal();
}

int DlgFirmCode::DoModal(ReaderDialogFrontEnd& frontEnd) {
  OnInitDialog();
  while (!IsEnded()) {
    if (frontEnd.WaitForFirmCodeButton(*this) == IDOK)
      OnOK();
    else
      OnCancel();
  }
  return GetResult();
}
