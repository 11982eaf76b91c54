// Minimal stand-ins for the application framework's exception classes. Framework
// exceptions are created on the heap, thrown by pointer and deleted by the catcher
// (Delete), so every catch site owns what it caught.
#pragma once

#include <typeinfo>

class CException {
 public:
  virtual ~CException() = default;
  // The run-time class name, for diagnostics.
  virtual const char* GetRuntimeClassName() const { return "CException"; }
  template <class T>
  bool IsKindOf() const { return dynamic_cast<const T*>(this) != nullptr; }
  void Delete() { delete this; }
};

// Thrown where the framework would report exhausted memory.
class CMemoryException : public CException {
 public:
  const char* GetRuntimeClassName() const override { return "CMemoryException"; }
  [[noreturn]] static void Throw() { throw new CMemoryException; }
};
