#include "reader/FirmCodeDialogChooser.h"

#include "reader/DlgFirmCode.h"

bool FirmCodeDialogChooser::Choose(const std::string& name, const std::vector<std::uint32_t>& firmCodes,
                                   std::uint32_t& chosen) {
  DlgFirmCode dialog(firmCodes);
  dialog.m_archiveName = name;
  if (dialog.DoModal(m_frontEnd ? *m_frontEnd : CurrentReaderDialogFrontEnd()) != IDOK) return false;
  chosen = dialog.GetChosenFirmCode();
  return true;
}
