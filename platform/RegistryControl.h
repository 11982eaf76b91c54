// Where the registry's hives live and the switches that tests and robustness
// checks use to make a hive refuse writes or to make writes fail.
//
// Hive files: the current user's hive is $XDG_CONFIG_HOME/vexost/user.db
// (~/.config/vexost/user.db when XDG_CONFIG_HOME is not set); the machine's hive
// is /var/lib/vexost/machine.db. VXST_REGISTRY_DIR, when set, names one folder
// that holds both (user.db and machine.db). The locations are read at every call,
// so a test may change VXST_REGISTRY_DIR between its cases.
//
// Read-only hives: VXST_REGISTRY_READONLY=user,machine (either or both names)
// and RegistrySetReadOnly make every write to that hive fail with
// ERROR_ACCESS_DENIED, even for root, and make opening a key of it for writing
// fail the same way, as a hive without write permission does.
//
// Write faults: VXST_REGISTRY_FAULT=ERROR[@N] and RegistryInjectWriteFault make
// a write transaction fail with the given Windows error number (112 for a full
// disk, 29 for a write fault ...) after N further writes have succeeded; the
// failing transaction is rolled back, so nothing of it is stored.
#pragma once

#include <string>

#include "platform/WinTypes.h"

enum class RegistryHiveKind { User, Machine };

// The file of the hive as the current environment places it.
std::string RegistryHivePath(RegistryHiveKind kind);

// Turns the read-only switch of a hive on or off for this process (in addition
// to VXST_REGISTRY_READONLY).
void RegistrySetReadOnly(RegistryHiveKind kind, bool readOnly);
bool RegistryIsReadOnly(RegistryHiveKind kind);

// The write transaction after the next AFTERWRITES successful ones fails with
// ERROR, once. An ERROR of ERROR_SUCCESS cancels a pending fault.
void RegistryInjectWriteFault(DWORD error, unsigned afterWrites = 0);

// Called by every write transaction just before it commits: the error the
// transaction must fail with, or ERROR_SUCCESS.
DWORD RegistryTakeWriteFault();
