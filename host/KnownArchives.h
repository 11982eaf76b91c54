// What a host that serves other machines lets the reader open: the archives
// handed to it (named on the command line) and the archives registered in the
// catalog, nothing else. A file: URL that names any other file is refused
// before the reader sees it, with the same answer whether that file exists or
// not, so that a visitor can neither open nor probe the server's files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class KnownArchives {
 public:
  // HANDEDPATHS: the full paths of the archives handed to the reader.
  explicit KnownArchives(std::vector<std::string> handedPaths)
      : m_handedPaths(std::move(handedPaths)) {}

  // Whether the reader may serve URL (a vexost: URL) to a visitor. URLs that
  // name an archive by name, or none at all, are the reader's to answer. A
  // file: URL passes when its file is a known archive or a path below one
  // (which names a topic of that archive while it is the archive open). The
  // file part is read by the reader's own URL grammar, so that escapes, case
  // and separators mean here what they mean to the reader.
  bool Admits(std::string_view url) const;

  // The full paths registered in the catalog, current user and all users.
  static std::vector<std::string> RegisteredPaths();

 private:
  std::vector<std::string> m_handedPaths;
};
