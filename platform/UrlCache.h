// The browser's URL cache: local files that stand for URLs, kept in one folder.
//
// The folder is $VXST_CACHE_DIR when set, else $XDG_CACHE_HOME/vexost/urlcache,
// else ~/.cache/vexost/urlcache. The cache names its files itself (random names
// with the caller's extension, reduced to letters, digits, '_' and '-'), so no
// URL can place a file anywhere else. An index in the folder records the entries;
// it is rewritten atomically and every call works under a lock on the folder, so
// several processes may share the cache. An entry past its expiry time is no
// longer found; it can still be deleted for an hour, after which the cache deletes
// it itself. Files the index does not know are deleted.
//
// Calls answer TRUE, or FALSE with a Windows error number in GetLastError().
#pragma once

#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

inline constexpr DWORD NORMAL_CACHE_ENTRY = 0x00000001;

// Room the caller provides for the file name of CreateUrlCacheEntryA (MAX_PATH).
inline constexpr DWORD URL_CACHE_FILE_NAME_SIZE = 260;

// Reserves a new, empty local file for URL and writes its full path into FILENAME
// (room for URL_CACHE_FILE_NAME_SIZE characters). The entry exists only after
// CommitUrlCacheEntryA; a file never committed is deleted after an hour.
BOOL CreateUrlCacheEntryA(const char* url, DWORD expectedFileSize, const char* fileExtension,
                          char* fileName, DWORD reserved);

// Makes LOCALFILENAME (a file reserved by CreateUrlCacheEntryA) the entry of URL,
// replacing and deleting an earlier entry of the same URL. An expiry time of zero
// means no expiry. Header info, extension and original URL are not kept.
BOOL CommitUrlCacheEntryA(const char* url, const char* localFileName, FILETIME expireTime,
                          FILETIME lastModifiedTime, DWORD cacheEntryType, BYTE* headerInfo,
                          DWORD headerInfoSize, const char* fileExtension,
                          const char* originalUrl);

// Deletes the entry of URL and its file. ERROR_FILE_NOT_FOUND when there is none.
BOOL DeleteUrlCacheEntryA(const char* url);
inline BOOL DeleteUrlCacheEntry(const char* url) { return DeleteUrlCacheEntryA(url); }

// What the cache knows about one committed entry.
struct UrlCacheEntryInfo {
  std::string localFileName;  // full path
  FILETIME expireTime;
  FILETIME lastModifiedTime;
  DWORD cacheEntryType;
};

// Looks up the committed, unexpired entry of URL; ERROR_FILE_NOT_FOUND when none.
BOOL GetUrlCacheEntryInfo(const char* url, UrlCacheEntryInfo* info);

// The cache folder in use (from the environment, as described above).
std::string GetUrlCacheFolder();

// Test switch: while set, every call that would change the cache fails with
// ERROR_ACCESS_DENIED and changes nothing (tests run as root, so file modes
// cannot refuse anything).
void SetUrlCacheAccessRefused(bool refused);
