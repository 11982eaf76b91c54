#include "tools/lzpack/LzPacker.h"

#include <bit>
#include <cstring>
#include <stdexcept>

namespace {

constexpr std::uint32_t kFirstCode = 256;  // F = 2^8: codes below are literal bytes
constexpr std::uint32_t kLimit = 8192;     // T = 2^(12+1)

}  // namespace

// The entries F to T - 1 as a hash table from (prefix code, next byte) to the
// entry's code. The key p * 256 + b is hashed as (key + 1) * K (mod 2^32), a
// one-to-one map, so a slot holds the full hash as its tag. A code is carried
// as its node value c * 256 * K, so that the hash of the next key is one
// addition away and a step down the tree costs little more than one load.
class LzPacker::Dictionary {
 public:
  using Node = std::uint32_t;

  static Node NodeOf(std::uint32_t code) { return code * kNodeFactor; }
  static std::uint32_t CodeOf(Node node) { return ((node >> 8) * kInverse) & 0xFFFFFF; }

  void Clear() { std::memset(m_slots, 0, sizeof m_slots); }

  // Moves NODE to its entry NODE + BYTE and returns true, or returns false
  // when there is no such entry.
  bool Extend(Node& node, std::uint8_t byte) const {
    const std::uint32_t hash = node + (byte + 1u) * kFactor;
    for (std::uint32_t slot = hash >> kShift;; slot = (slot + 1) & (kSlots - 1)) {
      const std::uint64_t found = m_slots[slot];
      if (static_cast<std::uint32_t>(found) == hash) {
        node = static_cast<Node>(found >> 32);
        return true;
      }
      if (found == 0) return false;
    }
  }

  void Enter(std::uint32_t prefix, std::uint8_t byte, std::uint32_t code) {
    const std::uint32_t hash = NodeOf(prefix) + (byte + 1u) * kFactor;
    std::uint32_t slot = hash >> kShift;
    while (m_slots[slot] != 0) slot = (slot + 1) & (kSlots - 1);
    // The node value of a code from 256 to 8191 is never 0, so no entry looks empty.
    m_slots[slot] = std::uint64_t{NodeOf(code)} << 32 | hash;
  }

 private:
  static constexpr std::uint32_t kFactor = 0x9E3779B1u;  // odd
  static constexpr std::uint32_t kNodeFactor = kFactor << 8;
  static constexpr std::uint32_t kInverse = [] {  // kFactor^-1 mod 2^32 (Newton)
    std::uint32_t inverse = kFactor;
    for (int i = 0; i < 5; ++i) inverse *= 2 - kFactor * inverse;
    return inverse;
  }();
  static_assert(kFactor * kInverse == 1);
  static constexpr unsigned kSlotBits = 14;  // at most 7936 entries: under half full
  static constexpr unsigned kShift = 32 - kSlotBits;
  static constexpr std::uint32_t kSlots = 1u << kSlotBits;

  std::uint64_t m_slots[kSlots] = {};
};

// Appends values least significant bit first and notices when the block grows
// past ROOM bytes. The buffer has 8 bytes more than ROOM. A copy of the writer
// marks a point to go back to.
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
  std::size_t Bits() const { return m_size * 8 + m_count; }

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

// Where the packer stands in a chunk, and what the expander will know when it
// reads the next code.
struct LzPacker::Parse {
  std::size_t pos = 0;
  std::size_t previousLength = 0;
  std::uint32_t nextEntry = kFirstCode;  // the code the next entry gets
  std::uint32_t readNext = kFirstCode;   // N when the expander reads the next code
  unsigned indexBits = 1;
  unsigned limitRun = 0;  // codes T written in a row
};

bool LzPacker::PackCodes(std::span<const std::uint8_t> chunk) {
  m_dictionary->Clear();
  BitWriter out(m_block.get(), chunk.size() - 1);
  Parse parse;
  if (!WriteCodes(parse, chunk, out, Stage::Growing)) return false;
  if (parse.pos < chunk.size()) {
    // The dictionary is full and stays as it is. Greedy use of code T does not
    // always pay, so the rest is packed with and without it and the shorter
    // kept: never longer than a plain LZW that stops at a full dictionary.
    const Parse full = parse;
    const BitWriter mark = out;
    const bool withFits = WriteCodes(parse, chunk, out, Stage::FullWithLimitCode);
    const std::size_t withBits = out.Bits();
    parse = full;
    out = mark;
    const bool withoutFits = WriteCodes(parse, chunk, out, Stage::FullWithoutLimitCode);
    if (withFits && (!withoutFits || withBits < out.Bits())) {
      parse = full;
      out = mark;
      WriteCodes(parse, chunk, out, Stage::FullWithLimitCode);
    } else if (!withoutFits) {
      return false;
    }
  }
  m_blockSize = out.Finish();
  if (m_blockSize < chunk.size()) return true;
  m_blockSize = 0;
  return false;
}

bool LzPacker::WriteCodes(Parse& parse, std::span<const std::uint8_t> chunk, BitWriter& writer,
                          Stage stage) {
  const std::uint8_t* const in = chunk.data();
  const std::size_t size = chunk.size();
  const Dictionary& dictionary = *m_dictionary;
  // Local copies, so that the compiler keeps them in registers.
  Parse p = parse;
  BitWriter out = writer;
  while (p.pos < size && (stage != Stage::Growing || p.readNext < kLimit)) {
    Dictionary::Node node = Dictionary::NodeOf(in[p.pos]);
    std::size_t length = 1;
    while (p.pos + length < size && dictionary.Extend(node, in[p.pos + length])) ++length;
    std::uint32_t code = length == 1 ? in[p.pos] : Dictionary::CodeOf(node);
    // Once full, code T is the previous string followed by its first byte.
    if (stage == Stage::FullWithLimitCode && p.limitRun < 2 && p.previousLength >= length &&
        p.pos + p.previousLength < size &&
        std::memcmp(in + p.pos, in + p.pos - p.previousLength, p.previousLength + 1) == 0) {
      code = kLimit;
      length = p.previousLength + 1;
    }
    p.limitRun = code == kLimit ? p.limitRun + 1 : 0;

    if (code < kFirstCode) {
      out.Put(code << 1, 9);
    } else {
      while (p.readNext - kFirstCode >= 1u << p.indexBits) ++p.indexBits;
      out.Put((code - kFirstCode) << 1 | 1, 1 + p.indexBits);
    }
    if (out.Overflowed()) {
      writer = out;
      return false;
    }
    if (p.pos > 0 && p.readNext < kLimit) ++p.readNext;

    p.pos += length;
    if (p.pos < size && p.nextEntry < kLimit) m_dictionary->Enter(code, in[p.pos], p.nextEntry++);
    p.previousLength = length;
  }
  parse = p;
  writer = out;
  return true;
}

bool LzPackChunk(std::span<const std::uint8_t> chunk, std::vector<std::uint8_t>& block) {
  LzPacker packer;
  const bool saved = packer.Pack(chunk);
  block.assign(packer.Block().begin(), packer.Block().end());
  return saved;
}
