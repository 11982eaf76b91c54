#include "base/KelProfiling.h"

#include <cstdio>
#include <cstring>
#include <set>

#include "base/KelApp.h"
#include "base/KelException.h"
#include "base/KelFile.h"
#include "base/MessageText.h"
#include "platform/CaseFold.h"
#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "platform/SystemError.h"

namespace {

constexpr unsigned kSettingsFileLocation = 55360;  // file "%1", topic [%2]
constexpr const char kMissingIniValue[] = "\x1A";   // no INI value can be this character alone

HKEY RootKey(int root) {
  switch (root) {
    case CKelProfiling::kLocalMachine: return HKEY_LOCAL_MACHINE;
    case CKelProfiling::kCurrentConfig: return HKEY_CURRENT_CONFIG;
    case CKelProfiling::kClassesRoot: return HKEY_CLASSES_ROOT;
    default: return HKEY_CURRENT_USER;
  }
}

const char* RootName(int root) {
  switch (root) {
    case CKelProfiling::kLocalMachine: return "HKEY_LOCAL_MACHINE\\";
    case CKelProfiling::kCurrentConfig: return "HKEY_CURRENT_CONFIG\\";
    case CKelProfiling::kClassesRoot: return "HKEY_CLASSES_ROOT\\";
    default: return "HKEY_CURRENT_USER\\";
  }
}

// Reads value NAME of KEY into BUFFER. A value too long for it is read whole and
// its first SIZE bytes are copied, so the caller gets the start of the value
// rather than a buffer the registry left unfilled.
LSTATUS QueryCut(HKEY key, const char* name, DWORD* type, void* buffer, DWORD size, DWORD* got) {
  *got = size;
  const LSTATUS status = RegQueryValueExA(key, name, nullptr, type, static_cast<BYTE*>(buffer), got);
  if (status != static_cast<LSTATUS>(ERROR_MORE_DATA)) return status;
  std::string whole(*got, '\0');
  DWORD wholeSize = *got;
  const LSTATUS again = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(whole.data()), &wholeSize);
  if (again != ERROR_SUCCESS) return again;  // changed meanwhile, or gone
  std::memcpy(buffer, whole.data(), std::min<DWORD>(size, wholeSize));
  *got = std::min<DWORD>(size, wholeSize);
  return static_cast<LSTATUS>(ERROR_MORE_DATA);
}

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

const KelAppDescriptor kWithoutFrame{"", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS", 0x300};

const KelAppDescriptor& FrameDescriptor() {
  const CKelApp* frame = CKelApp::GetFrame();
  return frame && frame->GetDescriptor() ? *frame->GetDescriptor() : kWithoutFrame;
}

}  // namespace

CKelProfiling::CKelProfiling() : CKelProfiling(FrameDescriptor()) {}

CKelProfiling::CKelProfiling(const KelAppDescriptor& descriptor) : m_descriptor(descriptor) {}

CKelProfiling::~CKelProfiling() { Close(); }

void CKelProfiling::Changed() {
  if (m_key) RegCloseKey(m_key);
  m_key = nullptr;
  m_unchanged = false;
}

void CKelProfiling::SetIniMode(bool iniMode) {
  Changed();
  m_iniMode = iniMode;
  m_pathDirty = true;
}

void CKelProfiling::SetIniPath(const std::string& path) {
  Changed();
  m_iniPath = path;
  m_iniFound = false;
}

void CKelProfiling::SetIniName(const std::string& name) {
  Changed();
  m_iniName = name;
  m_iniPath.clear();
  m_iniFound = false;
  m_pathDirty = true;
}

void CKelProfiling::SetProductPart(const std::string& part) {
  Changed();
  m_productPart = part;
  m_pathDirty = true;
}

void CKelProfiling::SetUseDescriptorNames(bool use) {
  Changed();
  m_useDescriptorNames = use;
  m_pathDirty = true;
}

void CKelProfiling::AllowMissingValues(bool allow, const std::string& defaultText) {
  m_missingAllowed = allow;
  m_defaultText = defaultText;
}

void CKelProfiling::SetKeyPath(const std::string& path, int root, int access) {
  Changed();
  m_keyPath = path;
  const std::size_t slash = path.rfind('\\');
  m_subKey = slash == std::string::npos ? path : path.substr(slash + 1);
  m_baseLength = slash == std::string::npos ? 0 : slash;
  m_subKeyApplied = true;
  m_pathDirty = false;
  m_root = root;
  m_access = access;
}

void CKelProfiling::SetProfile(const std::string& subKey, int root, int access, unsigned version) {
  if (m_iniMode) {
    m_unchanged = false;
  } else {
    Changed();
  }
  m_subKey = subKey;
  m_root = root;
  m_access = access;
  m_version = version;
  m_pathDirty = true;
}

