#include "base/MessageText.h"

#include <cstring>

#include "base/BoundedText.h"

namespace {

constexpr int kBufferCount = 6;
constexpr std::size_t kBufferSize = 256;

char g_buffers[kBufferCount][kBufferSize];
int g_nextBuffer = 0;
MessageTableLookup g_table = nullptr;

// The argument a placeholder character stands for: '1'..'9' -> 0..8,
// 'A'..'Z' -> 9..34; -1 for any other character.
int PlaceholderIndex(char c) {
  if (c >= '1' && c <= '9') return c - '1';
  if (c >= 'A' && c <= 'Z') return 9 + (c - 'A');
  return -1;
}

// Walks TMPL and hands every piece of output to EMIT (a string_view each) until
// EMIT returns false. ARG(i) gives argument i or an empty view.
template <class Arg, class Emit>
void Substitute(std::string_view tmpl, Arg arg, Emit emit) {
  std::size_t pos = 0;
  while (pos < tmpl.size()) {
    std::size_t percent = tmpl.find('%', pos);
    if (percent == std::string_view::npos) percent = tmpl.size();
    if (percent > pos && !emit(tmpl.substr(pos, percent - pos))) return;
    if (percent + 1 >= tmpl.size()) return;  // no text, or a '%' closing the template
    char next = tmpl[percent + 1];
    int index = PlaceholderIndex(next);
    if (index >= 0) {
      if (!emit(arg(index))) return;
      pos = percent + 2;
    } else if (next == '%') {
      if (!emit("%")) return;
      pos = percent + 2;
    } else {
      pos = percent + 1;  // the character after '%' is written as it stands
    }
  }
}

}  // namespace

const char* LoadMessageText(unsigned number) {
  char* buffer = g_buffers[g_nextBuffer];
  g_nextBuffer = (g_nextBuffer + 1) % kBufferCount;
  CopyBounded(buffer, kBufferSize, g_table ? g_table(number) : std::string_view());
  return buffer;
}

void SetMessageTable(MessageTableLookup lookup) { g_table = lookup; }

std::size_t SubstitutePlaceholders(char* dest, std::size_t destSize, const char* tmpl,
                                   const char* const* args, unsigned count) {
  if (destSize == 0) return 0;
  dest[0] = '\0';
  if (tmpl == nullptr) return 0;
  std::size_t length = 0;
  auto arg = [&](int index) -> std::string_view {
    if (args == nullptr || static_cast<unsigned>(index) >= count || args[index] == nullptr)
      return {};
    return args[index];
  };
  auto emit = [&](std::string_view piece) {
    std::size_t copied = CopyBounded(dest + length, destSize - length, piece);
    length += copied;
    return copied == piece.size();
  };
  Substitute(tmpl, arg, emit);
  return length;
}

std::string SubstitutePlaceholders(const std::string& tmpl, const std::string* args,
                                   unsigned count) {
  std::string result;
  auto arg = [&](int index) -> std::string_view {
    if (args == nullptr || static_cast<unsigned>(index) >= count) return {};
    return args[index];
  };
  auto emit = [&](std::string_view piece) {
    result.append(piece);
    return true;
  };
  Substitute(tmpl, arg, emit);
  return result;
}
