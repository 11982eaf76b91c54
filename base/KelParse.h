// CKelParse: the scanner over a zero-terminated text (command lines, dialog
// input, short specification texts). Its syntax errors are CKelException
// objects thrown by pointer, argument 1 the offending piece of input.
#pragma once

#include "base/TextScanner.h"

class CKelParse : public vxs::TextScanner {
 public:
  // TEXT is not copied: it must outlive the scanner (a null pointer reads as "").
  explicit CKelParse(const char* text = "") { AttachText(text); }
  void SetText(const char* text) { AttachText(text); }

 protected:
  void ThrowSyntaxError(std::uint32_t code, std::string arg1, std::string arg2,
                        std::string location) override;
};
