// The checks of an archive's topic table that vxb verify makes beyond reading
// every topic: every topic is found by its own path through the reader's lookup,
// the hash chains have no circles and no links to nowhere, the start topic is a
// topic, and every path may be extracted. Each fault is told with slot numbers.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "archive/VxbFile.h"

namespace vxb {

// Reports one fault: a text that names the slots concerned.
using FaultReport = std::function<void(const std::string& fault)>;

// Checks the table of ARCHIVE (topic table loaded). NAMES holds the path of every
// slot whose name could be read; slots missing from it are not looked up (their
// fault is reported by whoever read the names). Returns the number of faults.
std::size_t CheckTopicTable(ThisVxbFile& archive, const std::map<std::uint32_t, std::string>& names,
                            const FaultReport& report);

}  // namespace vxb
