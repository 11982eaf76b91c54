// vxb, the archive tool: packs folder trees into archives and lists, reads,
// extracts, verifies and looks up topics in them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Runs vxb with ARGS (the words after the program name). Standard output goes to
// OUT, messages to ERR; PROGRESSBAR draws progress on ERR (for a terminal).
// Returns the exit status: 0 success, 1 a failure or an unsound archive, 2 a bad
// command line.
int RunVxb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool progressBar);
