// How the reader module tells a host what a request came to, beyond the browser's
// own reports: before it serves a page of its own, and before it fails a request
// for a topic the archive does not hold, the handler reports progress with status
// BINDSTATUS_READEROUTCOME and one of the texts below. Browsers ignore the
// unknown status; the HTTP host turns it into a status code.
#pragma once

#include <string_view>

#include "platform/WinTypes.h"

inline constexpr ULONG BINDSTATUS_READEROUTCOME = 0x5658;  // outside the browser's range

// The text is the number of the page served ("1" syntax error, "2" no name,
// "3" unknown name, "4" wrong firm code, "5" ambiguous name, "6"/"7" archive
// cannot be opened, "11" the list of archives), or this text for a topic the
// archive does not hold.
inline constexpr std::string_view kReaderOutcomeMissingTopic = "topic";
