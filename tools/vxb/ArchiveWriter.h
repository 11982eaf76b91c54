// Writes archives: a VEXO-BIFF container of the archive kind with its records,
// then every topic (name record and chunks, each chunk packed where packing makes
// it smaller), the topic table with its hash chains, and the slot list.
//
// The output depends only on the topics, the archive's properties and its
// creation time: topics are written in the byte order of their paths, and the
// creation time comes from the caller, SOURCE_DATE_EPOCH or the clock.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace stow {

class ReplacementFile;
class TopicTable;

// What an archive tells about itself.
struct ArchiveProperties {
  std::string name;  // the key under which the archive is registered; not empty
  std::string title;
  std::string copyright;
  std::uint32_t firmCode = 0xFFFFFFFF;  // none
  std::string startTopic;               // path of the start topic; empty: none
  std::optional<std::time_t> creationTime;
};

class ArchiveWriter {
 public:
  // Bytes of topic data read so far and in all.
  using Progress = std::function<void(std::uint64_t done, std::uint64_t total)>;
  // A warning: TEXT with %1 standing for ARG.
  using Warning = std::function<void(const std::string& text, const std::string& arg)>;

  explicit ArchiveWriter(ArchiveProperties properties);

  // Adds a topic at PATH ("/" between folders, UTF-8) whose bytes are those of the
  // file SOURCE; SIZE (the file's size when added) only weighs the progress.
  void AddFile(std::string path, std::string source, std::uint64_t size);
  // Adds a topic holding BYTES. SKIPPEDBLOCK, when given, is a block of 20-byte
  // entries that readers skip between the name and the data.
  void AddBytes(std::string path, std::string bytes, std::string skippedBlock = {});
  void SetProgress(Progress progress) { m_progress = std::move(progress); }
  // Where warnings go: a source file that turned out to be no regular file when it
  // was opened is left out with a warning; without a receiver it fails the write.
  void SetWarning(Warning warning) { m_warning = std::move(warning); }

  // Writes the archive to OUTPUT (see ReplacementFile): it appears there only when
  // complete, replacing a file of that name that is writable.
  void Write(const std::string& output);
  // Writes the archive into the temporary of OUTPUT and commits it. Sizes beyond
  // the reach of the archive's 32-bit lengths and offsets fail before any byte is
  // packed.
  void Write(ReplacementFile& output);

 private:
  struct Topic {
    std::string path;
    std::u16string name;
    std::string source;  // file to read, or empty
    std::string bytes;   // the topic's bytes when there is no file
    std::string skippedBlock;
    std::uint64_t size = 0;
    std::uint32_t slot = 0;
    std::uint32_t nameOffset = 0;
    std::uint32_t expandedLength = 0;
    std::uint32_t storedLength = 0;
  };
  class Output;
  class TopicSource;

  void Add(Topic topic);
  void CheckProperties() const;
  void CheckTopics();
  void CheckSizes() const;
  void WriteTo(Output& out);
  // False when the topic's source is left out (no regular file when opened).
  bool WriteTopic(Output& out, Topic& topic, std::uint64_t& done, std::uint64_t total);
  void WriteTable(Output& out, const TopicTable& table, const std::vector<Topic*>& topics);
  std::uint32_t StartSlot(const std::vector<Topic*>& topics) const;

  ArchiveProperties m_properties;
  std::vector<Topic> m_topics;
  Progress m_progress;
  Warning m_warning;
};

}  // namespace stow
