#include <iostream>

#include "platform/tools/vxreg/VxRegCommand.h"

int main(int argc, char** argv) {
  return RunVxReg(std::vector<std::string>(argv + 1, argv + argc), VxRegStreams{std::cin, std::cout, std::cerr});
}
