// Delivery objects: how one request's data reaches the browser. Each reports the
// MIME type of the topic, puts a file into the browser's URL cache where the kind
// needs one, announces the data and serves the browser's reads.
//
//   PassthroughCache  straight from the archive (pages, images, style sheets, text)
//   FileCache         the whole topic written to a cache file and read from there
//                     (documents and downloads the browser hands to other programs)
//   DummyFileCache    a placeholder cache file, the data straight from the archive
//                     (PDF)
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "archive/VxbFile.h"
#include "base/KelException.h"
#include "base/KelFile.h"
#include "platform/UrlMon.h"

class IECache {
 public:
  // SINK receives the reports (not owned; the handler holds it); URL is the
  // request's URL and the key of the cache entry; TYPE the topic's extension in
  // upper case; ARCHIVE the source of the data (not owned).
  IECache(IInternetProtocolSink* sink, std::string url, std::string type, ThisVxbFile* archive);
  virtual ~IECache() = default;
  IECache(const IECache&) = delete;
  IECache& operator=(const IECache&) = delete;

  // Reports the MIME type, makes and commits the cache entry where one is needed,
  // and announces the data. Cache failures throw the generic error 1000, cache
  // file failures the file errors.
  virtual void Start();
  // Copies up to SIZE bytes into MEMORY, COUNT = bytes copied; true at the end.
  virtual bool Read(void* memory, std::uint32_t size, std::uint32_t& count) = 0;
  virtual bool NeedsCacheFile() const = 0;
  virtual void WriteCacheFile() = 0;

  const std::string& GetType() const { return m_type; }
  const std::string& GetCacheFileName() const { return m_cacheFileName; }
  std::uint32_t GetSize() const { return m_size; }

 protected:
  std::string m_url;
  std::string m_type;
  std::string m_cacheFileName;
  ThisVxbFile* m_archive;
  std::uint32_t m_size;
  IInternetProtocolSink* m_sink;

 private:
  void ReportMimeType();
  void MakeCacheEntry();
  // Deletes the cache file of an entry that could not be written.
  void DiscardCacheFile() noexcept;
  void AnnounceData();
};

class PassthroughCache : public IECache {
 public:
  using IECache::IECache;
  bool Read(void* memory, std::uint32_t size, std::uint32_t& count) override;
  bool NeedsCacheFile() const override { return false; }
  void WriteCacheFile() override {}
};

class FileCache : public IECache {
 public:
  FileCache(IInternetProtocolSink* sink, std::string url, std::string type, ThisVxbFile* archive);
  // Reads what the cache file holds; the file is closed after its last byte.
  bool Read(void* memory, std::uint32_t size, std::uint32_t& count) override;
  bool NeedsCacheFile() const override { return true; }
  // Copies the whole topic into the new cache file and leaves it open at its start.
  void WriteCacheFile() override;

 protected:
  // Creates the cache file under the name the URL cache gave.
  void CreateCacheFile();

  CKelFile m_cacheFile;
  std::uint32_t m_remaining;  // bytes of the cache file still to be read
};

class DummyFileCache : public FileCache {
 public:
  using FileCache::FileCache;
  // Serves the data from the archive, as PassthroughCache does.
  bool Read(void* memory, std::uint32_t size, std::uint32_t& count) override;
  // Writes 1024 blanks into the cache file and closes it.
  void WriteCacheFile() override;
};

enum class DeliveryKind { Passthrough, File, DummyFile };

// The delivery kind of a topic type (already in upper case).
DeliveryKind DeliveryKindOf(std::string_view type);

// The delivery object for the current topic (or page) of ARCHIVE, chosen by its
// type converted to upper case.
std::unique_ptr<IECache> CreateDeliveryObject(IInternetProtocolSink* sink, std::string url,
                                              ThisVxbFile* archive);
