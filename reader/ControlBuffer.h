// The reader control's shared buffer: the host writes a record into it, SetData
// reads the record back with ReadInt32 and ReadString.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/TempRegistrar.h"
#include "reader/AutoValueArray.h"

class Buffer : public AutoValueArray<char> {
 public:
  static constexpr std::uint32_t kSize = 2048;

  // CAPACITY zero bytes, wiped when the buffer goes.
  explicit Buffer(std::uint32_t capacity = kSize);

  std::uint32_t GetCapacity() const { return m_capacity; }
  void SetReadPosition(std::uint32_t position) { m_readPosition = position; }
  std::uint32_t GetReadPosition() const { return m_readPosition; }

  // The little-endian 32-bit value at the read position; the generic error 1000
  // "Buffer to small" when it does not lie wholly in the buffer.
  std::int32_t ReadInt32();
  // A 16-bit length n and the n bytes after it: "Buffer to small" when the
  // length does not fit, "Incorrect value for string length" when the text
  // does not (both error 1000).
  std::string ReadString();

  bool m_inUse = false;

 private:
  // Whether COUNT bytes from the read position lie in the buffer.
  bool Holds(std::uint32_t count) const;

  std::uint32_t m_capacity;
  std::uint32_t m_readPosition = 0;
};

// Reads the hand-over record from the start of BUFFER (archive name, path,
// firm code, a text kept with it: texts as a 16-bit length and their bytes); the
// buffer is marked in use meanwhile. A record that does not fit throws the
// buffer's errors.
stow::RegisteredArchive ReadHandOverRecord(Buffer& buffer);
