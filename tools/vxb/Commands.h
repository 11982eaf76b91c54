// The commands of vxb. Each takes the words after its name and returns the exit
// status; failures are thrown (CKelException and its kin) and reported by the caller.
#pragma once

#include <string>
#include <vector>

#include "tools/vxb/Console.h"

namespace vxb {

using Words = std::vector<std::string>;

int Pack(const Words& words, Console& console);
int List(const Words& words, Console& console);
int Info(const Words& words, Console& console);
int Cat(const Words& words, Console& console);
int Extract(const Words& words, Console& console);
int Verify(const Words& words, Console& console);
int Lookup(const Words& words, Console& console);
int Index(const Words& words, Console& console);
int Search(const Words& words, Console& console);

}  // namespace vxb
