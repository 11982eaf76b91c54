#include "reader/ModuleLock.h"

namespace {
// All objects of the module live in the host's one apartment thread.
long g_locks = 0;
}  // namespace

void LockModule() { ++g_locks; }

void UnlockModule() { --g_locks; }

long ModuleLockCount() { return g_locks; }
