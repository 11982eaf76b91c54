// How the reader module tells a host what a request came to, beyond the browser's
// own reports. Browsers ignore the unknown statuses below; the hosts use them.
//
// BINDSTATUS_READEROUTCOME: before it serves a page of its own, and before it
// fails a request for a topic the archive does not hold, the handler reports this
// status with one of the texts below. The HTTP host turns it into a status code.
//
// BINDSTATUS_READERTOPIC: before it serves a topic, the handler reports how it
// found the topic and the topic's own URL (ReaderTopic), so that a host can send
// a browser to the URL under which the page's relative links resolve, and knows
// which answers depend on the URL alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

inline constexpr ULONG BINDSTATUS_READEROUTCOME = 0x5658;  // outside the browser's range
inline constexpr ULONG BINDSTATUS_READERTOPIC = 0x5659;

// The text is the number of the page served ("1" syntax error, "2" no name,
// "3" unknown name, "4" wrong firm code, "5" ambiguous name, "6"/"7" archive
// cannot be opened, "11" the list of archives), or this text for a topic the
// archive does not hold.
inline constexpr std::string_view kReaderOutcomeMissingTopic = "topic";

// How the topic of a request was found.
enum class TopicFound : char {
  // By the path the URL names (case aside): the answer depends on the URL alone.
  Named = '=',
  // The URL names no path: the archive's start topic, or a topic number.
  Unnamed = '#',
  // The path as written is not in the archive; it was found in the folder of the
  // page served before, or above it: the answer depends on that page.
  InLastFolder = '~',
};

// The text of BINDSTATUS_READERTOPIC: the mark of TopicFound, then the topic's own
// URL as the reader reads URLs (unescaped, e.g. "vexost://Manual/guide/start.htm"):
// the archive as the request named it, then the topic's path, so that it names
// the topic whatever was served before. The URL is empty for a topic that no URL
// can name by path (an empty name, or one holding ":", which URLs read as the
// start of a topic number).
struct ReaderTopic {
  TopicFound found = TopicFound::Named;
  std::string url;

  std::string Format() const { return static_cast<char>(found) + url; }

  static std::optional<ReaderTopic> Parse(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const auto found = static_cast<TopicFound>(text[0]);
    if (found != TopicFound::Named && found != TopicFound::Unnamed && found != TopicFound::InLastFolder)
      return std::nullopt;
    return ReaderTopic{found, std::string(text.substr(1))};
  }
};
