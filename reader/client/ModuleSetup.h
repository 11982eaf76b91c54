// Finds the reader module as a browser would, through its registration, and
// registers the module that ships beside the program when none is registered yet
// (into the user's hive).
#pragma once

#include <string>

#include "platform/SharedLibrary.h"

// The registered module's path; registers the shipped module first when the
// registration is missing or names no file. "" with ERROR set when neither works.
std::string EnsureReaderModule(std::string& error);

// Loads the module at PATH into MODULE and sets it up for a host of many
// clients: a firm code one client chose is not kept for the next request, and
// with HIDEPATHS (hosts that serve other machines) its pages show no server
// paths. The settings last while MODULE keeps the module loaded. False with
// ERROR set when the module cannot be told.
bool SetUpForClients(const std::string& path, bool hidePaths, SharedLibrary& module,
                     std::string& error);
