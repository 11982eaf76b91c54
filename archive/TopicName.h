// Topic names: the UTF-16 paths of an archive's name records, their hash in the
// topic table, their comparison without regard to case, and the candidate paths
// that a request is tried as. Reader and writer of archives share these rules.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace stow {

// UTF-8 to UTF-16; a byte that is not valid UTF-8 becomes U+FFFD. The forms
// with OUT write the text there in place of what it held, in its memory.
std::u16string Utf8ToUtf16(std::string_view text);
void Utf8ToUtf16(std::string_view text, std::u16string& out);
// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
void Utf16ToUtf8(std::u16string_view text, std::string& out);

// The hash of a topic name in windows-1252 (at least one character): five of its
// characters, lowered as windows-1252 lowers them and taken as signed bytes, in
// wrapping 32-bit arithmetic with the factor 96.
std::uint32_t TopicNameHash(std::string_view cp1252Name);

// The home slot of the UTF-8 path PATH (not empty) in a table of SLOTCOUNT
// (at least one) slots: the hash of its windows-1252 form modulo the slot count.
std::uint32_t HomeSlot(std::string_view path, std::uint32_t slotCount);

// A UTF-16 character lowered as windows-1252 lowers its characters; characters
// the code page lacks stay as they are.
char16_t LowerTopicChar(char16_t c);

// Whether two UTF-16 names are equal without regard to case (LowerTopicChar).
bool TopicNamesEqual(std::u16string_view a, std::u16string_view b);

// The paths that a request is tried as: REQUEST as written (from the archive's
// root) first, so that the answer depends on the request alone wherever the
// archive holds that path; then, as a fallback for links of pages that were
// served from another folder than their own, against the folder of the HTML page
// opened last (BASEPATH, no trailing "/") and each of its parents. For the base
// a/b and the request x: x, a/b/x, a/x.
class CandidatePaths {
 public:
  CandidatePaths(std::string_view basePath, std::string_view request);
  // The next candidate into PATH; false when there is none left.
  bool Next(std::string& path);
  // Whether the candidate given last is the request as written.
  bool AsWritten() const { return m_given == 1; }

 private:
  std::string_view m_folder;  // the folder of the next fallback candidate
  std::string_view m_request;
  unsigned m_given = 0;  // candidates given so far
};

}  // namespace stow