void CKelProfiling::SetSubKey(const std::string& name, int access) {
  Changed();
  ApplySubKey(false);
  if (m_keyPath == "\\") m_keyPath.clear();
  m_baseLength = m_keyPath.size();
  m_subKey = name;
  if (access != kKeepAccess) m_access = access;
}

void CKelProfiling::GoUp() {
  Changed();
  if (m_pathDirty) BuildKeyPath();
  ApplySubKey(true);
  const std::string path = m_keyPath == "\\" ? std::string() : m_keyPath;
  const std::size_t slash = path.rfind('\\');
  m_subKey = slash == std::string::npos ? path : path.substr(slash + 1);
  m_keyPath = slash == std::string::npos ? std::string() : path.substr(0, slash);
  m_baseLength = m_keyPath.size();
  m_subKeyApplied = false;
}

void CKelProfiling::BuildKeyPath() {
  const std::string application = m_descriptor.appName ? m_descriptor.appName : "";
  const std::string product = m_descriptor.productKey ? m_descriptor.productKey : "";
  if (m_iniMode) {
    if (m_iniPath.empty()) {
      m_iniPath = !m_iniName.empty()          ? m_iniName
                  : m_useDescriptorNames      ? application + ".ini"
                  : !m_productPart.empty()    ? m_productPart + ".ini"
                                              : product + ".ini";
    }
    m_keyPath.clear();
  } else {
    m_keyPath = "Software\\" + std::string(m_descriptor.company ? m_descriptor.company : "") + "\\" + product;
    if (m_useDescriptorNames) {
      m_keyPath += "\\" + application;
    } else if (!m_productPart.empty()) {
      m_keyPath += "\\" + m_productPart;
    }
    const unsigned version = m_version == kDescriptorVersion ? m_descriptor.settingsVersion : m_version;
    if (version == kCurrentVersion) {
      m_keyPath += "\\CurrentVersion";
    } else if (version != kNoVersion) {
      char text[16];
      std::snprintf(text, sizeof text, "\\%02u.%02u", (version >> 8) & 0xFF, version & 0xFF);
      m_keyPath += text;
    }
  }
  m_baseLength = m_keyPath.size();
  m_subKeyApplied = false;
  m_pathDirty = false;
}

void CKelProfiling::ApplySubKey(bool wanted) {
  if (m_keyPath == "\\") m_keyPath.clear();
  if (wanted && !m_subKeyApplied) {
    m_baseLength = m_keyPath.size();
    if (!m_subKey.empty()) m_keyPath += (m_keyPath.empty() ? "" : "\\") + m_subKey;
  } else if (!wanted && m_subKeyApplied) {
    m_keyPath.resize(std::min(m_baseLength, m_keyPath.size()));
  }
  m_subKeyApplied = wanted;
  if (m_keyPath.empty()) m_keyPath = "\\";
}

bool CKelProfiling::FlagsExcuse(int failureClass, unsigned flags) const {
  if (failureClass == kNotFound && (flags & kNotFoundGivesFalse)) return true;
  if (failureClass == kDenied && (flags & kDeniedGivesFalse)) return true;
  return failureClass != kNoFailure && (flags & kMissingGivesFalse) && m_missingAllowed;
}

bool CKelProfiling::EnsureOpen(unsigned flags) {
  const unsigned shape = flags & (kWithoutSubKey | kUseLocalMachine);
  if (m_unchanged && shape == m_openShape) {
    if (m_iniMode || m_key) return true;
    const bool mayCreate = (flags & kCreate) && m_access != kReadOnly;
    if (!mayCreate && FlagsExcuse(m_failureClass, flags)) return false;
  }
  Changed();
  if (m_pathDirty) BuildKeyPath();
  ApplySubKey(!(flags & kWithoutSubKey));
  m_openShape = shape;
  m_unchanged = true;
  if (m_iniMode) {
    m_iniFound = os::QueryPath(IniFile()) != os::PathKind::None;
    return true;
  }
  return OpenRegistryKey(flags);
}

DWORD CKelProfiling::OpenUnder(int root, bool create, HKEY* key) {
  constexpr REGSAM kReadRights = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
  const REGSAM rights = m_access == kReadOnly ? kReadRights : kReadRights | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
  const char* path = m_keyPath == "\\" ? "" : m_keyPath.c_str();
  auto error = static_cast<DWORD>(
      create ? RegCreateKeyExA(RootKey(root), path, 0, nullptr, 0, rights, nullptr, key, nullptr)
             : RegOpenKeyExA(RootKey(root), path, 0, rights, key));
  if (error == ERROR_ACCESS_DENIED && m_access == kReadWriteElseRead) {
    error = static_cast<DWORD>(RegOpenKeyExA(RootKey(root), path, 0, kReadRights, key));
    if (error == ERROR_SUCCESS) m_access = kReadOnly;
  }
  return error;
}

