#include "reader/IECache.h"

#include <algorithm>
#include <array>
#include <vector>

#include "base/KelException.h"
#include "platform/FileSystem.h"
#include "platform/SystemTime.h"
#include "platform/UrlCache.h"
#include "reader/CacheEntryList.h"
#include "reader/MimeTypeTable.h"

namespace {

constexpr std::uint32_t kCopyPiece = 32768;
constexpr std::uint32_t kPlaceholderSize = 1024;
constexpr std::uint64_t kEntryLifetime = 30 * kFileTimeUnitsPerSecond;

constexpr std::array<std::string_view, 11> kPassthroughTypes = {
    "GIF", "BMP", "JPG", "HTML", "HTM", "JPEG", "TXT", "PNG", "WMF", "EMF", "CSS"};
// Documents whose size the browser is told nothing about.
constexpr std::array<std::string_view, 5> kUnknownSizeTypes = {"XLS", "DOC", "PPT", "PPS", "VSD"};

template <std::size_t N>
bool IsOneOf(std::string_view type, const std::array<std::string_view, N>& types) {
  return std::find(types.begin(), types.end(), type) != types.end();
}

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::uint32_t DeliverySize(const ThisVxbFile& archive) {
  if (!archive.GetPageText().empty())
    return static_cast<std::uint32_t>(archive.GetPageText().size());
  std::int32_t slot = archive.GetCurrentSlot();
  if (slot < 0 || static_cast<std::uint32_t>(slot) >= archive.GetSlotCount()) return 0;
  return archive.GetSlot(static_cast<std::uint32_t>(slot)).expandedLength;
}

}  // namespace

IECache::IECache(IInternetProtocolSink* sink, std::string url, std::string type,
                 ThisVxbFile* archive)
    : m_url(std::move(url)),
      m_type(std::move(type)),
      m_archive(archive),
      m_size(DeliverySize(*archive)),
      m_sink(sink) {}

void IECache::Start() {
  ReportMimeType();
  if (NeedsCacheFile()) MakeCacheEntry();
  AnnounceData();
}

void IECache::ReportMimeType() {
  std::string mime = MimeTypeTable::Instance().Lookup(m_type);
  if (!mime.empty()) m_sink->ReportProgress(BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE, mime.c_str());
}

void IECache::MakeCacheEntry() {
  char fileName[URL_CACHE_FILE_NAME_SIZE];
  if (!CreateUrlCacheEntryA(m_url.c_str(), 0, m_type.c_str(), fileName, 0))
    CKelException::Throw(1000, "CreateUrlCacheEntry failed.");
  m_cacheFileName = fileName;
  try {
    WriteCacheFile();
  } catch (...) {
    DiscardCacheFile();
    throw;
  }
  CacheEntryList::Instance().Add(m_url);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  FILETIME expire = FileTimeFromUInt64(FileTimeToUInt64(now) + kEntryLifetime);
  if (!CommitUrlCacheEntryA(m_url.c_str(), m_cacheFileName.c_str(), expire, now,
                            NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr))
    CKelException::Throw(1000, "CommitUrlCacheEntry failed.");
  m_sink->ReportProgress(BINDSTATUS_CACHEFILENAMEAVAILABLE, m_cacheFileName.c_str());
}

void IECache::DiscardCacheFile() noexcept {
  // A cache file cut short (a full disk, a damaged topic) is never committed; it
  // goes too, so that nothing half-written stays in the cache folder.
  try {
    CKelFile(m_cacheFileName).Delete(false);
  } catch (CException* e) {
    delete e;
  }
}

void IECache::AnnounceData() {
  if (IsOneOf(m_type, kUnknownSizeTypes))
    m_sink->ReportData(BSCF_AVAILABLEDATASIZEUNKNOWN, 0, 0);
  else
    m_sink->ReportData(
        BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE, m_size,
        m_size);
}

bool PassthroughCache::Read(void* memory, std::uint32_t size, std::uint32_t& count) {
  return m_archive->ReadTopicData(memory, size, count);
}

FileCache::FileCache(IInternetProtocolSink* sink, std::string url, std::string type,
                     ThisVxbFile* archive)
    : IECache(sink, std::move(url), std::move(type), archive), m_remaining(m_size) {}

void FileCache::CreateCacheFile() {
  m_cacheFile.CreateNew(m_cacheFileName, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_ARCHIVE);
}

void FileCache::WriteCacheFile() {
  CreateCacheFile();
  std::vector<char> piece(kCopyPiece);
  std::uint64_t written = 0;
  bool ended = false;
  while (!ended) {
    std::uint32_t count = 0;
    ended = m_archive->ReadTopicData(piece.data(), kCopyPiece, count);
    m_cacheFile.Write(piece.data(), count);
    written += count;
  }
  m_cacheFile.Seek(0, FILE_BEGIN);
  // A damaged topic may deliver less than its length promised: serve what is there.
  m_remaining = static_cast<std::uint32_t>(std::min<std::uint64_t>(written, m_size));
}

bool FileCache::Read(void* memory, std::uint32_t size, std::uint32_t& count) {
  count = 0;
  if (m_remaining == 0) return true;
  std::uint32_t k = std::min(size, m_remaining);
  m_cacheFile.Read(memory, k);
  count = k;
  m_remaining -= k;
  if (m_remaining > 0) return false;
  m_cacheFile.Close();
  return true;
}

bool DummyFileCache::Read(void* memory, std::uint32_t size, std::uint32_t& count) {
  return m_archive->ReadTopicData(memory, size, count);
}

void DummyFileCache::WriteCacheFile() {
  CreateCacheFile();
  const std::string placeholder(kPlaceholderSize, ' ');
  m_cacheFile.Write(placeholder.data(), placeholder.size());
  m_cacheFile.Close();
}

DeliveryKind DeliveryKindOf(std::string_view type) {
  if (type == "PDF") return DeliveryKind::DummyFile;
  if (IsOneOf(type, kPassthroughTypes)) return DeliveryKind::Passthrough;
  return DeliveryKind::File;
}

std::unique_ptr<IECache> CreateDeliveryObject(IInternetProtocolSink* sink, std::string url,
                                              ThisVxbFile* archive) {
  std::string type = UpperAscii(archive->GetTopicExtension());
  switch (DeliveryKindOf(type)) {
    case DeliveryKind::DummyFile:
      return std::make_unique<DummyFileCache>(sink, std::move(url), std::move(type), archive);
    case DeliveryKind::Passthrough:
      return std::make_unique<PassthroughCache>(sink, std::move(url), std::move(type), archive);
    case DeliveryKind::File: break;
  }
  return std::make_unique<FileCache>(sink, std::move(url), std::move(type), archive);
}
