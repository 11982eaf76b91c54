// The module's lock count: live objects and class-factory locks. The module may
// be unloaded (DllCanUnloadNow) only while it is zero.
#pragma once

void LockModule();
void UnlockModule();
long ModuleLockCount();
