// Reading a 1 GiB topic keeps resident memory flat: the pipeline streams it
// through its fixed buffers. Packs a 1 GiB text file into an archive (once,
// into the temporary folder), reads the topic through ReadTopicData and prints
// the resident set every 64 MiB.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/VxbFile.h"
#include "base/KelException.h"
#include "bench/archive/BenchArchives.h"
#include "tools/vxb/ArchiveWriter.h"

namespace {

constexpr std::uint64_t kTopicSize = std::uint64_t{1} << 30;
constexpr std::uint64_t kMiB = 1 << 20;

// VmRSS of this process in KiB.
long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
  }
  return -1;
}

std::string BuildArchive() {
  const std::string archive = bench::TemporaryPath("vxst-bench-1gib.vxb");
  if (std::filesystem::exists(archive)) return archive;
  const std::string source = bench::TemporaryPath("vxst-bench-1gib.txt");
  {
    std::ofstream out(source, std::ios::binary);
    for (std::uint64_t written = 0; written < kTopicSize; written += kMiB)
      out << bench::PageText(kMiB, static_cast<unsigned>(written / kMiB));
  }
  stow::ArchiveProperties properties;
  properties.name = "Large";
  properties.creationTime = 1700000000;
  stow::ArchiveWriter writer(properties);
  writer.AddFile("large.htm", source, kTopicSize);
  std::printf("packing 1 GiB ...\n");
  writer.Write(archive);
  std::filesystem::remove(source);
  return archive;
}

}  // namespace

int main() {
  try {
    const std::string path = BuildArchive();
    ThisVxbFile archive;
    archive.SetPath(path);
    archive.LoadTopicTable();
    std::string topic = "large.htm";
    if (!archive.OpenTopic(ThisVxbFile::kNoTopic, topic)) return 1;
    std::printf("archive %s: %llu bytes for a topic of %llu bytes\n", path.c_str(),
                static_cast<unsigned long long>(archive.GetLength()),
                static_cast<unsigned long long>(kTopicSize));
    std::printf("%10s %12s\n", "MiB read", "VmRSS KiB");
    std::vector<char> buffer(32768);
    std::uint64_t read = 0;
    long first = ResidentKiB();
    long lowest = first;
    long highest = first;
    std::printf("%10llu %12ld\n", 0ULL, first);
    for (bool ended = false; !ended;) {
      std::uint32_t count = 0;
      ended = archive.ReadTopicData(buffer.data(), static_cast<std::uint32_t>(buffer.size()), count);
      const std::uint64_t before = read;
      read += count;
      if (read / (64 * kMiB) != before / (64 * kMiB) || ended) {
        const long resident = ResidentKiB();
        lowest = std::min(lowest, resident);
        highest = std::max(highest, resident);
        std::printf("%10llu %12ld\n", static_cast<unsigned long long>(read / kMiB), resident);
      }
    }
    std::printf("read %llu bytes; resident set between %ld and %ld KiB (%+ld KiB)\n",
                static_cast<unsigned long long>(read), lowest, highest, highest - lowest);
    return read == kTopicSize ? 0 : 1;
  } catch (CKelException* e) {
    std::fprintf(stderr, "failed: code %u %s\n", e->m_code, e->m_arg1.c_str());
    delete e;
    return 1;
  }
}
