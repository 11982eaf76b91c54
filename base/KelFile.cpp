#include "base/KelFile.h"

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "base/KelException.h"
#include "base/MessageText.h"
#include "platform/Environment.h"
#include "platform/PathSyntax.h"
#include "platform/SystemError.h"

namespace {

// System error values that stand for the thread's last error.
constexpr DWORD kLastError = static_cast<DWORD>(-1);
constexpr DWORD kLastErrorToo = static_cast<DWORD>(-2);

// Codes of paths that name the wrong kind of thing.
constexpr std::uint32_t kIsFolder = 1041;       // "%1 is a folder, not a file"
constexpr std::uint32_t kNoRegularFile = 1042;  // "%1 is no regular file (...)"
constexpr std::uint32_t kNoFolder = 1043;       // "%1 is no folder"

constexpr unsigned kFileLocationText = 55336;  // file "%1"
constexpr std::size_t kWipePiece = 61440;
constexpr std::time_t kWipeTime = 315619200;  // 2 January 1980, 00:00 UTC

// Codes that system errors of any kind replace.
std::uint32_t GeneralCode(DWORD systemError, std::uint32_t code) {
  switch (systemError) {
    case 2: return 1001;
    case 3: return 1002;
    case 4: return 1012;
    case 5: return 1013;
    case 8: return 1014;
    case 32:
    case 33: return 1022;
    case 6009: return 1010;
    case 183: return 1029;
    case 222: return kNoRegularFile;
    case 267: return kNoFolder;
    case 336: return kIsFolder;
    default: return code;
  }
}

// Codes of errors about a drive as a whole; 0 for other errors.
std::uint32_t DriveCode(DWORD systemError) {
  switch (systemError) {
    case 15:
    case 20:
    case 31: return 1015;
    case 19: return 1017;
    case 21: return 1018;
    case 23:
    case 30: return 1009;
    case 25:
    case 27: return 1019;
    case 26: return 1020;
    case 29: return 1010;
    case 34: return 1021;
    default: return 0;
  }
}

// Codes whose texts name the file already, so they carry no location.
bool TextNamesFile(std::uint32_t code) {
  switch (code) {
    case 1001: case 1002: case 1003: case 1004: case 1005: case 1008:
    case 1009: case 1010: case 1013: case 1022: case 1029:
    case kIsFolder: case kNoRegularFile: case kNoFolder: return true;
    default: return false;
  }
}

// "~" and the first three characters of the program's name.
std::string TempPrefix() {
  return "~" + std::string(program_invocation_short_name).substr(0, 3);
}

}  // namespace

CKelFile::CKelFile(std::string path) : m_path(std::move(path)) {}

CKelFile::~CKelFile() { CKelFile::Reset(); }

void CKelFile::Reset() {
  // A destructor cannot report, so a failure of this close goes unreported; code
  // that must know calls Close.
  if (IsOpen()) os::CloseFile(m_handle);
  m_handle = os::INVALID_FILE_HANDLE;
  m_path.clear();
}

void CKelFile::Close() {
  if (!IsOpen()) ThrowFileError(*this, 1005, ERROR_INVALID_HANDLE);
  const os::FileHandle handle = std::exchange(m_handle, os::INVALID_FILE_HANDLE);
  if (!os::CloseFile(handle)) ThrowFileError(*this, 1005, kLastError);
}

const std::string& CKelFile::GetPath() const { return m_path; }

void CKelFile::Flush() {
  if (!os::FlushFile(m_handle)) ThrowFileError(*this, 1010, kLastError);
}

bool CKelFile::Wipe() {
  CKelFile target(m_path);
  if (!target.OpenToWipe()) return false;
  target.OverwriteWithZeros();
  if (!os::SetFileLength(target.m_handle, 0) || !os::SetFileTimes(target.m_handle, kWipeTime)) {
    ThrowFileError(target, 1010, kLastError);
  }
  target.Close();
  CKelFile temp;
  temp.SetTempInFolder(m_path);
  temp.Delete(true);
  Rename(temp.GetPart(vxs::kPartName | vxs::kPartExtension));
  return true;
}

