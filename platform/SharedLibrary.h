// A shared library loaded at run time (dlopen), the counterpart of a module handle.
#pragma once

#include <string>

#include "platform/WinTypes.h"

class SharedLibrary {
 public:
  SharedLibrary() = default;
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;
  SharedLibrary(SharedLibrary&& other) noexcept;
  SharedLibrary& operator=(SharedLibrary&& other) noexcept;
  // Unloads the library.
  ~SharedLibrary();

  // Loads the library at PATH (a path holding no "/" is searched for as dlopen
  // searches). Returns ERROR_SUCCESS, ERROR_MOD_NOT_FOUND when there is no such
  // file, or ERROR_BAD_EXE_FORMAT when the file is no loadable library; LoadError()
  // then tells why in the loader's words.
  DWORD Load(const std::string& path);
  bool IsLoaded() const { return m_handle != nullptr; }
  const std::string& LoadError() const { return m_error; }
  // The address of an exported function, or nullptr.
  void* Symbol(const char* name) const;
  void Unload();

 private:
  void* m_handle = nullptr;
  std::string m_error;
};
