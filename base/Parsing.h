// vxs::Parsing: the scanner over a standard string, the base of text grammars
// written on standard strings (the reader's URL grammar derives from it). It
// holds its own copy of the text; its syntax errors are vxs::Exception objects
// thrown by value, argument 1 the offending piece of input.
#pragma once

#include <string>

#include "base/TextScanner.h"

namespace vxs {

class Parsing : public TextScanner {
 public:
  explicit Parsing(std::string text = {}) { SetText(std::move(text)); }

  // Scanning stops at the end of TEXT or at its first zero byte.
  void SetText(std::string text);
  const std::string& GetText() const { return m_text; }
  // The cursor as an offset into the text.
  std::size_t GetPosition() const { return static_cast<std::size_t>(m_pCursor - m_text.c_str()); }
  void SetPosition(std::size_t position);

 protected:
  void ThrowSyntaxError(std::uint32_t code, std::string arg1, std::string arg2,
                        std::string location) override;

  std::string m_text;
};

}  // namespace vxs
