// Builds the index of an archive: reads every HTML topic through the archive
// document, takes its text apart (search/PageText.h) and writes the tables of
// search/IndexSchema.h. The index is written to a temporary file beside its
// place and renamed over it when complete, so that readers see the old index or
// the new one, never a part; a failed or cancelled build leaves nothing behind.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class CKelException;

namespace search {

struct IndexBuildOptions {
  std::string indexPath;  // "" for IndexPathOf(the archive)
  // Told the bytes of topics read so far and in all; may be empty.
  std::function<void(std::uint64_t done, std::uint64_t total)> progress;
  // Told each HTML topic that could not be read (and is left out).
  std::function<void(const std::string& topic, CKelException& failure)> onUnreadable;
  // Set from another thread to stop the build (it then throws CKelAbortException).
  const std::atomic<bool>* cancel = nullptr;
};

struct IndexBuildResult {
  std::string indexPath;
  std::uint32_t pages = 0;     // HTML topics indexed
  std::uint32_t unreadable = 0;  // HTML topics passed over because they could not be read
  std::uint64_t indexBytes = 0;
};

// Builds the index of the archive at ARCHIVEPATH. Throws the archive's errors
// when it cannot be read as an archive, and file errors about the index file.
IndexBuildResult BuildIndex(const std::string& archivePath, const IndexBuildOptions& options = {});

}  // namespace search
