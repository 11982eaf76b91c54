// Built into a second copy of the reader module for the tests: lets them count
// the file calls the module makes, which its own copy of the platform layer
// sees and the test program's copy does not.
#include <memory>

#include "platform/FileFaults.h"

namespace {
std::unique_ptr<FileFaults> g_counter;
}  // namespace

// Starts counting (again from zero), or stops when COUNTING is false.
extern "C" __attribute__((visibility("default"))) void ReaderProbeCountFileCalls(bool counting) {
  g_counter.reset();
  if (counting) g_counter = std::make_unique<FileFaults>();
}

// The calls of kind CALL (os::FileCall) counted so far.
extern "C" __attribute__((visibility("default"))) unsigned ReaderProbeFileCalls(int call) {
  return g_counter ? g_counter->Count(static_cast<os::FileCall>(call)) : 0;
}
