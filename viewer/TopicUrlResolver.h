// Where the view goes for a vexost: URL that names an archive but no topic by
// its path: the start topic (vexost://Manual, vexost://Manual/,
// vexost://file:/docs/manual.vxb/) or a topic by number (vexost://Manual/:12).
// The reader serves such a URL with the topic's bytes, but the browser would
// resolve the page's relative links against the archive root; so the view goes
// to the topic's real path instead (vexost://Manual/guide/start.htm), where its
// links resolve as they do in the archive. The path is read from the archive
// file itself. A file URL gets "::" after the file's path, which ends the path
// for the reader whatever came before.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TopicUrlResolver {
 public:
  // The file of the archive NAME with FIRMCODE (0xFFFFFFFF: any), as the reader
  // would resolve it; "" when it cannot say.
  using ArchiveFinder = std::function<std::string(const std::string& name, std::uint32_t firmCode)>;

  explicit TopicUrlResolver(ArchiveFinder finder) : m_finder(std::move(finder)) {}

  // URL (as the reader reads it) with the topic's path in place of the start
  // topic or the topic number; URL itself when it names a topic by path, is no
  // archive URL, or the archive or the topic cannot be read (the reader then
  // serves its page about it).
  std::string Resolve(const std::string& url) const;

  // The path of topic NUMBER (negative: the start topic) of the archive at PATH;
  // "" when PATH is no regular file, no readable archive or has no such topic.
  static std::string ReadTopicPath(const std::string& path, std::int32_t number);

 private:
  ArchiveFinder m_finder;
};
