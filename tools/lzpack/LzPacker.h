// The LZ packer of the archive tools: turns one chunk of topic data into one
// packed block that CKelLzExpandBufByte (literal width 8, size exponent 12)
// expands back to the chunk.
//
// Codes are chosen greedily: at each position the longest string the
// expander's dictionary holds at that moment. Once the dictionary is full the
// rest of the chunk is packed both with and without code T (below) and the
// shorter kept, so no block is longer than a plain greedy LZW makes it. The packer keeps the same
// dictionary as the expander: a new entry after every code (the previous
// string plus the first byte of the next one), the index width growing with
// the next free code, and once the dictionary is full (N = T = 8192) no new
// entries but code T, which the expander reads as the previous string followed
// by its own first byte. Three codes T in a row are corrupt data to the
// expander, so the packer never writes a third one.
//
// The block ends with zero bits up to a byte boundary; fewer than 8 zero bits
// never make a code, so the block expands to exactly the chunk even into a
// larger output area.
//
// Use:
//   LzPacker packer;                      // allocates its tables once
//   for (each chunk of at most LzPacker::kMaxChunk bytes)
//     if (packer.Pack(chunk))             // packing saved space
//       store head 0x8000 + packer.Block().size(), then packer.Block()
//     else
//       store head chunk.size(), then the chunk itself
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class LzPacker {
 public:
  // The largest chunk: a chunk head announces at most 0x8000 plain bytes.
  static constexpr std::size_t kMaxChunk = 32768;

  LzPacker();
  ~LzPacker();
  LzPacker(const LzPacker&) = delete;
  LzPacker& operator=(const LzPacker&) = delete;

  // Packs CHUNK (at most kMaxChunk bytes; std::length_error beyond) into one
  // block. True when the block is smaller than the chunk; Block() then holds
  // it until the next call. False when packing saves nothing (an empty or
  // 1-byte chunk, or data that does not pack): store the chunk plain. No
  // allocation.
  bool Pack(std::span<const std::uint8_t> chunk);

  // The block of the last Pack that returned true.
  std::span<const std::uint8_t> Block() const { return {m_block.get(), m_blockSize}; }

 private:
  class Dictionary;
  class BitWriter;
  struct Parse;
  enum class Stage { Growing, FullWithLimitCode, FullWithoutLimitCode };

  bool PackCodes(std::span<const std::uint8_t> chunk);
  // Writes codes from PARSE on: while the dictionary grows, or once it is
  // full to the end of the chunk, using code T or not. False when the block
  // grows past its room.
  bool WriteCodes(Parse& parse, std::span<const std::uint8_t> chunk, BitWriter& out, Stage stage);

  std::unique_ptr<Dictionary> m_dictionary;
  std::unique_ptr<std::uint8_t[]> m_block;
  std::size_t m_blockSize = 0;
};

// Packs one chunk with a packer of its own: BLOCK receives the packed block
// when that saves space (true), else it is cleared (false).
bool LzPackChunk(std::span<const std::uint8_t> chunk, std::vector<std::uint8_t>& block);
