// Speed of search in-process: runs the queries of a file (one a line) against
// the indexes of the archives named, as searches and as suggestions (each prefix
// of every query's first word), and prints median, 99th percentile and CPU time
// per call. Indexes that are missing are built first.
//
//   vxsearch_speed QUERIES.txt ARCHIVE.vxb...
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/messages/MessageTable.h"
#include "search/SearchService.h"

namespace {

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

template <class Call>
void Measure(const char* what, const std::vector<std::string>& inputs, Call call) {
  std::vector<double> times;
  const double cpuStart = ThreadSeconds();
  for (const std::string& input : inputs) {
    const auto start = std::chrono::steady_clock::now();
    call(input);
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  const double cpu = (ThreadSeconds() - cpuStart) * 1000 / double(inputs.size());
  std::sort(times.begin(), times.end());
  std::printf("%-12s %6zu calls  median %7.3f ms  p99 %7.3f ms  max %7.3f ms  cpu %7.3f ms/call\n",
              what, times.size(), times[times.size() / 2], times[times.size() * 99 / 100],
              times.back(), cpu);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vxsearch_speed QUERIES.txt ARCHIVE.vxb...\n");
    return 2;
  }
  InstallMessageTable();
  std::vector<std::string> queries;
  std::ifstream in(argv[1]);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) queries.push_back(line);
  std::vector<search::SearchableArchive> archives;
  for (int i = 2; i < argc; ++i) archives.push_back({"", argv[i]});
  search::SearchService service(archives, {});
  service.Prepare();
  service.WaitUntilIdle();
  std::size_t found = 0;
  Measure("search", queries, [&](const std::string& q) { found += service.Search(q + ' ', {}, 10).hits.size(); });
  std::vector<std::string> prefixes;
  for (const std::string& q : queries)
    for (std::size_t n = 1; n <= q.size() && n <= 12; ++n) prefixes.push_back(q.substr(0, n));
  Measure("suggest", prefixes, [&](const std::string& p) { found += service.Suggest(p, {}, 10).size(); });
  std::printf("(%zu results in all)\n", found);
  return 0;
}
