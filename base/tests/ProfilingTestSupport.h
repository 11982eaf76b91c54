// Shared by the tests of the settings classes: a scratch registry, the reader
// module's application descriptor and the exception catcher.
#pragma once

#include "base/KelAppDescriptor.h"
#include "base/KelProfiling.h"
#include "base/tests/CaughtException.h"
#include "platform/tests/ScratchRegistry.h"

inline const KelAppDescriptor kReaderDescriptor{"VxStRd", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS", 0x300};

inline constexpr const char* kSettingsKey = "Software\\VEXO-SYSTEMS\\VEXO-KEY\\Stowra\\VxStRd\\03.00";
