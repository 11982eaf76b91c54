// Archives for the viewer's tests, written by the project's own writer from
// bytes the test gives, in a scratch folder.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/tests/TempFolder.h"
#include "tools/vxb/ArchiveWriter.h"

inline std::string WriteTestArchive(const TempFolder& folder, const std::string& file,
                                    const std::string& name, std::uint32_t firmCode,
                                    const std::map<std::string, std::string>& topics,
                                    const std::string& start = {}) {
  stow::ArchiveProperties properties;
  properties.name = name;
  properties.title = name + " title";
  properties.firmCode = firmCode;
  properties.startTopic = start;
  properties.creationTime = 1700000000;
  stow::ArchiveWriter writer(properties);
  for (const auto& [path, bytes] : topics) writer.AddBytes(path, bytes);
  const std::string output = folder / file;
  writer.Write(output);
  return output;
}
