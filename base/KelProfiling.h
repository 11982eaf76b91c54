// CKelProfiling: named settings in the registry or in an INI file behind one
// interface. An object names a key (registry) or a section (INI file) and reads,
// writes and deletes values in it. Key names are built from the application
// descriptor, so every program lands in the same tree:
// "Software\VEXO-SYSTEMS\VEXO-KEY\Stowra[\<application>][\<version>]\<subkey>".
//
// Failures throw CKelException (by pointer) with the codes of the registration
// texts: system error 2 -> 1141 (value not found), 3 -> 1144 (key not found),
// 13 -> 1142 (bad data), any other -> 1140 (no access); argument 1 is the value
// name (for 1144 the location), argument 2 the location: "HKEY_CURRENT_USER\" and
// the key path, or in INI mode the file and section. In INI mode a file that does
// not exist fails with 1001 instead.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/KelAppDescriptor.h"
#include "platform/Registry.h"

class CKelProfiling {
 public:
  // Roots.
  static constexpr int kCurrentUser = 1;
  static constexpr int kLocalMachine = 2;
  static constexpr int kUserThenMachine = 3;  // read the user's first, then the machine's
  static constexpr int kCurrentConfig = 4;
  static constexpr int kClassesRoot = 5;
  // Access.
  static constexpr int kReadOnly = 1;
  static constexpr int kReadWrite = 2;
  static constexpr int kReadWriteElseRead = 3;  // becomes 1 when writing is refused, else 2
  static constexpr int kKeepAccess = 4;         // SetSubKey: leave the access as it is
  // Versions.
  static constexpr unsigned kNoVersion = 0;
  static constexpr unsigned kCurrentVersion = 0x7FFF;       // "\CurrentVersion"
  static constexpr unsigned kDescriptorVersion = 0x7FFE;    // the descriptor's, "\03.00"
  // EnsureOpen flags.
  static constexpr unsigned kWithoutSubKey = 0x01;
  static constexpr unsigned kCreate = 0x02;
  static constexpr unsigned kDeniedGivesFalse = 0x04;
  static constexpr unsigned kNotFoundGivesFalse = 0x08;
  static constexpr unsigned kMissingGivesFalse = 0x10;  // not found or denied, when missing values are allowed
  static constexpr unsigned kUseLocalMachine = 0x20;
  // Failure classes.
  static constexpr int kNoFailure = 0;
  static constexpr int kDenied = 4;
  static constexpr int kNotFound = 8;
  // The longest text ReadTextValue gives.
  static constexpr std::size_t kMaxTextValue = 512;

  // Names come from the descriptor of the program's frame (CKelApp); without a
  // frame, from the system's company and product names alone.
  CKelProfiling();
  explicit CKelProfiling(const KelAppDescriptor& descriptor);
  virtual ~CKelProfiling();
  CKelProfiling(const CKelProfiling&) = delete;
  CKelProfiling& operator=(const CKelProfiling&) = delete;

  // Settings of the object (before the first access).
  void SetIniMode(bool iniMode);
  // The INI file: a full path, or a name in the settings folder (platform/Profile.h).
  void SetIniPath(const std::string& path);
  void SetIniName(const std::string& name);
  // A name placed after the company and product path instead of the application's.
  void SetProductPart(const std::string& part);
  void SetUseDescriptorNames(bool use);
  // With ALLOW, a missing value reads as DEFAULTTEXT instead of failing.
  void AllowMissingValues(bool allow, const std::string& defaultText = {});

  // Takes PATH as the whole key path; its last component is the subkey.
  void SetKeyPath(const std::string& path, int root, int access);
  // The subkey below the descriptor's path, and how to reach it.
  void SetProfile(const std::string& subKey, int root, int access, unsigned version);
  void SetSubKey(const std::string& name, int access = kKeepAccess);
  // Takes the last component off the key path; it becomes the subkey.
  void GoUp();

  // Opens (or with kCreate creates) the key; true when it is open. See the flags.
  bool EnsureOpen(unsigned flags);
  // Reads value NAME into BUFFER (SIZE bytes): the bytes read, 0 for a missing
  // value, SIZE for a value cut to fit. Text types report REG_SZ in TYPE.
  DWORD QueryValue(const char* name, DWORD* type, void* buffer, DWORD size);
  // A text value of at most MAXLENGTH characters (a longer one is cut).
  std::string ReadTextValue(const char* name, std::size_t maxLength = kMaxTextValue);
  // INI mode stores text values only and passes over the others.
  void WriteValue(const char* name, DWORD type, const void* data, DWORD size);
  void WriteString(const char* name, const std::string& text);
  void WriteNumber(const char* name, std::int32_t number);
  void WriteNumberList(const char* name, const std::vector<std::int32_t>& numbers);
  // A missing value (or key) is no error.
  void DeleteValue(const char* name);
  // INI mode only: replaces the section's lines (zero-terminated, ending with an
  // empty one). Fails with 1140 in registry mode or when the file cannot be written.
  void WriteSection(const char* lines);
  // Filters the zero-terminated NAMES (ending with an empty one) in place: only
  // names below the key path stay, each cut to its first component there, each
  // once (compared without regard to case). Returns the bytes of the list with
  // its closing zero.
  DWORD ListSubKeys(char* names);
  void Close();

  bool IsIniMode() const { return m_iniMode; }
  HKEY GetKey() const { return m_key; }
  const std::string& GetKeyPath() const { return m_keyPath; }
  const std::string& GetIniPath() const { return m_iniPath; }
  int GetRoot() const { return m_root; }
  int GetAccess() const { return m_access; }
  int GetFailureClass() const { return m_failureClass; }

 protected:
  // Throws the error of SYSTEMERROR about value NAME at the current location.
  [[noreturn]] void ThrowError(DWORD systemError, const char* name) const;
  // The location of errors: the root's name and the key path, or the INI file and section.
  std::string Location() const;

 private:
  void BuildKeyPath();
  void ApplySubKey(bool wanted);
  bool OpenRegistryKey(unsigned flags);
  // Opens PATH under ROOT with the object's access; ERROR_SUCCESS or the system error.
  DWORD OpenUnder(int root, bool create, HKEY* key);
  bool FlagsExcuse(int failureClass, unsigned flags) const;
  void Changed();
  DWORD QueryIniValue(const char* name, DWORD* type, void* buffer, DWORD size);
  DWORD QueryRegistryValue(const char* name, DWORD* type, void* buffer, DWORD size);
  std::string IniFile() const;

  const KelAppDescriptor& m_descriptor;
  bool m_iniMode = false;
  bool m_pathDirty = true;
  bool m_subKeyApplied = false;
  int m_failureClass = kNoFailure;
  HKEY m_key = nullptr;
  int m_root = kCurrentUser;
  int m_access = kReadOnly;
  unsigned m_version = kNoVersion;
  bool m_useDescriptorNames = true;
  bool m_missingAllowed = false;
  bool m_iniFound = false;
  std::string m_productPart;
  std::string m_iniName;
  std::string m_subKey;
  std::string m_keyPath;
  std::size_t m_baseLength = 0;
  std::string m_iniPath;
  std::string m_defaultText;

  // What the last EnsureOpen opened, to reuse it while nothing changed.
  bool m_unchanged = false;
  unsigned m_openShape = 0;
  int m_openRoot = 0;
};
