// A shared library that holds the frame's code, as the reader module does: it
// tells the tests which module path the frame finds from inside it.
#include <cstddef>
#include <cstring>

#include "base/KelApp.h"

extern "C" __attribute__((visibility("default"))) void ProbeModuleFilePath(char* out,
                                                                          std::size_t size) {
  const std::string path = CKelApp::ModuleFilePath();
  std::strncpy(out, path.c_str(), size - 1);
  out[size - 1] = '\0';
}
