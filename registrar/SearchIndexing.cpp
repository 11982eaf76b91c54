#include "registrar/SearchIndexing.h"

#include <unistd.h>

#include <cstdio>
#include <memory>

#include "base/KelErrorMessage.h"
#include "base/KelException.h"
#include "base/MessageCodes.h"
#include "search/ArchiveIndex.h"
#include "search/IndexBuilder.h"

namespace registrar {

namespace {

std::string MessageOf(CKelException& failure) {
  CKelErrorMessage composer;
  composer.m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine;
  return composer.Report(&failure);
}

void BuildOne(const std::string& archive, bool showProgress) {
  search::IndexBuildOptions options;
  int shown = -1;
  if (showProgress) {
    options.progress = [&](std::uint64_t done, std::uint64_t total) {
      const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
      if (percent == shown) return;
      shown = percent;
      std::fprintf(stderr, "\rIndexing %s for search: %d%%", archive.c_str(), percent);
    };
  }
  try {
    search::BuildIndex(archive, options);
  } catch (...) {
    if (shown >= 0) std::fputc('\n', stderr);
    throw;
  }
  if (shown >= 0) std::fputc('\n', stderr);
}

}  // namespace

void BuildSearchIndexes(const std::vector<std::string>& archives, CKelErrorMessage& messages) {
  const search::FoldingTokenizer tokenizer;
  const bool showProgress = ::isatty(STDERR_FILENO) == 1;
  for (const std::string& archive : archives) {
    if (search::OpenCurrentIndex(archive, tokenizer)) continue;
    try {
      BuildOne(archive, showProgress);
    } catch (CKelException* e) {
      const std::unique_ptr<CKelException> owned(e);
      CKelException warning(vxs::kGenericWarning, "The search index of " + archive +
                                                      " could not be built: " + MessageOf(*owned));
      messages.Report(&warning);
    } catch (CException* e) {
      e->Delete();  // out of memory: the index is built on first search instead
    }
  }
}

}  // namespace registrar
