// CKelFile: the one class through which the system opens, reads, writes, closes,
// deletes, renames and names files. Every failure throws a CKelFileException
// (base/KelException.h) built by ThrowFileError, with a message-table code that
// the system error may replace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/PathText.h"
#include "platform/FileSystem.h"

class CKelFile {
 public:
  explicit CKelFile(std::string path = {});
  virtual ~CKelFile();
  CKelFile(const CKelFile&) = delete;
  CKelFile& operator=(const CKelFile&) = delete;

  // Closes the file if it is open, without reporting a failure of the close, and
  // empties the path.
  virtual void Reset();
  // Closes the file: 1005 (system error 6 when it was not open).
  virtual void Close();
  virtual const std::string& GetPath() const;
  // Writes the system's buffers of the open file to disk: 1010.
  virtual void Flush();
  // Overwrites the file with zeros, cuts it to length 0, dates it 2 January 1980
  // and renames it to a fresh temporary name in its folder, which the path then
  // names. False when the file does not exist.
  virtual bool Wipe();

  // Opens PATH (empty: the path held) with Windows access rights, creation
  // disposition and flags: 1003.
  void OpenExisting(const std::string& path, DWORD access, DWORD disposition, DWORD flags = 0);
  // The same for creating files: 1004.
  void CreateNew(const std::string& path, DWORD access, DWORD disposition, DWORD flags = 0);
  bool IsOpen() const { return m_handle != os::INVALID_FILE_HANDLE; }

  // Reads COUNT bytes; a short read is 1009 with system error 13 (invalid data).
  void Read(void* buffer, std::size_t count);
  // Reads up to COUNT bytes and tells in READ how many came (0 at the end).
  void Read(void* buffer, std::size_t count, std::size_t& read);
  // Reads COUNT bytes at OFFSET without moving the position; a short read is 1009
  // with system error 13.
  void ReadAt(std::uint64_t offset, void* buffer, std::size_t count);
  // Reads SIZE (1 to 4) bytes as a little-endian number: 1009.
  std::uint32_t ReadValue(unsigned size);
  void Write(const void* buffer, std::size_t count);
  // Moves the position (FILE_BEGIN, FILE_CURRENT, FILE_END) and returns it: 1009.
  std::uint64_t Seek(std::int64_t offset, DWORD origin = FILE_BEGIN);
  std::uint64_t GetPosition();
  std::uint64_t GetLength();

  // Deletes the file at the path; true when deleted. A missing file gives false
  // unless MUSTEXIST is set (then 1001); other failures 1013.
  bool Delete(bool mustExist);
  // Whether the path names an existing file (not a folder) / an existing folder.
  bool Exists() const;
  bool FolderExists() const;

  // Makes the path full: current folder applied, "." and ".." resolved.
  void MakeFullPath();
  void SetToCurrentFolder();
  // Expands "%NAME%" references in the path; true when it changed.
  bool ExpandEnvironment();
  // Creates every folder of the path (taken as a folder path) below its drive;
  // existing ones and refused ones are passed over; other failures 1039.
  void CreateFolders();
  // Renames the file within its folder to the name and extension of NEWNAME: 1013,
  // or 1029 (system error 183) when a file of that name exists.
  void Rename(const std::string& newName);
  // Creates an empty temporary file in the folder the path names ("~" and the first
  // three characters of the program's name) and takes its path: 1006.
  void MakeTempName();
  // The same in the folder of FILEPATH, or in the current folder for an empty one.
  void SetTempInFolder(const std::string& filePath = {});

  // Path parts by mask (vxs::kPart*): 12 the folder, 3 the name with extension.
  std::string GetPart(unsigned mask) const;
  std::size_t GetPartStart(unsigned mask) const;
  // Appends a separator (unless the path is empty or ends in one) and NAME.
  void AppendName(const std::string& name);
  // The path as messages show it (vxs::kDisplay* flags, 0 = no length limit).
  std::string DisplayForm(unsigned maxLength, unsigned flags) const;

  // Throws the CKelFileException of a failure of FILE: path = the full path;
  // argument 1 = the path's relative display form, or ARG1 when given; the system
  // error (-1 or -2: the thread's last error) may replace CODE; codes whose text
  // does not name the file get the location 'file "<path>"'.
  [[noreturn]] static void ThrowFileError(const CKelFile& file, std::uint32_t code,
                                          DWORD systemError);
  [[noreturn]] static void ThrowFileError(const CKelFile& file, std::uint32_t code,
                                          DWORD systemError, std::string arg1,
                                          std::string arg2 = {});

 protected:
  // The location text of a file error about this file.
  std::string ErrorLocation() const;
  void OpenWith(const std::string& path, DWORD access, DWORD disposition, DWORD flags,
                std::uint32_t failureCode);

  std::string m_path;
  os::FileHandle m_handle = os::INVALID_FILE_HANDLE;

 private:
  bool OpenToWipe();
  void OverwriteWithZeros();
};
