// CKelConsoleInOut: the frame's console.
#pragma once

class CKelConsoleInOut {
 public:
  virtual ~CKelConsoleInOut() = default;
  // Writes "[Press any key to continue]" to standard error.
  virtual void PromptAnyKey();
};