bool CKelFile::OpenToWipe() {
  m_handle = os::OpenFile(m_path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, 0);
  if (IsOpen()) return true;
  if (GetLastError() == ERROR_FILE_NOT_FOUND) return false;
  ThrowFileError(*this, 1003, kLastError);
}

void CKelFile::OverwriteWithZeros() {
  const std::vector<char> zeros(kWipePiece);
  std::uint64_t left = GetLength();
  Seek(0);
  while (left > 0) {
    const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(left, kWipePiece));
    Write(zeros.data(), piece);
    left -= piece;
  }
}

void CKelFile::OpenWith(const std::string& path, DWORD access, DWORD disposition, DWORD flags,
                        std::uint32_t failureCode) {
  if (!path.empty()) m_path = path;
  if (IsOpen()) os::CloseFile(std::exchange(m_handle, os::INVALID_FILE_HANDLE));
  m_handle = os::OpenFile(m_path, access, disposition, flags);
  if (!IsOpen()) ThrowFileError(*this, failureCode, kLastError);
}

void CKelFile::OpenExisting(const std::string& path, DWORD access, DWORD disposition,
                            DWORD flags) {
  OpenWith(path, access, disposition, flags, 1003);
}

void CKelFile::CreateNew(const std::string& path, DWORD access, DWORD disposition, DWORD flags) {
  OpenWith(path, access, disposition, flags, 1004);
}

void CKelFile::Read(void* buffer, std::size_t count, std::size_t& read) {
  if (!os::ReadFile(m_handle, buffer, count, read)) ThrowFileError(*this, 1009, kLastError);
}

void CKelFile::Read(void* buffer, std::size_t count) {
  std::size_t read = 0;
  Read(buffer, count, read);
  if (read != count) ThrowFileError(*this, 1009, ERROR_INVALID_DATA);
}

void CKelFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) {
  std::size_t read = 0;
  if (!os::ReadFileAt(m_handle, offset, buffer, count, read)) ThrowFileError(*this, 1009, kLastError);
  if (read != count) ThrowFileError(*this, 1009, ERROR_INVALID_DATA);
}

std::uint32_t CKelFile::ReadValue(unsigned size) {
  if (size < 1 || size > 4) ThrowFileError(*this, 1009, ERROR_INVALID_PARAMETER);
  unsigned char bytes[4];
  Read(bytes, size);
  std::uint32_t value = 0;
  for (unsigned i = size; i-- > 0;) value = (value << 8) | bytes[i];
  return value;
}

void CKelFile::Write(const void* buffer, std::size_t count) {
  if (!os::WriteFile(m_handle, buffer, count)) ThrowFileError(*this, 1010, kLastError);
}

std::uint64_t CKelFile::Seek(std::int64_t offset, DWORD origin) {
  std::uint64_t position = 0;
  if (!os::SeekFile(m_handle, offset, origin, position)) ThrowFileError(*this, 1009, kLastError);
  return position;
}

std::uint64_t CKelFile::GetPosition() { return Seek(0, FILE_CURRENT); }

std::uint64_t CKelFile::GetLength() {
  std::uint64_t length = 0;
  if (!os::GetFileLength(m_handle, length)) ThrowFileError(*this, 1009, kLastError);
  return length;
}

bool CKelFile::Delete(bool mustExist) {
  if (os::DeleteFile(m_path)) return true;
  const DWORD error = GetLastError();
  const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  if (missing && !mustExist) return false;
  ThrowFileError(*this, 1013, error);
}

bool CKelFile::Exists() const { return os::QueryPath(m_path) == os::PathKind::File; }

bool CKelFile::FolderExists() const { return os::QueryPath(m_path) == os::PathKind::Folder; }

void CKelFile::MakeFullPath() { m_path = vxs::FullPath(m_path, os::CurrentFolder()); }

void CKelFile::SetToCurrentFolder() { m_path = os::CurrentFolder(); }

