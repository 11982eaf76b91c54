// Shared by the tests of the settings classes: a scratch registry, the reader
// module's application descriptor and a catcher for exceptions thrown by pointer.
#pragma once

#include <functional>
#include <memory>

#include "base/KelAppDescriptor.h"
#include "base/KelException.h"
#include "base/KelProfiling.h"
#include "platform/tests/ScratchRegistry.h"

inline const KelAppDescriptor kReaderDescriptor{"VxStRd", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS", 0x300};

inline constexpr const char* kSettingsKey = "Software\\VEXO-SYSTEMS\\VEXO-KEY\\Stowra\\VxStRd\\03.00";

// The CKelException that ACTION throws, or null.
inline std::unique_ptr<CKelException> Caught(const std::function<void()>& action) {
  try {
    action();
  } catch (CKelException* e) {
    return std::unique_ptr<CKelException>(e);
  }
  return nullptr;
}