bool CKelProfiling::OpenRegistryKey(unsigned flags) {
  std::vector<int> roots{m_root};
  if (flags & kUseLocalMachine) {
    roots = {kLocalMachine};
  } else if (m_root == kUserThenMachine) {
    roots = {kCurrentUser, kLocalMachine, kCurrentUser};
  }
  for (std::size_t attempt = 0; attempt < roots.size(); ++attempt) {
    const bool last = attempt + 1 == roots.size();
    const bool create = (flags & kCreate) && m_access != kReadOnly && last;
    const DWORD error = OpenUnder(roots[attempt], create, &m_key);
    if (error == ERROR_SUCCESS) {
      if (m_access == kReadWriteElseRead) m_access = kReadWrite;
      m_failureClass = kNoFailure;
      m_openRoot = roots[attempt];
      return true;
    }
    m_key = nullptr;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      m_failureClass = kNotFound;
    } else if (error == ERROR_ACCESS_DENIED) {
      m_failureClass = kDenied;
    } else {
      m_failureClass = kNoFailure;
      ThrowError(error, "");
    }
    if (last && !FlagsExcuse(m_failureClass, flags)) ThrowError(error, "");
  }
  return false;
}

DWORD CKelProfiling::QueryValue(const char* name, DWORD* type, void* buffer, DWORD size) {
  return m_iniMode ? QueryIniValue(name, type, buffer, size) : QueryRegistryValue(name, type, buffer, size);
}

DWORD CKelProfiling::QueryIniValue(const char* name, DWORD* type, void* buffer, DWORD size) {
  EnsureOpen(0);
  if (size == 0) return 0;
  char* text = static_cast<char*>(buffer);
  const DWORD length =
      GetPrivateProfileStringA(m_keyPath.c_str(), name ? name : "", kMissingIniValue, text, size, m_iniPath.c_str());
  if (length == 1 && text[0] == kMissingIniValue[0]) return 0;
  if (type) *type = REG_SZ;
  return length + 1;
}

DWORD CKelProfiling::QueryRegistryValue(const char* name, DWORD* type, void* buffer, DWORD size) {
  if (!EnsureOpen(kNotFoundGivesFalse)) return 0;
  DWORD valueType = REG_NONE;
  DWORD got = 0;
  LSTATUS status = QueryCut(m_key, name, &valueType, buffer, size, &got);
  if (status == ERROR_FILE_NOT_FOUND && m_root == kUserThenMachine && m_openRoot == kCurrentUser) {
    // Missing for the user: the machine's key of the same path may have it. It is
    // opened for this read only, so later writes still go to the user's key.
    HKEY machine = nullptr;
    const char* path = m_keyPath == "\\" ? "" : m_keyPath.c_str();
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &machine) == ERROR_SUCCESS) {
      status = QueryCut(machine, name, &valueType, buffer, size, &got);
      RegCloseKey(machine);
    }
  }
  if (type) *type = IsTextType(valueType) ? REG_SZ : valueType;
  if (status == ERROR_SUCCESS || status == static_cast<LSTATUS>(ERROR_MORE_DATA)) return got;
  if (status == ERROR_FILE_NOT_FOUND) return 0;
  ThrowError(static_cast<DWORD>(status), name);
}

