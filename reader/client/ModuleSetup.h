// Finds the reader module as a browser would, through its registration, and
// registers the module that ships beside the program when none is registered yet
// (into the user's hive).
#pragma once

#include <string>

// The registered module's path; registers the shipped module first when the
// registration is missing or names no file. "" with ERROR set when neither works.
std::string EnsureReaderModule(std::string& error);
