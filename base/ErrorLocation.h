// The error location: a process-wide stack of location texts that code pushes
// for the duration of a scope. Exceptions made without a location of their own
// (vxs::Exception) take the current one.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vxs {

// The stack, held by AutoInit<ErrorLocationInit>.
class ErrorLocationInit {
 public:
  // Pushes TEXT; with CHAINED the current location reads as the older entry's,
  // ", " and TEXT ("outer, inner").
  void Push(std::string text, bool chained);
  // Removes the newest entry (nothing when the stack is empty).
  void Pop();
  // The text of the newest entry, preceded by the older ones it is chained to;
  // empty when the stack is.
  std::string Current() const;

 private:
  struct Entry {
    std::string text;
    bool chained;
  };
  std::vector<Entry> m_entries;
};

// The process's error-location stack.
ErrorLocationInit& ErrorLocations();

// The current error location (ErrorLocationInit::Current).
std::string CurrentErrorLocation();

// Pushes location texts for the duration of a scope and pops as many when it ends.
class ErrorLocationScope {
 public:
  ErrorLocationScope() = default;
  explicit ErrorLocationScope(std::string text, bool chained = false) {
    Push(std::move(text), chained);
  }
  ErrorLocationScope(const ErrorLocationScope&) = delete;
  ErrorLocationScope& operator=(const ErrorLocationScope&) = delete;
  ~ErrorLocationScope();

  void Push(std::string text, bool chained = false);

 private:
  unsigned m_pushes = 0;
};

}  // namespace vxs
