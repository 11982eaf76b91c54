// The content pipeline: a chain of fixed buffers through which the bytes of one
// topic (or of one generated page) are pulled, in pieces of the caller's size,
// from the end of the chain.
//
//   archive file -> FileBuffer -> UnpackBuffer -> EndBuffer (the caller's memory)
//   MessageBuffer (a generated page)            -> EndBuffer
//
// Every stage keeps its valid bytes at an offset inside its data area, so that
// dropping bytes from the front (Consume) moves nothing. A content byte is thus
// copied three times at most: from the file into the file buffer, into the
// unpacking buffer (by copy or expansion), and into the caller's memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

class CKelFile;
class CKelLzExpandBufByte;

namespace stow {

class ConsumerBuffer {
 public:
  // A stage that allocates and owns a data area of CAPACITY bytes.
  explicit ConsumerBuffer(std::uint32_t capacity);
  // A stage around MEMORY of SIZE bytes that it neither allocates nor frees.
  ConsumerBuffer(std::uint8_t* memory, std::uint32_t size);
  virtual ~ConsumerBuffer();
  ConsumerBuffer(const ConsumerBuffer&) = delete;
  ConsumerBuffer& operator=(const ConsumerBuffer&) = delete;

  // Makes bytes available at Data() and adds how many to COUNT (which the caller
  // sets to 0): the bytes already held, else as many as the upstream stages give,
  // up to MAX and the room of the data area.
  virtual void Read(std::uint32_t max, std::uint32_t& count);
  // Drops the first N bytes held (the downstream stage has taken them).
  virtual void Consume(std::uint32_t n);

  const std::uint8_t* Data() const { return m_data + m_start; }
  std::uint32_t Filled() const { return m_filled; }
  std::uint32_t Capacity() const { return m_capacity; }
  bool Ended() const { return m_ended; }
  void SetUpstream(ConsumerBuffer* upstream) { m_upstream = upstream; }

 protected:
  // Asks the upstream stage for up to MAX bytes; N = bytes available there.
  virtual void Pull(std::uint32_t max, std::uint32_t& n);
  // Moves N bytes from the upstream stage behind the bytes held; M = bytes added.
  virtual void Take(std::uint32_t n, std::uint32_t& m);
  // Tells the upstream stage that N bytes were taken.
  virtual void Release(std::uint32_t n);

  // Empty again: nothing held, not ended.
  void Restart();
  // Drops N bytes; when they were all that was held and nothing more can come
  // from upstream, the stage has ended.
  void ConsumeAndDetectEnd(std::uint32_t n);
  // Where bytes added behind those held go, and how many fit there.
  std::uint8_t* Tail() { return m_data + m_start + m_filled; }
  std::uint32_t Room() const { return m_capacity - m_start - m_filled; }

  std::uint32_t m_filled = 0;
  bool m_ended = false;
  ConsumerBuffer* m_upstream = nullptr;
  std::uint8_t* m_data;
  std::uint32_t m_capacity;
  bool m_ownsData;
  std::uint32_t m_start = 0;  // offset of the first byte held
};

// A source that holds one complete generated page.
class MessageBuffer : public ConsumerBuffer {
 public:
  using ConsumerBuffer::ConsumerBuffer;
  // Holds TEXT (at most Capacity() bytes) as the whole page, not ended.
  void Load(std::string_view text);
  void Consume(std::uint32_t n) override;
};

// Reads a topic's stored data from the archive file, one chunk at a time: each
// read brings the rest of the current chunk and the head of the next one, so a
// whole chunk is present before it is taken and content bytes are never moved.
//
// Where the file is mapped, the stored bytes are not read at all: the buffer
// holds them all at once where the mapping has them, and they are expanded from
// there (under os::ReadMapped, by the caller).
class FileBuffer : public ConsumerBuffer {
 public:
  explicit FileBuffer(std::uint32_t capacity);
  ~FileBuffer() override;
  // Starts a topic whose STOREDLENGTH bytes lie at OFFSET in FILE. They are read
  // there whatever else moves the file's position, or used in MAPPING, the whole
  // file in memory, when given.
  void Prime(CKelFile& file, std::uint64_t offset, std::uint32_t storedLength,
             const std::uint8_t* mapping = nullptr);
  // Reads up to MAX more bytes of the topic (fewer at its end); COUNT = bytes held.
  void Read(std::uint32_t max, std::uint32_t& count) override;
  // Tops up to NEED bytes held, as far as the topic's stored data reaches.
  void Fill(std::uint32_t need);
  // Whether the N bytes held are all that is left of the topic's stored data.
  bool HoldsOnly(std::uint32_t n) const;
  void MarkEnded() { m_ended = true; }
  // Throws 1031 "file is corrupt" for the archive file, DETAIL completing the text.
  [[noreturn]] void ThrowDamage(const char* detail) const;

 private:
  std::uint8_t* const m_area;     // the buffer's own memory, where bytes are read to
  CKelFile* m_file = nullptr;
  std::uint64_t m_position = 0;   // where the next stored bytes lie in the file
  std::uint32_t m_remaining = 0;  // stored bytes not yet read from the file
};

// Splits the stored data into chunks and hands out their expanded bytes, taking
// the next chunk only when the previous one has been handed out completely.
class UnpackBuffer : public ConsumerBuffer {
 public:
  // One byte more than CAPACITY is allocated: a packed chunk that fills it expands
  // beyond the buffer and is refused rather than cut.
  UnpackBuffer(std::uint32_t capacity, CKelLzExpandBufByte& expander);
  // Starts a topic of EXPANDEDLENGTH bytes whose chunks come from FILE.
  void Prime(FileBuffer& file, std::uint32_t expandedLength);
  void Read(std::uint32_t max, std::uint32_t& count) override;
  void Consume(std::uint32_t n) override;

 protected:
  void Pull(std::uint32_t max, std::uint32_t& n) override;
  void Take(std::uint32_t n, std::uint32_t& m) override;
  void Release(std::uint32_t n) override;

 private:
  FileBuffer& File() const { return static_cast<FileBuffer&>(*m_upstream); }

  CKelLzExpandBufByte* m_expander;
  bool m_packed = false;
  std::uint32_t m_remaining = 0;  // expanded bytes of the topic still to be handed out
};

// Wraps the caller's memory as the last stage of a read.
class EndBuffer : public ConsumerBuffer {
 public:
  EndBuffer(std::uint8_t* memory, std::uint32_t size, ConsumerBuffer& source);
};

}  // namespace stow
