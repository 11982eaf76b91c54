// Finds the reader module as a browser would, through its registration, and
// registers the module that ships beside the program when none is registered yet
// (into the user's hive).
#pragma once

#include <string>

#include "platform/SharedLibrary.h"

// The registered module's path; registers the shipped module first when the
// registration is missing or names no file. "" with ERROR set when neither works.
std::string EnsureReaderModule(std::string& error);

// Loads the module at PATH into MODULE and has its pages show no server paths
// (for hosts that serve other machines); the setting lasts while MODULE keeps the
// module loaded. False with ERROR set when the module cannot be told.
bool HideServerPaths(const std::string& path, SharedLibrary& module, std::string& error);
