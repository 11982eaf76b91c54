// vxb index FILE.vxb and vxb search FILE.vxb WORDS...: the full-text index of an
// archive, kept in the user's cache folder, and queries over it.
#include <memory>

#include "base/KelException.h"
#include "search/ArchiveIndex.h"
#include "search/IndexBuilder.h"
#include "search/IndexLocation.h"
#include "tools/vxb/Arguments.h"
#include "tools/vxb/Commands.h"
#include "tools/vxb/ProgressBar.h"

namespace vxb {

namespace {

constexpr std::size_t kDefaultResults = 10;
constexpr std::uint32_t kMostResults = 1000;

search::IndexBuildResult Build(const std::string& archive, Console& console, bool& complete) {
  ProgressBar bar(console.Err(), console.ProgressBar(), "indexing");
  search::IndexBuildOptions options;
  options.progress = [&bar](std::uint64_t done, std::uint64_t total) { bar.Update(done, total); };
  options.onUnreadable = [&](const std::string&, CKelException& failure) {
    bar.Finish();
    console.Report(failure);
    complete = false;
  };
  return search::BuildIndex(archive, options);
}

// The index of ARCHIVE as it is now: the one in the cache, or a new one.
std::unique_ptr<search::ArchiveIndex> CurrentIndex(const std::string& archive,
                                                   const search::FoldingTokenizer& tokenizer,
                                                   Console& console) {
  if (std::unique_ptr<search::ArchiveIndex> index = search::OpenCurrentIndex(archive, tokenizer))
    return index;
  bool complete = true;
  return std::make_unique<search::ArchiveIndex>(Build(archive, console, complete).indexPath,
                                                tokenizer);
}

}  // namespace

int Index(const Words& words, Console& console) {
  const Arguments args(words, {});
  const std::string archive = args.Operands(1, 1, "archive file")[0];
  bool complete = true;
  const search::IndexBuildResult result = Build(archive, console, complete);
  console.Out() << result.indexPath << ": " << result.pages << " pages, "
                << ByteCountText(result.indexBytes);
  if (result.unreadable > 0) console.Out() << ", " << result.unreadable << " pages unreadable";
  console.Out() << '\n';
  return complete ? kSuccess : kFailure;
}

int Search(const Words& words, Console& console) {
  const Arguments args(words, {"-n"});
  const Words& operands = args.Operands(2, SIZE_MAX, "archive file and words");
  const std::size_t limit = args.Number("-n", kMostResults, kDefaultResults);
  std::string query;
  for (std::size_t i = 1; i < operands.size(); ++i) query += (i > 1 ? " " : "") + operands[i];
  const search::FoldingTokenizer tokenizer;
  const std::unique_ptr<search::ArchiveIndex> index = CurrentIndex(operands[0], tokenizer, console);
  // Words on a command line are complete: none is taken as a prefix.
  query += ' ';
  bool partial = false;
  std::vector<search::SearchHit> hits = index->Search(query, limit, true, partial);
  std::string respelled;
  if (hits.empty()) {
    respelled = index->Respelled(query);
    if (!respelled.empty()) hits = index->Search(respelled + ' ', limit, true, partial);
  }
  if (!respelled.empty() && !hits.empty()) console.Out() << "(showing results for: " << respelled << ")\n";
  if (partial) console.Out() << "(no page holds every word; pages with some of them)\n";
  for (const search::SearchHit& hit : hits)
    console.Out() << hit.path << '\t' << hit.title << '\t' << hit.snippet.text << '\n';
  if (hits.empty()) console.Err() << "vxb: nothing found for " << query << '\n';
  return hits.empty() ? kFailure : kSuccess;
}

}  // namespace vxb
