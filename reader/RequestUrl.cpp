#include "reader/RequestUrl.h"

#include "base/KelException.h"
#include "reader/AsciiText.h"
#include "reader/ReaderPages.h"

namespace {

constexpr std::uint32_t kMaxFirmCode = 0xFFFFF;
constexpr std::uint32_t kMaxEscapeValue = 255;
constexpr std::string_view kArchiveExtension = ".vxb/";

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The text before the first zero byte: the URL as a zero-terminated text reads it.
std::string_view BeforeZero(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

std::string UnescapeRequestUrl(std::string_view url) {
  url = BeforeZero(url);
  std::string out;
  out.reserve(url.size());
  for (std::size_t i = 0; i < url.size();) {
    const char c = url[i];
    if (c == '%' && i + 1 < url.size() && url[i + 1] == '%') {
      out += '%';
      i += 2;
    } else if (c == '%' && i + 1 < url.size() && IsHexDigit(url[i + 1])) {
      // One or two digits; the character after a single digit is kept.
      vxs::Parsing digits(std::string(url.substr(i + 1, 2)));
      const std::uint32_t value = digits.ReadNumber(vxs::TextScanner::kHexadecimal, kMaxEscapeValue);
      if (value == 0) break;  // a zero byte would end the text anyway: cut it here
      out += static_cast<char>(value);
      i += 1 + digits.GetPosition();
    } else {
      out += c == '|' ? ':' : c == '\\' ? '/' : c;
      ++i;
    }
  }
  return out;
}

bool RequestUrlGrammar::ParseRequestUrl(std::string_view url, RequestUrl& request,
                                        RequestUrlServices& services) {
  m_lastUrl = BeforeZero(url);
  request = RequestUrl{};
  SetText(UnescapeRequestUrl(m_lastUrl));
  if (BeginsWithArchivePrefix()) {
    // The archive open now: neither the catalog nor the cache entries are touched.
    SetPosition(m_archivePrefix.size());
    request.archiveUrl = m_archivePrefix;
    return ParseTopicPart(request, services);
  }
  services.ClearCacheEntries();
  if (!ParseScheme(services) || !ParseArchivePart(request, services) ||
      !ParseTopicPart(request, services))
    return false;
  // Only a URL read completely names the archive open next: a bad topic part
  // must not leave the prefix of an archive that is not open.
  m_archivePrefix = request.archiveUrl;
  m_recordName = request.archiveName;
  m_recordFirmCode = request.firmCode;
  return true;
}

bool RequestUrlGrammar::BeginsWithArchivePrefix() const {
  const std::string& text = GetText();
  return !m_archivePrefix.empty() && text.starts_with(m_archivePrefix) &&
         text.find("::", m_archivePrefix.size()) == std::string::npos;
}

bool RequestUrlGrammar::SyntaxError(std::size_t position, RequestUrlServices& services) {
  services.ArrangePage(kPageWrongSyntax, {GetText().substr(position)});
  return false;
}

std::string_view RequestUrlGrammar::Rest() const { return std::string_view(GetText()).substr(GetPosition()); }

void RequestUrlGrammar::Advance(std::size_t count) { SetCursor(GetCursor() + count); }

bool RequestUrlGrammar::SkipWordNoCase(std::string_view word) {
  if (!AsciiStartsWithNoCase(Rest(), word)) return false;
  Advance(word.size());
  return true;
}

bool RequestUrlGrammar::ParseScheme(RequestUrlServices& services) {
  if (!SkipWordNoCase("vexost:")) return SyntaxError(0, services);
  if (LookAt() != '/') {
    services.ArrangeArchiveList();
    return false;
  }
  Advance(1);
  if (LookAt() != '/') return SyntaxError(GetPosition(), services);
  Advance(1);
  return true;
}

// The parts "file:", "FirmCode:" and names, in any order and repeated, up to an
// empty name.
bool RequestUrlGrammar::ParseArchivePart(RequestUrl& request, RequestUrlServices& services) {
  m_fileNeedsSeparator = false;
  for (;;) {
    if (SkipWordNoCase("file:")) {
      ReadFilePart(request);
    } else if (SkipWordNoCase("FirmCode:")) {
      if (!ReadFirmCodePart(request, services)) return false;
    } else if (!ReadNamePart(request)) {
      return EndArchivePart(request, services);
    }
  }
}

// The path runs to the first "::" (which is passed over); else to the first
// ".vxb/" (any case), the cursor resting on its "/", so that the topic path of
// vexost://file:/docs/a.vxb/page.htm reads the same in any request; else to the
// end less one trailing "/" (the cursor then rests on that "/"). The path is
// taken as written: a client's text never reaches the server's environment.
void RequestUrlGrammar::ReadFilePart(RequestUrl& request) {
  const std::string_view rest = Rest();
  const std::size_t separator = rest.find("::");
  std::string_view path = rest.substr(0, separator);
  m_fileNeedsSeparator = false;
  if (separator == std::string_view::npos) {
    const std::size_t extension = AsciiFindNoCase(rest, kArchiveExtension);
    if (extension != std::string_view::npos) {
      path = rest.substr(0, extension + kArchiveExtension.size() - 1);
    } else {
      if (path.ends_with('/')) path.remove_suffix(1);
      m_fileNeedsSeparator = !AsciiEndsWithNoCase(path, kArchiveExtension.substr(0, 4));
    }
  }
  Advance(path.size() + (separator == std::string_view::npos ? 0 : 2));
  request.archivePath = path;
  request.archiveName.clear();
}

bool RequestUrlGrammar::ReadFirmCodePart(RequestUrl& request, RequestUrlServices& services) {
  const std::size_t start = GetPosition();
  try {
    request.firmCode = ReadNumber(0, kMaxFirmCode);
  } catch (const vxs::Exception&) {
    return SyntaxError(start, services);
  }
  if (Rest().starts_with("::")) Advance(2);
  return true;
}

// A name runs to the first "::" (passed over), else to the first "/" or "#". A
// rest that is empty or begins with "/", "#" or "::" holds no name: false.
bool RequestUrlGrammar::ReadNamePart(RequestUrl& request) {
  const std::string_view rest = Rest();
  if (rest.empty() || rest[0] == '/' || rest[0] == '#' || rest.starts_with("::")) return false;
  const std::size_t separator = rest.find("::");
  const std::size_t end =
      separator != std::string_view::npos ? separator : std::min(rest.find_first_of("/#"), rest.size());
  request.archiveName = rest.substr(0, end);
  Advance(end + (separator != std::string_view::npos ? 2 : 0));
  return true;
}

bool RequestUrlGrammar::EndArchivePart(RequestUrl& request, RequestUrlServices& services) {
  if (request.archivePath.empty()) {
    if (request.archiveName.empty()) {
      services.ArrangePage(kPageWithoutName, {});
      return false;
    }
    request.archivePath = services.ResolveArchive(request.archiveName, request.firmCode);
    if (request.archivePath.empty()) return false;
  }
  // The archive URL ends with "/", so that "vexost://Manual" does not claim
  // "vexost://Manual2/page.htm"; a file path that took the whole rest and does
  // not end with ".vxb" gets a "::" behind it, so that no topic path after it
  // can join the file path. One that ends with ":" would lose it to that "::":
  // no URL names a topic of its archive, and the URL leaves no prefix.
  const std::string archivePart = GetText().substr(0, GetPosition());
  if (!m_fileNeedsSeparator)
    request.archiveUrl = archivePart + "/";
  else if (!archivePart.ends_with(':'))
    request.archiveUrl = archivePart + "::/";
  if (LookAt() == '/') Advance(1);
  return true;
}

// A ":" anywhere makes the rest a topic number (digits up to the first other
// character); else the rest less one trailing "/" is the topic path.
bool RequestUrlGrammar::ParseTopicPart(RequestUrl& request, RequestUrlServices& services) {
  const std::string_view rest = Rest();
  const std::size_t colon = rest.find(':');
  if (colon == std::string_view::npos) {
    request.topicPath = rest.ends_with('/') ? rest.substr(0, rest.size() - 1) : rest;
    request.topicNumber = RequestUrl::kNone;
    return true;
  }
  Advance(colon + 1);
  const std::size_t start = GetPosition();
  try {
    request.topicNumber = ReadDecimal();
  } catch (const vxs::Exception&) {
    return SyntaxError(start, services);
  }
  return true;
}
