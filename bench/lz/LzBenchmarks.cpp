// Expansion and packing speed of the LZ coder, and packed sizes, on real HTML
// in 32 KiB chunks. Bytes per second are of expanded (plain) data throughout.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "archive/LzExpand.h"
#include "bench/lz/HtmlCorpus.h"
#include "tools/lzpack/tests/PlainLzw.h"
#include "tools/lzpack/LzPacker.h"

namespace {

// The room the reader's unpacking buffer hands to the expander.
constexpr std::size_t kUnpackArea = 65552;

// The corpus, loaded once; every block is checked to expand to its chunk.
const HtmlCorpus& Corpus() {
  static const HtmlCorpus corpus = [] {
    HtmlCorpus loaded = HtmlCorpus::Load(HtmlCorpusFolder());
    CKelLzExpandBufByte expander;
    std::vector<std::uint8_t> area(kUnpackArea);
    for (std::size_t i = 0; i < loaded.blocks.size(); ++i) {
      const auto& block = loaded.blocks[i];
      if (block.empty()) continue;
      const std::size_t n = expander.Expand(area.data(), area.size(), block.data(), block.size());
      if (n != loaded.chunks[i].size() || std::memcmp(area.data(), loaded.chunks[i].data(), n)) {
        std::fprintf(stderr, "chunk %zu does not expand back\n", i);
        std::abort();
      }
    }
    return loaded;
  }();
  return corpus;
}

enum class Way { Fast, Stepwise };

template <Way way>
void BM_Expand(benchmark::State& state) {
  const HtmlCorpus& corpus = Corpus();
  CKelLzExpandBufByte expander;
  std::vector<std::uint8_t> area(kUnpackArea);
  std::size_t expanded = 0;
  for (auto _ : state) {
    for (const auto& block : corpus.blocks) {
      if (block.empty()) continue;
      expanded += way == Way::Fast
                      ? expander.Expand(area.data(), area.size(), block.data(), block.size())
                      : expander.ExpandStepwise(area.data(), area.size(), block.data(), block.size());
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(expanded));
}
BENCHMARK(BM_Expand<Way::Fast>)->Name("BM_Expand")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Expand<Way::Stepwise>)->Name("BM_ExpandStepwise")->Unit(benchmark::kMillisecond);

void BM_Pack(benchmark::State& state) {
  const HtmlCorpus& corpus = Corpus();
  LzPacker packer;
  std::size_t packed = 0;
  for (auto _ : state) {
    for (const auto& chunk : corpus.chunks) {
      if (packer.Pack(chunk)) packed += packer.Block().size();
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.bytes));
  benchmark::DoNotOptimize(packed);
}
BENCHMARK(BM_Pack)->Unit(benchmark::kMillisecond);

// Sizes: the corpus as stored by the packer against a plain greedy LZW.
void BM_PackedSize(benchmark::State& state) {
  const HtmlCorpus& corpus = Corpus();
  std::size_t plain = 0;
  unsigned larger = 0;
  for (auto _ : state) {
    plain = 0;
    larger = 0;
    for (std::size_t i = 0; i < corpus.chunks.size(); ++i) {
      const std::size_t chunk = corpus.chunks[i].size();
      const std::size_t lzw = std::min(chunk, PlainLzwPackedSize(corpus.chunks[i]));
      const std::size_t ours = corpus.blocks[i].empty() ? chunk : corpus.blocks[i].size();
      plain += lzw;
      larger += ours > lzw;
    }
  }
  state.counters["chunks"] = static_cast<double>(corpus.chunks.size());
  state.counters["plain_MB"] = static_cast<double>(corpus.bytes) / 1e6;
  state.counters["packed_%"] = 100.0 * static_cast<double>(corpus.packedBytes) / static_cast<double>(corpus.bytes);
  state.counters["plain_lzw_%"] = 100.0 * static_cast<double>(plain) / static_cast<double>(corpus.bytes);
  state.counters["chunks_larger_than_lzw"] = larger;
}
BENCHMARK(BM_PackedSize)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
