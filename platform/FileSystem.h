// The one operating-system layer for files. Every file the system touches is
// reached through these calls; each failure records a Windows error number as the
// thread's last error (platform/SystemError.h) and reports false or an invalid
// handle. Path texts may use '\' or '/'; a path with a drive letter or a network
// root names nothing on this system and fails as a missing file would.
//
// A FileHook, when installed, sees every call before the file system does and may
// make it fail or come up short: tests use it to simulate refused access, full
// disks, short reads and vanishing files, and to pretend another current folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "platform/WinTypes.h"

// Access rights, creation dispositions and attribute flags, with their Windows values.
inline constexpr DWORD GENERIC_READ = 0x80000000u;
inline constexpr DWORD GENERIC_WRITE = 0x40000000u;
inline constexpr DWORD GENERIC_ALL = 0x10000000u;
inline constexpr DWORD FILE_READ_DATA = 0x0001;
inline constexpr DWORD FILE_WRITE_DATA = 0x0002;
inline constexpr DWORD FILE_APPEND_DATA = 0x0004;

inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x0001;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x0002;
inline constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x0004;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x0010;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x0020;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x0080;
inline constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x0100;
inline constexpr DWORD FILE_FLAG_WRITE_THROUGH = 0x80000000u;
inline constexpr DWORD FILE_FLAG_RANDOM_ACCESS = 0x10000000u;
inline constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000u;

// Seek origins.
inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD FILE_CURRENT = 1;
inline constexpr DWORD FILE_END = 2;

namespace os {

using FileHandle = int;
inline constexpr FileHandle INVALID_FILE_HANDLE = -1;  // all bits set

enum class FileCall {
  Open,        // open or create a file (path)
  Read,        // read from an open file (the path it was opened with; count)
  Write,       // write to an open file (path; count)
  Seek,        // move or query the position
  Length,      // query the length
  SetLength,   // cut or extend
  SetTimes,    // set access and write times
  Flush,       // write the system's buffers to disk
  Close,       // close (the handle is released even when the call fails)
  Query,       // does a path name a file or folder
  Delete,      // delete a file
  Rename,      // rename (the path is the old one)
  MakeFolder,  // create a folder
  List,        // list the entries of a folder (the folder's path)
  Map,         // map an open file into memory (platform/MappedFile.h)
};

class FileHook {
 public:
  virtual ~FileHook() = default;
  // Called before every call. A non-zero Windows error number makes the call fail
  // with it without reaching the file system. Read and Write may have COUNT lowered:
  // a read then delivers at most that many bytes (the file seems to end there); a
  // write stores that many and fails with ERROR_DISK_FULL.
  virtual DWORD BeforeCall(FileCall call, const std::string& path, std::size_t& count) = 0;
  // The current folder the program should see; empty for the real one.
  virtual std::string CurrentFolder() { return {}; }
};

// Installs HOOK (nullptr removes it); returns the previous one.
FileHook* InstallFileHook(FileHook* hook);
// What the installed hook says about CALL on PATH made by another part of this
// layer (folder listings): ERROR_SUCCESS when there is no hook.
DWORD AskFileHook(FileCall call, const std::string& path);

// Opens or creates a regular file. Nothing blocks: a folder is refused with
// ERROR_DIRECTORY_NOT_SUPPORTED, a pipe, device or socket with ERROR_BAD_FILE_TYPE.
FileHandle OpenFile(const std::string& path, DWORD access, DWORD disposition, DWORD flags);
// Reads until COUNT bytes are in or the file ends; DONE receives the number read.
bool ReadFile(FileHandle file, void* buffer, std::size_t count, std::size_t& done);
// The same from OFFSET, leaving the file's position where it is (a Read call for
// the hook).
bool ReadFileAt(FileHandle file, std::uint64_t offset, void* buffer, std::size_t count,
                std::size_t& done);
// Writes all COUNT bytes (a write that stops short fails with ERROR_DISK_FULL).
bool WriteFile(FileHandle file, const void* buffer, std::size_t count);
bool SeekFile(FileHandle file, std::int64_t offset, DWORD origin, std::uint64_t& position);
bool GetFileLength(FileHandle file, std::uint64_t& length);
bool SetFileLength(FileHandle file, std::uint64_t length);
// Sets the access and modification times (this system keeps no creation time).
bool SetFileTimes(FileHandle file, std::time_t time);
bool FlushFile(FileHandle file);
bool CloseFile(FileHandle file);
// Maps the first LENGTH (at least 1) bytes of FILE, open for reading, into memory,
// read-only and shared with every other mapping of the file; ADDRESS receives the
// first byte. Pages are read from the file as they are first touched: see
// platform/MappedFile.h for touching them safely.
bool MapFile(FileHandle file, std::uint64_t length, const std::uint8_t*& address);
// Releases a mapping of LENGTH bytes at ADDRESS made by MapFile.
void UnmapFile(const std::uint8_t* address, std::uint64_t length);

enum class PathKind { None, File, Folder };
// What PATH names; None (with the last error set) when it names nothing.
PathKind QueryPath(const std::string& path);
// Deletes a file; a folder is refused with ERROR_ACCESS_DENIED.
bool DeleteFile(const std::string& path);
// Renames FROM to TO; an existing TO is never replaced (ERROR_ALREADY_EXISTS).
bool RenameFile(const std::string& from, const std::string& to);
// Creates one folder; an existing one gives ERROR_ALREADY_EXISTS.
bool CreateFolder(const std::string& path);
// Creates a new empty file in FOLDER (empty: the current folder) named PREFIX,
// four hexadecimal digits and ".tmp"; PATH receives its path (FOLDER, a separator
// and the name).
bool CreateTempFile(const std::string& folder, const std::string& prefix, std::string& path);
// The process's current folder (or the one a hook pretends).
std::string CurrentFolder();

}  // namespace os
