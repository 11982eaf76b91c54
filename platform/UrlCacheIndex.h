// The URL cache's index: one record per reserved or committed cache file, kept as
// a text file of one line per record. Only names the cache itself makes are
// accepted, so a damaged or altered index can never point outside the folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

struct UrlCacheRecord {
  std::string file;  // name inside the cache folder (IsCacheFileName)
  std::string url;
  bool committed = false;
  std::uint64_t created = 0;  // FILETIME units
  std::uint64_t expire = 0;   // FILETIME units; 0 = never
  std::uint64_t lastModified = 0;
  DWORD entryType = 0;
};

// A file name the cache makes: 16 lower-case hexadecimal digits, optionally a dot
// and an extension of 1 to 16 letters, digits, '_' or '-'.
bool IsCacheFileName(std::string_view name);

// The extension to give a cache file: leading dots dropped, characters other than
// letters, digits, '_' and '-' dropped, at most 16 kept. May be empty.
std::string SanitizeCacheExtension(std::string_view extension);

// Index text <-> records. Lines that do not read as a record are dropped.
std::vector<UrlCacheRecord> ParseUrlCacheIndex(std::string_view text);
std::string FormatUrlCacheIndex(const std::vector<UrlCacheRecord>& records);