std::string CKelProfiling::ReadTextValue(const char* name, std::size_t maxLength) {
  if (!EnsureOpen(kNotFoundGivesFalse | kMissingGivesFalse)) {
    if (m_missingAllowed) return m_defaultText;
    ThrowError(ERROR_PATH_NOT_FOUND, name);
  }
  std::vector<char> buffer(maxLength + 1, '\0');
  DWORD type = REG_NONE;
  const DWORD got = QueryValue(name, &type, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (got == 0) {
    if (m_missingAllowed) return m_defaultText;
    ThrowError(ERROR_FILE_NOT_FOUND, name);
  }
  if (type != REG_SZ) ThrowError(ERROR_INVALID_DATA, name);
  return std::string(buffer.data(), strnlen(buffer.data(), std::min<std::size_t>(got, maxLength)));
}

void CKelProfiling::WriteValue(const char* name, DWORD type, const void* data, DWORD size) {
  if (m_iniMode) {
    if (type != REG_SZ && type != REG_EXPAND_SZ) return;
    EnsureOpen(0);
    const char* bytes = static_cast<const char*>(data);
    const std::string text(bytes, bytes ? strnlen(bytes, size) : 0);
    if (!WritePrivateProfileStringA(m_keyPath.c_str(), name ? name : "", text.c_str(), m_iniPath.c_str())) {
      ThrowError(GetLastError(), name);
    }
    return;
  }
  EnsureOpen(kCreate);
  const auto error = static_cast<DWORD>(RegSetValueExA(m_key, name, 0, type, static_cast<const BYTE*>(data), size));
  if (error != ERROR_SUCCESS) ThrowError(error, name);
}

void CKelProfiling::WriteString(const char* name, const std::string& text) {
  WriteValue(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void CKelProfiling::WriteNumber(const char* name, std::int32_t number) {
  if (m_iniMode) {
    WriteString(name, std::to_string(number));
    return;
  }
  WriteValue(name, REG_DWORD, &number, sizeof number);
}

void CKelProfiling::WriteNumberList(const char* name, const std::vector<std::int32_t>& numbers) {
  std::string text;
  for (const std::int32_t number : numbers) {
    if (!text.empty()) text += ',';
    text += std::to_string(number);
  }
  WriteString(name, text);
}

void CKelProfiling::DeleteValue(const char* name) {
  if (m_iniMode) {
    EnsureOpen(0);
    if (!WritePrivateProfileStringA(m_keyPath.c_str(), name ? name : "", nullptr, m_iniPath.c_str())) {
      ThrowError(GetLastError(), name);
    }
    return;
  }
  if (!EnsureOpen(kNotFoundGivesFalse)) return;
  const auto error = static_cast<DWORD>(RegDeleteValueA(m_key, name));
  if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) ThrowError(error, name);
}

void CKelProfiling::WriteSection(const char* lines) {
  if (!m_iniMode) ThrowError(ERROR_ACCESS_DENIED, "");
  EnsureOpen(0);
  if (!WritePrivateProfileSectionA(m_keyPath.c_str(), lines, m_iniPath.c_str())) {
    ThrowError(ERROR_ACCESS_DENIED, "");
  }
}

DWORD CKelProfiling::ListSubKeys(char* names) {
  if (m_pathDirty) {
    Changed();
    BuildKeyPath();
  }
  std::string path = m_keyPath == "\\" ? std::string() : m_keyPath;
  if (!m_subKeyApplied && !m_subKey.empty()) path += (path.empty() ? "" : "\\") + m_subKey;
  const std::string prefix = path.empty() ? std::string() : FoldCase(path + "\\");
  std::set<std::string> seen;
  char* out = names;
  for (const char* name = names; *name;) {
    const std::string_view full(name);
    name += full.size() + 1;  // before the name's place may be overwritten
    if (full.size() <= prefix.size() || FoldCase(full.substr(0, prefix.size())) != prefix) continue;
    const std::string_view rest = full.substr(prefix.size());
    const std::string_view first = rest.substr(0, rest.find('\\'));
    if (first.empty() || !seen.insert(FoldCase(first)).second) continue;
    std::memmove(out, first.data(), first.size());  // never ahead of the name being read
    out += first.size();
    *out++ = '\0';
  }
  *out++ = '\0';
  return static_cast<DWORD>(out - names);
}

void CKelProfiling::Close() { Changed(); }

std::string CKelProfiling::IniFile() const { return ProfileFilePath(m_iniPath); }

std::string CKelProfiling::Location() const {
  if (!m_iniMode) return RootName(m_root) + m_keyPath;
  const CKelFile file(IniFile());
  const std::string text = LoadMessageText(kSettingsFileLocation);
  if (text.empty()) return file.DisplayForm(0, vxs::kDisplayRelative) + ", [" + m_keyPath + "]";
  const std::string args[] = {file.DisplayForm(0, vxs::kDisplayRelative | vxs::kDisplayUnquoted), m_keyPath};
  return SubstitutePlaceholders(text, args, 2);
}

void CKelProfiling::ThrowError(DWORD systemError, const char* name) const {
  if (m_iniMode && !m_iniFound && os::QueryPath(IniFile()) == os::PathKind::None) {
    CKelFile::ThrowFileError(CKelFile(IniFile()), 1001, ERROR_FILE_NOT_FOUND);
  }
  const std::uint32_t code = systemError == ERROR_FILE_NOT_FOUND   ? 1141
                             : systemError == ERROR_PATH_NOT_FOUND ? 1144
                             : systemError == ERROR_INVALID_DATA   ? 1142
                                                                   : 1140;
  const std::string location = Location();
  // A failure of the key itself names the key, so no message shows an empty name.
  std::string what = name && *name ? std::string(name) : m_keyPath.substr(m_keyPath.find_last_of('\\') + 1);
  throw new CKelException(code, code == 1144 ? location : std::move(what), location);
}
