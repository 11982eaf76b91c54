#include "bench/lz/HtmlCorpus.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tools/lzpack/LzPacker.h"

namespace fs = std::filesystem;

std::string HtmlCorpusFolder() {
  const char* folder = std::getenv("VXST_LZ_CORPUS");
  return folder && *folder ? folder : "/usr/share/doc/python3-doc/html";
}

namespace {

std::vector<std::string> HtmlFiles(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, fs::directory_options::follow_directory_symlink,
                                           error),
       end;
       !error && it != end; it.increment(error)) {
    const std::string extension = it->path().extension().string();
    if (it->is_regular_file() && (extension == ".html" || extension == ".htm"))
      files.push_back(it->path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

HtmlCorpus HtmlCorpus::Load(const std::string& folder, std::size_t maxBytes) {
  HtmlCorpus corpus;
  LzPacker packer;
  for (const std::string& file : HtmlFiles(folder)) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(in), {}};
    for (std::size_t at = 0; at < data.size() && corpus.bytes < maxBytes; at += LzPacker::kMaxChunk) {
      const std::size_t size = std::min(LzPacker::kMaxChunk, data.size() - at);
      const auto& chunk = corpus.chunks.emplace_back(data.begin() + at, data.begin() + at + size);
      auto& block = corpus.blocks.emplace_back();
      if (packer.Pack(chunk)) block.assign(packer.Block().begin(), packer.Block().end());
      corpus.bytes += size;
      corpus.packedBytes += block.empty() ? size : block.size();
    }
  }
  if (corpus.chunks.empty()) throw std::runtime_error("no HTML files under " + folder);
  return corpus;
}
