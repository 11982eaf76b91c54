// Lookups by path in large archives: for each topic count given (default 32000
// and 1000000), an archive of documentation-like topics is written once into the
// temporary folder, then
//   - loading its topic table (LoadTopicTable, fresh document each time; median),
//   - OpenTopic of every topic in a random order, each call timed: a first pass
//     (no name touched yet by this process) and a second one,
//   - OpenTopic of names that are not there,
// and the memory of the process (resident and anonymous) after the lookups.
//
//   vxlookup_bench [TOPICS...] [--lookups N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "archive/VxbFile.h"
#include "base/KelException.h"
#include "bench/archive/BenchArchives.h"
#include "tools/vxb/ArchiveWriter.h"

namespace {

using Clock = std::chrono::steady_clock;

double Microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

// VmRSS and RssAnon of this process, in MiB.
std::pair<double, double> MemoryMiB() {
  std::ifstream status("/proc/self/status");
  double resident = 0;
  double anonymous = 0;
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmRSS:")) resident = std::stod(line.substr(6)) / 1024;
    if (line.starts_with("RssAnon:")) anonymous = std::stod(line.substr(8)) / 1024;
  }
  return {resident, anonymous};
}

// Pages of 300 to 3,300 bytes, so that a million topics stay well inside the
// 4 GiB that offsets reach; smaller sets get pages of 1 to 16 KB, as API
// references have.
std::string ArchiveFor(std::size_t topics) {
  const std::string path = bench::TemporaryPath("vxst-bench-lookup-" + std::to_string(topics) + ".vxb");
  if (std::filesystem::exists(path)) return path;
  std::printf("writing %s ...\n", path.c_str());
  std::fflush(stdout);
  stow::ArchiveProperties properties;
  properties.name = "Lookup";
  properties.creationTime = 1700000000;
  stow::ArchiveWriter writer(properties);
  const bool large = topics > 100000;
  unsigned seed = 0;
  for (const std::string& topic : bench::DocumentationPaths(topics)) {
    const std::size_t size = large ? 300 + (seed * 7919) % 3000 : 1000 + (seed * 7919) % 15000;
    writer.AddBytes(topic, bench::PageText(size, seed));
    ++seed;
  }
  writer.Write(path);
  return path;
}

struct Figures {
  double median;
  double p99;
};

Figures Percentiles(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return {values[values.size() / 2], values[values.size() * 99 / 100]};
}

// Times OpenTopic on each of REQUESTS; FOUND tells whether they should be found.
Figures TimeLookups(ThisVxbFile& archive, const std::vector<std::string>& requests, bool found) {
  std::vector<double> times;
  times.reserve(requests.size());
  std::string path;
  for (const std::string& request : requests) {
    path = request;
    const Clock::time_point start = Clock::now();
    const bool result = archive.OpenTopic(ThisVxbFile::kNoTopic, path);
    times.push_back(Microseconds(Clock::now() - start));
    if (result != found) {
      std::fprintf(stderr, "%s: %s\n", request.c_str(), found ? "not found" : "found");
      std::exit(1);
    }
  }
  return Percentiles(std::move(times));
}

void Measure(std::size_t topics, std::size_t lookups) {
  const std::string path = ArchiveFor(topics);
  std::vector<double> loads;
  for (int i = 0; i < 5; ++i) {
    ThisVxbFile archive;
    archive.SetPath(path);
    const Clock::time_point start = Clock::now();
    archive.LoadTopicTable();
    loads.push_back(Microseconds(Clock::now() - start) / 1000);
  }
  ThisVxbFile archive;
  archive.SetPath(path);
  archive.LoadTopicTable();

  std::vector<std::string> requests = bench::DocumentationPaths(topics);
  std::shuffle(requests.begin(), requests.end(), std::mt19937(7));
  if (requests.size() > lookups) requests.resize(lookups);
  std::vector<std::string> missing;
  for (std::size_t i = 0; i < std::min<std::size_t>(lookups, 100000); ++i)
    missing.push_back("reference/table/Missing" + std::to_string(i) + ".htm");

  const Figures first = TimeLookups(archive, requests, true);
  const Figures second = TimeLookups(archive, requests, true);
  const Figures absent = TimeLookups(archive, missing, false);
  const auto [resident, anonymous] = MemoryMiB();
  std::printf("%zu topics, %u slots, %.0f MB file\n", topics, archive.GetSlotCount(),
              static_cast<double>(std::filesystem::file_size(path)) / 1e6);
  std::printf("  LoadTopicTable            median %8.2f ms\n", Percentiles(loads).median);
  std::printf("  lookup, first pass        median %8.2f us   p99 %8.2f us   (%zu lookups)\n",
              first.median, first.p99, requests.size());
  std::printf("  lookup, second pass       median %8.2f us   p99 %8.2f us\n", second.median, second.p99);
  std::printf("  lookup of missing names   median %8.2f us   p99 %8.2f us\n", absent.median, absent.p99);
  std::printf("  memory after the lookups  resident %.1f MiB, anonymous %.1f MiB\n", resident, anonymous);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::size_t> counts;
  std::size_t lookups = 200000;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--lookups" && i + 1 < argc) {
      lookups = std::strtoul(argv[++i], nullptr, 10);
    } else {
      counts.push_back(std::strtoul(word.c_str(), nullptr, 10));
    }
  }
  if (counts.empty()) counts = {32000, 1000000};
  try {
    for (std::size_t topics : counts) Measure(topics, lookups);
  } catch (CKelException* e) {
    std::fprintf(stderr, "failed: code %u %s\n", e->m_code, e->m_arg1.c_str());
    delete e;
    return 1;
  }
  return 0;
}
