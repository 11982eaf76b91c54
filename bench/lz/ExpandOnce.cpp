// Packs the HTML corpus (the first MEGABYTES of it, default 8) and expands
// every block once with CKelLzExpandBufByte::Expand, so that callgrind can
// count the instructions of the expansion alone
// (--toggle-collect='CKelLzExpandBufByte::Expand(*'). Prints the bytes expanded.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "archive/LzExpand.h"
#include "bench/lz/HtmlCorpus.h"

int main(int argc, char** argv) {
  const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 8;
  const HtmlCorpus corpus = HtmlCorpus::Load(HtmlCorpusFolder(), megabytes << 20);
  CKelLzExpandBufByte expander;
  std::vector<std::uint8_t> area(65552);
  std::size_t expanded = 0;
  for (const auto& block : corpus.blocks)
    if (!block.empty()) expanded += expander.Expand(area.data(), area.size(), block.data(), block.size());
  std::printf("%zu\n", expanded);
  return 0;
}