bool CKelFile::ExpandEnvironment() {
  std::string expanded = ExpandEnvironmentStrings(m_path);
  if (expanded == m_path) return false;
  m_path = std::move(expanded);
  return true;
}

void CKelFile::CreateFolders() {
  const std::size_t start = DriveRootLength(m_path);
  for (std::size_t end = start + 1; end <= m_path.size(); ++end) {
    const bool atComponentEnd = end == m_path.size() || IsPathSeparator(m_path[end]);
    if (!atComponentEnd || IsPathSeparator(m_path[end - 1])) continue;
    if (os::CreateFolder(m_path.substr(0, end))) continue;
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) {
      ThrowFileError(*this, 1039, error);
    }
  }
}

void CKelFile::Rename(const std::string& newName) {
  const std::string target =
      m_path.substr(0, GetPartStart(vxs::kPartName | vxs::kPartExtension)) +
      newName.substr(vxs::PathPartStart(newName, vxs::kPartName | vxs::kPartExtension));
  if (os::RenameFile(m_path, target)) {
    m_path = target;
    return;
  }
  const DWORD error = GetLastError();
  if (error != ERROR_ALREADY_EXISTS) ThrowFileError(*this, 1013, error);
  const CKelFile existing(target);
  throw new CKelFileException(1029, error, vxs::FullPath(target, os::CurrentFolder()),
                              existing.DisplayForm(0, vxs::kDisplayRelative), {}, {},
                              ErrorLocation());
}

void CKelFile::MakeTempName() {
  std::string path;
  if (!os::CreateTempFile(m_path, TempPrefix(), path)) ThrowFileError(*this, 1006, kLastError);
  m_path = std::move(path);
}

void CKelFile::SetTempInFolder(const std::string& filePath) {
  m_path = filePath.empty() ? os::CurrentFolder()
                            : vxs::PathPart(filePath, vxs::kPartDrive | vxs::kPartFolder);
  MakeTempName();
}

std::string CKelFile::GetPart(unsigned mask) const { return vxs::PathPart(m_path, mask); }

std::size_t CKelFile::GetPartStart(unsigned mask) const {
  return vxs::PathPartStart(m_path, mask);
}

void CKelFile::AppendName(const std::string& name) {
  if (!m_path.empty() && !IsPathSeparator(m_path.back())) m_path += PreferredSeparator(m_path);
  m_path += name;
}

std::string CKelFile::DisplayForm(unsigned maxLength, unsigned flags) const {
  const std::string current =
      (flags & vxs::kDisplayRelative) ? os::CurrentFolder() : std::string();
  return vxs::DisplayPath(m_path, current, maxLength, flags);
}

std::string CKelFile::ErrorLocation() const {
  const std::string shown = DisplayForm(0, vxs::kDisplayRelative | vxs::kDisplayUnquoted);
  return SubstitutePlaceholders(LoadMessageText(kFileLocationText), &shown, 1);
}

void CKelFile::ThrowFileError(const CKelFile& file, std::uint32_t code, DWORD systemError) {
  ThrowFileError(file, code, systemError, file.DisplayForm(0, vxs::kDisplayRelative));
}

void CKelFile::ThrowFileError(const CKelFile& file, std::uint32_t code, DWORD systemError,
                              std::string arg1, std::string arg2) {
  if (systemError == kLastError || systemError == kLastErrorToo) systemError = GetLastError();
  code = GeneralCode(systemError, code);
  if (const std::uint32_t driveCode = DriveCode(systemError)) {
    code = driveCode;
    // A path of this system has no drive part; it keeps naming the file then.
    std::string drive = file.GetPart(vxs::kPartDrive);
    if (!drive.empty()) arg1 = std::move(drive);
  }
  std::string location = TextNamesFile(code) ? std::string() : file.ErrorLocation();
  throw new CKelFileException(code, systemError, vxs::FullPath(file.m_path, os::CurrentFolder()),
                              std::move(arg1), std::move(arg2), {}, std::move(location));
}
