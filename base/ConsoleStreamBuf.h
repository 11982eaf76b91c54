// vxs::ConsoleStreamBuf: the buffer behind the library's console stream. Without
// a line callback every character goes to standard output at once; with one,
// the characters are collected into lines (a line feed preceded by a carriage
// return) and each line is handed to the callback.
#pragma once

#include <functional>
#include <ostream>
#include <streambuf>
#include <string>

namespace vxs {

class ConsoleStreamBuf : public std::streambuf {
 public:
  using LineCallback = std::function<void(const char*)>;
  // A line longer than this is handed on before its line feed.
  static constexpr std::size_t kMaxLine = 200;

  ConsoleStreamBuf() : m_stream(this) {}
  ~ConsoleStreamBuf() override;

  // Sets (or with an empty callback removes) the line callback; a line
  // collected so far goes to the old callback first.
  void SetLineCallback(LineCallback callback);
  std::ostream& Stream() { return m_stream; }

 protected:
  int_type overflow(int_type c) override;

 private:
  void PassLine();

  std::ostream m_stream;
  LineCallback m_callback;
  std::string m_line;
  bool m_afterCarriageReturn = false;
};

// The library's console stream.
std::ostream& Console();
ConsoleStreamBuf& ConsoleBuffer();

}  // namespace vxs
