#include "reader/ReaderModule.h"

#include "base/KelFormat.h"
#include "base/PathText.h"
#include "base/SystemInfo.h"

namespace {
// An object of this file: its address names the module that holds the reader.
const char kModuleAnchor = 0;
}  // namespace

const ReaderModuleInfo& ReaderModuleInfo::Current() {
  static const ReaderModuleInfo info = [] {
    ReaderModuleInfo m;
    m.version = FormatVersion(0, kReaderModuleVersion / 100, kReaderModuleVersion % 100);
    m.path = vxs::ModuleFilePath(&kModuleAnchor);
    m.folder = vxs::PathPart(m.path, vxs::kPartDrive | vxs::kPartFolder);
    return m;
  }();
  return info;
}
