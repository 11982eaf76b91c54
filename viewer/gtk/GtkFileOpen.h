// The file-open dialog as a GTK file chooser: title, filters, a start name and
// the default extension of a file-open request.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "reader/ReaderDialogs.h"

// The filters of a filter text: pairs of description and patterns ("*.vxb",
// several separated by ";"), each part ended by "|", the list by "||". A text
// without "|" is one pattern that describes itself.
std::vector<std::pair<std::string, std::string>> ParseFileFilter(const std::string& filter);

// NAME with EXTENSION added when NAME has no extension and names no existing
// file; else NAME.
std::string WithDefaultExtension(const std::string& name, const std::string& extension);

// Shows the chooser; true with the chosen file's full path in PATH.
bool ChooseFileWithGtk(const FileOpenRequest& request, std::string& path);
