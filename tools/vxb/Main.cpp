#include <unistd.h>

#include <iostream>

#include "tools/vxb/VxbTool.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const int status = RunVxb({argv + 1, argv + argc}, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
  std::cout.flush();
  return std::cout ? status : 1;
}
