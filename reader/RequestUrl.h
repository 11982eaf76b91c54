// The grammar of vexost: URLs. A URL names an archive (registered name, with an
// optional firm code, or the path of an archive file) and a topic in it (a path
// or a number):
//
//   vexost://MyArchive/dir/page.htm        vexost://FirmCode:10::MyArchive/page.htm
//   vexost://file:/docs/manual.vxb/x.htm    vexost://file:/docs/manual::/x.htm
//   vexost://MyArchive/:12                  a topic by number
//   vexost:  or  vexost:list               the list of registered archives
//
// RequestUrlGrammar holds what the grammar remembers across requests (the last
// URL and the archive prefix) and turns one URL into a RequestUrl. Where a URL
// cannot be served it has a page arranged instead, through RequestUrlServices.
// The archive prefix only spares work: a URL is read as it would be read first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Parsing.h"

// What one URL asks for.
struct RequestUrl {
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;

  // The archive file; empty when the URL began with the archive prefix (the
  // archive open now is meant).
  std::string archivePath;
  std::string archiveName;
  std::uint32_t firmCode = kNone;
  std::uint32_t topicNumber = kNone;
  // Empty with topicNumber kNone too: the archive's start topic.
  std::string topicPath;
  // The archive as the URL names it, as a URL that a topic path completes
  // ("vexost://Manual/", "vexost://file:/x/manual::/"): it names the same
  // archive in any request, whatever came before. Empty for the rare file path
  // that no such URL can name (one that ends with ":" and is not ended by "::").
  std::string archiveUrl;
};

// Where the grammar has pages arranged in place of a topic.
class PageSink {
 public:
  virtual ~PageSink() = default;
  // Error page PAGE (1 to 7) with ARGS as its %1, %2, ...
  virtual void ArrangePage(unsigned page, std::vector<std::string> args) = 0;
  // The list of registered archives (page 11).
  virtual void ArrangeArchiveList() = 0;
};

// What the grammar needs from the reader around it.
class RequestUrlServices : public PageSink {
 public:
  // The file of the registered archive NAME, resolved through the catalog (not
  // quietly); FIRMCODE is the one asked (kNone: any) and receives the one used.
  // Empty when the name cannot be resolved; the page that tells why has then
  // been arranged where there is one.
  virtual std::string ResolveArchive(const std::string& name, std::uint32_t& firmCode) = 0;
  // Deletes the URL cache entries made for the archive served so far.
  virtual void ClearCacheEntries() = 0;
};

// Turns %XX escapes into bytes ("%%" into "%"), "|" into ":" and "\" into "/".
// A "%" before no hexadecimal digit stays as written, as does the character
// after it; an escape of a single digit ("%4g") gives that byte and keeps the
// character after it. An escape of the value 0 ends the text.
std::string UnescapeRequestUrl(std::string_view url);

class RequestUrlGrammar : private vxs::Parsing {
 public:
  // Fills REQUEST from URL (as received, UTF-8). True when the URL names an
  // archive and its archive part was resolved; false when it does not, with a
  // page arranged through SERVICES, or, when resolution failed without one,
  // nothing. Each call overwrites the last URL, also when it fails; archive
  // prefix and record change only with a URL that was read completely.
  bool ParseRequestUrl(std::string_view url, RequestUrl& request, RequestUrlServices& services);

  // The last URL exactly as received.
  const std::string& GetLastUrl() const { return m_lastUrl; }
  // The archive URL of the last URL read completely; URLs that begin with it and
  // whose rest holds no "::" (which would make the archive part run on) skip the
  // archive part.
  const std::string& GetArchivePrefix() const { return m_archivePrefix; }
  // Forgets the archive prefix (after the archive could not be opened).
  void ClearArchivePrefix() { m_archivePrefix.clear(); }
  // The archive name and firm code given by the last URL read completely whose
  // archive part was parsed (not skipped): the record the error pages and the
  // file dialog name.
  const std::string& GetRecordName() const { return m_recordName; }
  std::uint32_t GetRecordFirmCode() const { return m_recordFirmCode; }

 private:
  // The result of a syntax error at POSITION: page 1 shows the rest from there.
  bool SyntaxError(std::size_t position, RequestUrlServices& services);
  bool ParseScheme(RequestUrlServices& services);
  bool ParseArchivePart(RequestUrl& request, RequestUrlServices& services);
  void ReadFilePart(RequestUrl& request);
  bool ReadFirmCodePart(RequestUrl& request, RequestUrlServices& services);
  bool ReadNamePart(RequestUrl& request);
  bool EndArchivePart(RequestUrl& request, RequestUrlServices& services);
  bool ParseTopicPart(RequestUrl& request, RequestUrlServices& services);
  // Whether the URL may skip its archive part: it begins with the prefix, and
  // nothing after it could make the archive part read differently.
  bool BeginsWithArchivePrefix() const;

  // Whether the rest at the cursor begins with WORD, compared without regard to
  // case; when it does, the cursor moves past it.
  bool SkipWordNoCase(std::string_view word);
  std::string_view Rest() const;
  // Moves the cursor COUNT characters on (never beyond the end of the text).
  void Advance(std::size_t count);

  std::string m_lastUrl;
  std::string m_archivePrefix;
  std::string m_recordName;
  std::uint32_t m_recordFirmCode = RequestUrl::kNone;
  // Whether the file path of the URL being read took the whole rest of it and
  // would take a topic path after it too: its archive URL needs a "::".
  bool m_fileNeedsSeparator = false;
};
