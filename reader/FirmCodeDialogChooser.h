// The catalog's firm-code choice (an archive name registered for several firm
// codes) put to the user in the firm-code dialog.
#pragma once

#include "catalog/ResolveInterfaces.h"
#include "reader/ReaderDialogs.h"

class FirmCodeDialogChooser : public FirmCodeChooser {
 public:
  // FRONTEND shows the dialog; nullptr: the current front-end at each choice.
  explicit FirmCodeDialogChooser(ReaderDialogFrontEnd* frontEnd = nullptr) : m_frontEnd(frontEnd) {}

  bool Choose(const std::string& name, const std::vector<std::uint32_t>& firmCodes,
              std::uint32_t& chosen) override;

 private:
  ReaderDialogFrontEnd* m_frontEnd;
};
