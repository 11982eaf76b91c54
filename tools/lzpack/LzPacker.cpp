#include "tools/lzpack/LzPacker.h"

#include <bit>
#include <cstring>
#include <stdexcept>

namespace {

constexpr std::uint32_t kFirstCode = 256;  // F = 2^8: codes below are literal bytes
constexpr std::uint32_t kLimit = 8192;     // T = 2^(12+1)

}  // namespace

// The entries F to T - 1 as a hash table from (prefix code, next byte) to the
// entry's code. Each block starts a new generation, so the table is emptied
// without touching it, except once every 2047 blocks.
class LzPacker::Dictionary {
 public:
  void Clear() {
    if (++m_generation == kGenerations) {
      std::memset(m_tags, 0, sizeof m_tags);
      m_generation = 1;
    }
    m_stamp = m_generation << kKeyBits;
  }

  // The code of the entry PREFIX + BYTE, or 0 when there is none.
  std::uint32_t Find(std::uint32_t prefix, std::uint8_t byte) const {
    const std::uint32_t key = prefix << 8 | byte;
    const std::uint32_t tag = m_stamp | key;
    for (std::uint32_t slot = Slot(key);; slot = (slot + 1) & (kSlots - 1)) {
      const std::uint32_t found = m_tags[slot];
      if (found == tag) return m_codes[slot];
      if ((found & ~kKeyMask) != m_stamp) return 0;
    }
  }

  void Enter(std::uint32_t prefix, std::uint8_t byte, std::uint32_t code) {
    const std::uint32_t key = prefix << 8 | byte;
    std::uint32_t slot = Slot(key);
    while ((m_tags[slot] & ~kKeyMask) == m_stamp) slot = (slot + 1) & (kSlots - 1);
    m_tags[slot] = m_stamp | key;
    m_codes[slot] = static_cast<std::uint16_t>(code);
  }

 private:
  static constexpr unsigned kKeyBits = 21;  // 13-bit prefix code and a byte
  static constexpr std::uint32_t kKeyMask = (1u << kKeyBits) - 1;
  static constexpr std::uint32_t kGenerations = 1u << (32 - kKeyBits);
  static constexpr unsigned kSlotBits = 14;  // at most 7936 entries: under half full
  static constexpr std::uint32_t kSlots = 1u << kSlotBits;

  static std::uint32_t Slot(std::uint32_t key) { return (key * 0x9E3779B1u) >> (32 - kSlotBits); }

  std::uint32_t m_tags[kSlots] = {};
  std::uint16_t m_codes[kSlots] = {};
  std::uint32_t m_generation = 0;
  std::uint32_t m_stamp = 0;
};

// Appends values least significant bit first and notices when the block grows
// past ROOM bytes. The buffer has 8 bytes more than ROOM.
class LzPacker::BitWriter {
 public:
  BitWriter(std::uint8_t* out, std::size_t room) : m_out(out), m_room(room) {}

  void Put(std::uint32_t value, unsigned count) {
    m_bits |= static_cast<std::uint64_t>(value) << m_count;
    m_count += count;
    if (m_count >= 32) {
      std::uint32_t word = static_cast<std::uint32_t>(m_bits);
      if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap32(word);
      std::memcpy(m_out + m_size, &word, 4);
      m_size += 4;
      m_bits >>= 32;
      m_count -= 32;
    }
  }

  bool Overflowed() const { return m_size > m_room; }

  // Writes the last bits, padded with zero bits to a byte; the block's size.
  std::size_t Finish() {
    for (; m_count > 0; m_count -= m_count < 8 ? m_count : 8) {
      m_out[m_size++] = static_cast<std::uint8_t>(m_bits);
      m_bits >>= 8;
    }
    return m_size;
  }

 private:
  std::uint8_t* m_out;
  std::size_t m_room;
  std::size_t m_size = 0;
  std::uint64_t m_bits = 0;
  unsigned m_count = 0;
};

LzPacker::LzPacker()
    : m_dictionary(std::make_unique<Dictionary>()),
      m_block(std::make_unique<std::uint8_t[]>(kMaxChunk + 8)) {}

LzPacker::~LzPacker() = default;

bool LzPacker::Pack(std::span<const std::uint8_t> chunk) {
  if (chunk.size() > kMaxChunk) throw std::length_error("LZ packer: chunk larger than 32768 bytes");
  m_blockSize = 0;
  return chunk.size() >= 2 && PackCodes(chunk);
}

bool LzPacker::PackCodes(std::span<const std::uint8_t> chunk) {
  const std::uint8_t* const in = chunk.data();
  const std::size_t size = chunk.size();
  Dictionary& dictionary = *m_dictionary;
  dictionary.Clear();
  BitWriter out(m_block.get(), size - 1);

  std::uint32_t nextEntry = kFirstCode;  // the code the next entry gets
  std::uint32_t readNext = kFirstCode;   // N when the expander reads the next code
  unsigned indexBits = 1;
  unsigned limitRun = 0;  // codes T written in a row
  std::size_t previousLength = 0;
  for (std::size_t pos = 0; pos < size;) {
    std::uint32_t code = in[pos];
    std::size_t length = 1;
    for (; pos + length < size; ++length) {
      const std::uint32_t longer = dictionary.Find(code, in[pos + length]);
      if (longer == 0) break;
      code = longer;
    }
    // Once full, code T is the previous string followed by its first byte.
    if (readNext == kLimit && limitRun < 2 && previousLength >= length &&
        pos + previousLength < size &&
        std::memcmp(in + pos, in + pos - previousLength, previousLength + 1) == 0) {
      code = kLimit;
      length = previousLength + 1;
    }
    limitRun = code == kLimit ? limitRun + 1 : 0;

    if (code < kFirstCode) {
      out.Put(code << 1, 9);
    } else {
      while (readNext - kFirstCode >= 1u << indexBits) ++indexBits;
      out.Put((code - kFirstCode) << 1 | 1, 1 + indexBits);
    }
    if (out.Overflowed()) return false;
    if (pos > 0 && readNext < kLimit) ++readNext;

    pos += length;
    if (pos < size && nextEntry < kLimit) dictionary.Enter(code, in[pos], nextEntry++);
    previousLength = length;
  }
  m_blockSize = out.Finish();
  if (m_blockSize < size) return true;
  m_blockSize = 0;
  return false;
}

bool LzPackChunk(std::span<const std::uint8_t> chunk, std::vector<std::uint8_t>& block) {
  LzPacker packer;
  const bool saved = packer.Pack(chunk);
  block.assign(packer.Block().begin(), packer.Block().end());
  return saved;
}
