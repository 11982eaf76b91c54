// The hand-over record a host writes into the reader control's shared buffer:
// read back as SetData does, then kept in the table of handed-over archives.
// Input: the buffer's bytes (the buffer is as large as the control's, or as
// small as the input when that is shorter, to reach its end).
#include <algorithm>
#include <cstring>

#include "fuzz/FuzzSupport.h"
#include "reader/ControlBuffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const bool full = size > 0 && (data[0] & 0x80);
  const auto capacity = static_cast<std::uint32_t>(full ? Buffer::kSize : std::min<std::size_t>(size, Buffer::kSize));
  Buffer buffer(capacity);
  std::memcpy(buffer.GetData(), data, std::min<std::size_t>(size, capacity));

  stow::TempRegistrar handed;
  handed.Add(stow::RegisteredArchive("Manual", "/docs/manual.vxb", 10));
  fuzz::Expected([&] {
    stow::RegisteredArchive record = ReadHandOverRecord(buffer);
    if (buffer.m_inUse) std::abort();
    // Name, path (2 + n each), firm code and text all lie in the buffer.
    const std::uint64_t used = 2 + record.m_archiveName.size() + 2 + record.m_filePath.size() + 4 +
                               2 + record.m_text.size();
    if (used != buffer.GetReadPosition() || used > capacity) std::abort();
    const std::string name = record.m_archiveName;
    handed.Add(std::move(record));
    if (handed.Find(name) == nullptr) std::abort();
  });
  if (buffer.m_inUse) std::abort();
  return 0;
}
