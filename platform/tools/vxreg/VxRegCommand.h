// The vxreg command: query, add, delete and export registry keys from a command
// line, in the manner of the system's reg tool. Output goes to OUT, errors (each
// a line beginning "ERROR: ") to ERR; questions are answered from IN.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

inline constexpr int kVxRegDone = 0;
inline constexpr int kVxRegFailed = 1;      // a registry or file error, or a question answered No
inline constexpr int kVxRegBadCommand = 2;  // the command line is wrong

struct VxRegStreams {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
};

// ARGS are the arguments after the program name. Returns the exit code.
int RunVxReg(const std::vector<std::string>& args, const VxRegStreams& io);
