#include "base/ConsoleStreamBuf.h"

#include <cstdio>

#include "base/AutoInit.h"

namespace vxs {

namespace {
constinit AutoInit<ConsoleStreamBuf> g_console;
}

ConsoleStreamBuf::~ConsoleStreamBuf() {
  if (!m_line.empty()) PassLine();
}

void ConsoleStreamBuf::SetLineCallback(LineCallback callback) {
  if (!m_line.empty()) PassLine();
  m_callback = std::move(callback);
}

void ConsoleStreamBuf::PassLine() {
  if (m_callback) m_callback(m_line.c_str());
  m_line.clear();
}

ConsoleStreamBuf::int_type ConsoleStreamBuf::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char ch = traits_type::to_char_type(c);
  if (!m_callback) {
    std::fputc(static_cast<unsigned char>(ch), stdout);
    std::fflush(stdout);
    return c;
  }
  if (ch == '\n' && !m_afterCarriageReturn) m_line += '\r';
  m_line += ch;
  m_afterCarriageReturn = ch == '\r';
  if (ch == '\n' || m_line.size() > kMaxLine) PassLine();
  return c;
}

std::ostream& Console() { return g_console.Get().Stream(); }
ConsoleStreamBuf& ConsoleBuffer() { return g_console.Get(); }

}  // namespace vxs
