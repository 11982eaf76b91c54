#include "base/Parsing.h"

#include <algorithm>
#include <cstring>

#include "base/KelException.h"

namespace vxs {

void Parsing::SetText(std::string text) {
  m_text = std::move(text);
  AttachText(m_text.c_str());
}

void Parsing::SetPosition(std::size_t position) {
  m_pCursor = m_text.c_str() + std::min(position, std::strlen(m_text.c_str()));
  LookAt();
}

void Parsing::ThrowSyntaxError(std::uint32_t code, std::string arg1, std::string arg2,
                               std::string location) {
  if (location.empty()) throw Exception(code, std::move(arg1), std::move(arg2));
  throw Exception(code, std::move(arg1), std::move(arg2), {}, std::move(location));
}

}  // namespace vxs
