#include "archive/ConsumerBuffer.h"

#include <algorithm>
#include <cstring>

#include "archive/LzExpand.h"
#include "base/KelFile.h"

namespace stow {

namespace {

constexpr std::uint32_t kChunkHeadSize = 2;
constexpr std::uint32_t kLargestPlainChunk = 0x8000;
constexpr std::uint32_t kCorruptFile = 1031;  // "file is corrupt%1"

}  // namespace

ConsumerBuffer::ConsumerBuffer(std::uint32_t capacity)
    : m_data(new std::uint8_t[capacity]), m_capacity(capacity), m_ownsData(true) {}

ConsumerBuffer::ConsumerBuffer(std::uint8_t* memory, std::uint32_t size)
    : m_data(memory), m_capacity(size), m_ownsData(false) {}

ConsumerBuffer::~ConsumerBuffer() {
  if (m_ownsData) delete[] m_data;
}

void ConsumerBuffer::Read(std::uint32_t max, std::uint32_t& count) {
  if (m_filled > 0) {
    count = std::min(max, m_filled);
    return;
  }
  const std::uint32_t want = std::min(max, Room());
  std::uint32_t ask = want;
  while (m_upstream != nullptr && !m_upstream->Ended() && count < want) {
    std::uint32_t n = 0;
    Pull(ask, n);
    std::uint32_t m = 0;
    Take(n, m);
    Release(n);
    count += m;
    ask -= m;
  }
}

void ConsumerBuffer::Consume(std::uint32_t n) {
  m_start += n;
  m_filled -= n;
  if (m_filled == 0) m_start = 0;
}

void ConsumerBuffer::Pull(std::uint32_t max, std::uint32_t& n) { m_upstream->Read(max, n); }

void ConsumerBuffer::Take(std::uint32_t n, std::uint32_t& m) {
  std::memcpy(Tail(), m_upstream->Data(), n);
  m_filled += n;
  m = n;
}

void ConsumerBuffer::Release(std::uint32_t n) { m_upstream->Consume(n); }

void ConsumerBuffer::Restart() {
  m_filled = 0;
  m_start = 0;
  m_ended = false;
}

void ConsumerBuffer::ConsumeAndDetectEnd(std::uint32_t n) {
  ConsumerBuffer::Consume(n);
  if (m_filled == 0 && (m_upstream == nullptr || m_upstream->Ended())) m_ended = true;
}

void MessageBuffer::Load(std::string_view text) {
  Restart();
  m_upstream = nullptr;
  std::memcpy(m_data, text.data(), text.size());
  m_filled = static_cast<std::uint32_t>(text.size());
}

void MessageBuffer::Consume(std::uint32_t n) { ConsumeAndDetectEnd(n); }

FileBuffer::FileBuffer(std::uint32_t capacity) : ConsumerBuffer(capacity), m_area(m_data) {}

// The base frees the buffer's own memory, not a mapping.
FileBuffer::~FileBuffer() { m_data = m_area; }

void FileBuffer::Prime(CKelFile& file, std::uint64_t offset, std::uint32_t storedLength,
                       const std::uint8_t* mapping) {
  Restart();
  m_file = &file;
  if (mapping != nullptr) {
    m_data = const_cast<std::uint8_t*>(mapping + offset);  // only ever read
    m_filled = storedLength;
    m_remaining = 0;
  } else {
    m_data = m_area;
    m_position = offset;
    m_remaining = storedLength;
  }
}

void FileBuffer::Read(std::uint32_t max, std::uint32_t& count) {
  if (m_remaining > 0) {
    const std::uint32_t wanted = std::min(m_remaining, max);
    if (wanted > Room() && m_start > 0) {
      // Only the head of the next chunk is ever held here: move those two bytes
      // to the front rather than the content behind them.
      std::memmove(m_data, Data(), m_filled);
      m_start = 0;
    }
    const std::uint32_t k = std::min(wanted, Room());
    m_file->ReadAt(m_position, Tail(), k);
    m_position += k;
    m_filled += k;
    m_remaining -= k;
  }
  count = m_filled;
}

void FileBuffer::ThrowDamage(const char* detail) const {
  CKelFile::ThrowFileError(*m_file, kCorruptFile, 0, detail);
}

bool FileBuffer::HoldsOnly(std::uint32_t n) const { return m_filled == n && m_remaining == 0; }

void FileBuffer::Fill(std::uint32_t need) {
  if (m_filled >= need) return;
  std::uint32_t held = 0;
  Read(need - m_filled, held);
}

UnpackBuffer::UnpackBuffer(std::uint32_t capacity, CKelLzExpandBufByte& expander)
    : ConsumerBuffer(capacity + 1), m_expander(&expander) {
  m_capacity = capacity;
}

void UnpackBuffer::Prime(FileBuffer& file, std::uint32_t expandedLength) {
  Restart();
  m_upstream = &file;
  m_remaining = expandedLength;
  m_packed = false;
}

void UnpackBuffer::Read(std::uint32_t max, std::uint32_t& count) {
  if (m_filled == 0) {
    std::uint32_t n = 0;
    Pull(max, n);
    std::uint32_t m = 0;
    Take(n, m);
    Release(n);
  }
  count = std::min(max, m_filled);
  m_remaining -= count;
}

void UnpackBuffer::Consume(std::uint32_t n) { ConsumeAndDetectEnd(n); }

void UnpackBuffer::Pull(std::uint32_t, std::uint32_t& n) {
  // Once the topic is complete no further head is read, whatever stored bytes follow.
  if (m_remaining == 0) return;
  FileBuffer& file = File();
  file.Fill(kChunkHeadSize);
  if (file.Filled() < kChunkHeadSize) File().ThrowDamage(" (topic data too short)");
  const std::uint32_t head = file.Data()[0] | (file.Data()[1] << 8);
  m_packed = head > kLargestPlainChunk;
  n = m_packed ? head & 0x7FFF : head;
  const std::uint32_t chunk = kChunkHeadSize + n;
  file.Fill(chunk + kChunkHeadSize);
  if (file.Filled() < chunk) File().ThrowDamage(" (chunk longer than the topic data)");
}

void UnpackBuffer::Take(std::uint32_t n, std::uint32_t& m) {
  if (n == 0) return;
  const std::uint8_t* body = File().Data() + kChunkHeadSize;
  if (m_packed) {
    // The guard byte behind the capacity tells an expansion that fills the buffer
    // from one that would run beyond it.
    m = static_cast<std::uint32_t>(m_expander->Expand(Tail(), Room() + 1, body, n));
    if (m > Room()) File().ThrowDamage(" (chunk expands beyond the buffer)");
  } else {
    std::memcpy(Tail(), body, n);
    m = n;
  }
  if (m > m_remaining) File().ThrowDamage(" (chunk longer than the topic)");
  // The chunk that completes the topic must also be the last of its stored data.
  if (m == m_remaining && m > 0 && !File().HoldsOnly(kChunkHeadSize + n))
    File().ThrowDamage(" (topic data longer than its chunks)");
  m_filled += m;
}

void UnpackBuffer::Release(std::uint32_t n) {
  if (m_remaining > 0)
    File().Consume(kChunkHeadSize + n);
  else
    File().MarkEnded();
}

EndBuffer::EndBuffer(std::uint8_t* memory, std::uint32_t size, ConsumerBuffer& source)
    : ConsumerBuffer(memory, size) {
  m_upstream = &source;
}

}  // namespace stow
