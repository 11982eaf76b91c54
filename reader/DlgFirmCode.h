// The dialog that lets the user pick the firm code of an archive name that is
// registered for several firm codes (dialog 201). Its steps: OnInitDialog lists
// the firm codes, in the order given, with the first selected; Select takes the
// user's choice; OnOK keeps the selected entry and ends the dialog;
// GetChosenFirmCode reads it back as a number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Dialog.h"
#include "reader/ReaderDialogs.h"

class DlgFirmCode : public CDialog {
 public:
  static constexpr unsigned IDD = 201;
  static constexpr std::string_view kCaption = "Stowra Firm Code Request";
  static constexpr std::string_view kIntroText = "Multiple Documents were found with name:";
  static constexpr std::string_view kPromptText = "Please select the desired &Firm Code:";

  // FIRMCODES must outlive the dialog.
  explicit DlgFirmCode(const std::vector<std::uint32_t>& firmCodes)
      : CDialog(IDD), m_firmCodes(firmCodes) {}

  BOOL OnInitDialog() override;
  // Keeps the selected entry and ends with IDOK; without a selection the dialog
  // stays open.
  void OnOK() override;

  // The list box: the firm codes in decimal, and the selected entry (-1: none).
  const std::vector<std::string>& GetEntries() const { return m_entries; }
  int GetSelection() const { return m_selection; }
  // Selects entry INDEX; false (selection unchanged) when there is none such.
  bool Select(int index);

  // The selected entry read with the foundation's decimal reader (after OK).
  std::uint32_t GetChosenFirmCode() const;

  // Runs the dialog modally through FRONTEND: IDOK or IDCANCEL.
  int DoModal(ReaderDialogFrontEnd& frontEnd);

  std::string m_archiveName;    // shown
  std::string m_selectedEntry;  // the list box's selected string, after OK

 private:
  const std::vector<std::uint32_t>& m_firmCodes;
  std::vector<std::string> m_entries;
  int m_selection = -1;
};
