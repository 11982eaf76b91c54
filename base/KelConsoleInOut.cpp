#include "base/KelConsoleInOut.h"

#include <cstdio>

void CKelConsoleInOut::PromptAnyKey() {
  std::fputs("[Press any key to continue]", stderr);
  std::fflush(stderr);
}
