#include "platform/SharedLibrary.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <utility>

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)), m_error(std::move(other.m_error)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
  if (this != &other) {
    Unload();
    m_handle = std::exchange(other.m_handle, nullptr);
    m_error = std::move(other.m_error);
  }
  return *this;
}

SharedLibrary::~SharedLibrary() { Unload(); }

DWORD SharedLibrary::Load(const std::string& path) {
  Unload();
  m_error.clear();
  m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (m_handle) return ERROR_SUCCESS;
  const char* why = dlerror();
  m_error = why ? why : "the library could not be loaded";
  // A named file that exists but does not load is no library (or lacks one of
  // its own dependencies); everything else is a missing module.
  struct stat info {};
  bool exists = path.find('/') != std::string::npos && stat(path.c_str(), &info) == 0;
  return exists ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND;
}

void* SharedLibrary::Symbol(const char* name) const {
  return m_handle ? dlsym(m_handle, name) : nullptr;
}

void SharedLibrary::Unload() {
  if (void* handle = std::exchange(m_handle, nullptr)) dlclose(handle);
}
