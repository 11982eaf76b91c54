// Whether the reader's pages show where files lie on the machine that serves
// them: the module's folder and file, the paths of archive files. A host that
// serves browsers on other machines turns this off, so that its pages tell a
// visitor nothing of the server's folders: files are named by their file name
// alone and the module's folder by an ellipsis.
#pragma once

#include <string>
#include <string_view>

class PagePaths {
 public:
  // Module-wide; shown unless a host says otherwise.
  static void SetShown(bool shown);
  static bool Shown();

  // PATH as pages show it: whole, or its file name.
  static std::string Path(std::string_view path);
  // A folder as pages show it: whole, or "…".
  static std::string Folder(std::string_view folder);
  // TEXT, a message about the file at PATH, as pages show it: whole, or with
  // every form of PATH in it (as given, full, relative to the current folder)
  // replaced by the file name.
  static std::string Message(std::string text, std::string_view path);
};
