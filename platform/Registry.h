// The registry: Windows semantics and error numbers over hives kept in SQLite
// databases (RegistryHive). Texts are UTF-8; key and value names compare without
// regard to case. Every call returns ERROR_SUCCESS or a Windows error number.
#pragma once

#include "platform/WinTypes.h"

struct HKEY__;
using HKEY = HKEY__*;
using REGSAM = DWORD;
using PHKEY = HKEY*;

#define VXST_PREDEFINED_KEY(v) (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(v)))
#define HKEY_CLASSES_ROOT VXST_PREDEFINED_KEY(0x80000000u)
#define HKEY_CURRENT_USER VXST_PREDEFINED_KEY(0x80000001u)
#define HKEY_LOCAL_MACHINE VXST_PREDEFINED_KEY(0x80000002u)
#define HKEY_USERS VXST_PREDEFINED_KEY(0x80000003u)
#define HKEY_CURRENT_CONFIG VXST_PREDEFINED_KEY(0x80000005u)

// Value types.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

// Access rights.
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// The error of a hive file that is damaged or is no hive at all.
inline constexpr DWORD ERROR_BADDB = 1009;

// Options and dispositions of RegCreateKeyExA.
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access, PHKEY result);
LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass,
                        DWORD options, REGSAM access, void* security, PHKEY result,
                        DWORD* disposition);
LSTATUS RegCloseKey(HKEY key);
// Open keys live in a process-wide table made on first use and destroyed with
// the other statics, newest first. Code that registers an exit handler which
// still closes keys makes the table first, so that the table outlives it.
void RegPrepareKeyTable();
LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type,
                         BYTE* data, DWORD* dataSize);
LSTATUS RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type,
                       const BYTE* data, DWORD dataSize);
// Sets the value VALUENAME of the subkey SUBKEY of KEY, creating the subkey (and
// its missing parents) in the same write: the subkey never exists without it.
LSTATUS RegSetKeyValueA(HKEY key, const char* subKey, const char* valueName, DWORD type,
                        const void* data, DWORD dataSize);
LSTATUS RegDeleteValueA(HKEY key, const char* valueName);
// Deletes a key that has no subkeys (ERROR_ACCESS_DENIED otherwise, as Windows).
LSTATUS RegDeleteKeyA(HKEY key, const char* subKey);
// Deletes a key with all its subkeys and values.
LSTATUS RegDeleteTreeA(HKEY key, const char* subKey);
LSTATUS RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved,
                      char* keyClass, DWORD* classSize, void* lastWriteTime);
LSTATUS RegEnumValueA(HKEY key, DWORD index, char* valueName, DWORD* valueNameSize,
                      DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
LSTATUS RegQueryInfoKeyA(HKEY key, char* keyClass, DWORD* classSize, DWORD* reserved,
                         DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* maxClassLen,
                         DWORD* values, DWORD* maxValueNameLen, DWORD* maxValueLen,
                         DWORD* securityDescriptor, void* lastWriteTime);
