#include "platform/FileApis.h"

#include <atomic>

namespace {
std::atomic<bool> g_fileApisAnsi{true};
}

bool AreFileApisANSI() { return g_fileApisAnsi.load(std::memory_order_relaxed); }
void SetFileApisToANSI() { g_fileApisAnsi.store(true, std::memory_order_relaxed); }
void SetFileApisToOEM() { g_fileApisAnsi.store(false, std::memory_order_relaxed); }
