// Speed of the archive document:
//   OpenTopicByPath   one lookup in an archive of 100,000 topics (median and 99th
//                     percentile of single calls, the file in the page cache)
//   LoadTopicTable    opening that archive and reading its table
//   ReadTopicData     a packed documentation set read through the pipeline
//   ExpandChunks      the same set's packed chunks expanded directly, the bound
//                     that ReadTopicData should come close to
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

#include "archive/LzExpand.h"
#include "archive/TopicName.h"
#include "archive/VxbFile.h"
#include "base/LittleEndian.h"
#include "bench/archive/BenchArchives.h"
#include "tools/vxb/ArchiveWriter.h"

namespace {

constexpr std::size_t kLargeTopicCount = 100000;

stow::ArchiveProperties Properties() {
  stow::ArchiveProperties properties;
  properties.name = "Bench";
  properties.creationTime = 1700000000;
  return properties;
}

const std::string& LargeArchive() {
  static const std::string path = [] {
    const std::string file = bench::TemporaryPath("vxst-bench-100k.vxb");
    stow::ArchiveWriter writer(Properties());
    unsigned seed = 0;
    for (const std::string& topic : bench::DocumentationPaths(kLargeTopicCount)) {
      writer.AddBytes(topic, bench::PageText(200 + seed % 600, seed));
      ++seed;
    }
    writer.Write(file);
    return file;
  }();
  return path;
}

const std::string& DocumentationSet() {
  static const std::string path = [] {
    const std::string file = bench::TemporaryPath("vxst-bench-docs.vxb");
    stow::ArchiveWriter writer(Properties());
    unsigned seed = 0;
    for (const std::string& topic : bench::DocumentationPaths(2000)) {
      writer.AddBytes(topic, bench::PageText(2000 + (seed * 7919) % 60000, seed));
      ++seed;
    }
    writer.Write(file);
    return file;
  }();
  return path;
}

std::unique_ptr<ThisVxbFile> Load(const std::string& path) {
  auto archive = std::make_unique<ThisVxbFile>();
  archive->SetPath(path);
  archive->LoadTopicTable();
  return archive;
}

void OpenTopicByPath(benchmark::State& state) {
  const std::unique_ptr<ThisVxbFile> archive = Load(LargeArchive());
  std::vector<std::string> requests = bench::DocumentationPaths(kLargeTopicCount);
  std::shuffle(requests.begin(), requests.end(), std::mt19937(7));
  std::vector<double> nanoseconds;
  nanoseconds.reserve(requests.size());
  std::size_t next = 0;
  std::string path;
  for (auto _ : state) {
    path = requests[next];
    next = (next + 1) % requests.size();
    const auto start = std::chrono::steady_clock::now();
    const bool found = archive->OpenTopic(ThisVxbFile::kNoTopic, path);
    const auto end = std::chrono::steady_clock::now();
    if (!found) state.SkipWithError("topic not found");
    if (nanoseconds.size() < requests.size())
      nanoseconds.push_back(std::chrono::duration<double, std::nano>(end - start).count());
  }
  std::sort(nanoseconds.begin(), nanoseconds.end());
  state.counters["median_us"] = nanoseconds[nanoseconds.size() / 2] / 1000;
  state.counters["p99_us"] = nanoseconds[nanoseconds.size() * 99 / 100] / 1000;
}
BENCHMARK(OpenTopicByPath)->Iterations(kLargeTopicCount);

void LoadTopicTable(benchmark::State& state) {
  ThisVxbFile archive;
  archive.SetPath(LargeArchive());
  for (auto _ : state) {
    benchmark::DoNotOptimize(archive.LoadTopicTable());
    archive.Close();
  }
  archive.LoadTopicTable();
  state.counters["slots"] = archive.GetSlotCount();
}
BENCHMARK(LoadTopicTable)->Unit(benchmark::kMillisecond);

void ReadTopicData(benchmark::State& state) {
  const std::unique_ptr<ThisVxbFile> archive = Load(DocumentationSet());
  std::vector<char> buffer(32768);
  std::uint64_t bytes = 0;
  for (auto _ : state) {
    for (std::uint32_t slot = 0; slot < archive->GetSlotCount(); ++slot) {
      std::string path;
      if (!archive->OpenTopic(static_cast<std::int32_t>(slot), path)) continue;
      for (bool ended = false; !ended;) {
        std::uint32_t count = 0;
        ended = archive->ReadTopicData(buffer.data(), static_cast<std::uint32_t>(buffer.size()), count);
        bytes += count;
      }
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(ReadTopicData)->Unit(benchmark::kMillisecond);

// The packed chunks of every topic of the documentation set, as stored.
std::vector<std::string> PackedChunks() {
  const std::unique_ptr<ThisVxbFile> archive = Load(DocumentationSet());
  std::vector<std::string> chunks;
  for (std::uint32_t slot = 0; slot < archive->GetSlotCount(); ++slot) {
    std::string path;
    if (!archive->OpenTopic(static_cast<std::int32_t>(slot), path)) continue;
    // The stored data follows the name record (the writer adds no skipped block).
    const stow::TopicSlot entry = archive->GetSlot(slot);
    std::string stored(entry.storedLength, '\0');
    archive->ReadAt(entry.nameOffset + 2 + 2 * stow::Utf8ToUtf16(path).size(), stored.data(), stored.size());
    for (std::size_t at = 0; at + 2 <= stored.size();) {
      const std::uint16_t head = vxs::GetU16(stored.data() + at);
      const std::size_t body = head > 0x8000 ? head & 0x7FFF : head;
      if (head > 0x8000) chunks.push_back(stored.substr(at + 2, body));
      at += 2 + body;
    }
  }
  return chunks;
}

void ExpandChunks(benchmark::State& state) {
  const std::vector<std::string> chunks = PackedChunks();
  CKelLzExpandBufByte expander(8, 12);
  std::vector<std::uint8_t> output(65552);
  std::uint64_t bytes = 0;
  for (auto _ : state) {
    for (const std::string& chunk : chunks)
      bytes += expander.Expand(output.data(), output.size(),
                               reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(ExpandChunks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
