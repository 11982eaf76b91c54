// The benchmark corpus: the HTML files of a documentation set, cut into chunks
// of 32 KiB as an archive stores them, and each chunk packed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Where the corpus lives: $VXST_LZ_CORPUS, else the Python documentation of
// Debian's python3-doc (installed by scripts/bootstrap).
std::string HtmlCorpusFolder();

struct HtmlCorpus {
  std::vector<std::vector<std::uint8_t>> chunks;  // every file cut into 32 KiB pieces
  std::vector<std::vector<std::uint8_t>> blocks;  // each chunk packed (empty where that saved nothing)
  std::size_t bytes = 0;                          // all chunks together
  std::size_t packedBytes = 0;                    // chunks as stored: packed, else plain

  // Reads the *.html and *.htm files under FOLDER in byte order of their
  // paths, at most MAXBYTES of them. Throws std::runtime_error when the
  // folder holds no HTML.
  static HtmlCorpus Load(const std::string& folder, std::size_t maxBytes = SIZE_MAX);
};
