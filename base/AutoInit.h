// Process-wide objects created on first use and destroyed at process end.
//
// A holder is a constant-initialised static object, so it exists before any code
// runs and is never destroyed itself:
//
//   constinit vxs::AutoInit<Table> g_table;
//   ... g_table.Get().Lookup(...) ...
//
// Only its object comes and goes. Used from one thread at a time, like the rest
// of the foundation.
#pragma once

#include <utility>

namespace vxs {

class AutoInitBase {
 public:
  AutoInitBase(const AutoInitBase&) = delete;
  AutoInitBase& operator=(const AutoInitBase&) = delete;

  // Destroys the held object if it exists; the next use creates a new one.
  virtual void Destroy() = 0;

  // Destroys every live object, newest first, so an object that used another
  // while being built is gone before the one it used. Runs at process end; an
  // object needed again afterwards (say by a static destructor) is created anew.
  static void DestroyAll();

 protected:
  constexpr AutoInitBase() = default;
  ~AutoInitBase() = default;

  // Joins the list of live objects; called once the object exists.
  void Created();
  // Leaves the list; called before the object is destroyed.
  void Destroying();

 private:
  AutoInitBase* m_older = nullptr;
};

template <class T>
class AutoInit final : public AutoInitBase {
 public:
  constexpr AutoInit() = default;

  // The object, created on first use and the same one from then on.
  T& Get() {
    if (m_object == nullptr) {
      m_object = new T;
      Created();
    }
    return *m_object;
  }
  T* operator->() { return &Get(); }

  void Destroy() override {
    if (m_object == nullptr) return;
    Destroying();
    delete std::exchange(m_object, nullptr);
  }

 private:
  T* m_object = nullptr;
};

}  // namespace vxs
