// CKelLzExpandBufByte::Expand: the decoding loop of CKelLzExpand with the
// dictionary kept as strings of the output.
//
// Every string the loop puts out lands in the output right after the previous
// one, and a new entry is the previous string plus the first byte of the
// current one, so each entry is the output range starting at the previous
// string, one byte longer. A code is then a copy from earlier output instead
// of a walk along the prefix chain, and the bit reader takes one unaligned
// 8-byte load per code.
//
// Entry T is never copied: the loop reads code T only when it equals the next
// free code, as the previous string followed by its own first byte. Walking
// that string goes through the stored entry T only when the previous code was
// T as well; the stored entry T is then the last string put out, unless the
// code before that was T too, in which case entry T is its own prefix and the
// loop fails. Three codes T in a row are therefore corrupt data, and so is a
// string longer than the stack of T bytes, which only a code N can make (only
// with L = 1, since every other string is at most T - F + 3 bytes long).
#include <algorithm>
#include <bit>
#include <cstring>

#include "archive/LzExpand.h"

namespace {

constexpr std::size_t kWildCopy = 16;

std::uint64_t LoadLittleEndian64(const std::uint8_t* p) {
  std::uint64_t value;
  std::memcpy(&value, p, sizeof value);
  if constexpr (std::endian::native == std::endian::big) value = __builtin_bswap64(value);
  return value;
}

// The bytes from BYTE to the end of the input (fewer than 8), zero-filled.
std::uint64_t LoadTail(const std::uint8_t* input, std::size_t inputSize, std::size_t byte) {
  std::uint64_t value = 0;
  for (unsigned shift = 0; byte < inputSize && shift < 64; ++byte, shift += 8)
    value |= static_cast<std::uint64_t>(input[byte]) << shift;
  return value;
}

// Copies 16 bytes, all loaded before any is stored: the source may run into the
// destination, but only past the bytes that matter.
inline void Copy16(std::uint8_t* dest, const std::uint8_t* src) {
  std::uint64_t a, b;
  std::memcpy(&a, src, 8);
  std::memcpy(&b, src + 8, 8);
  std::memcpy(dest, &a, 8);
  std::memcpy(dest + 8, &b, 8);
}

// Copies the first COUNT bytes of a string at SRC that ends at or before DEST:
// 16 bytes at a time when ROOM allows, else exactly.
[[gnu::noinline]] void CopyString(std::uint8_t* dest, const std::uint8_t* src, std::size_t count,
                                  std::size_t room) {
  if (count + kWildCopy <= room) {
    for (std::size_t i = 0; i < count; i += kWildCopy) Copy16(dest + i, src + i);
  } else {
    std::memcpy(dest, src, count);
  }
}

}  // namespace

std::size_t CKelLzExpandBufByte::Expand(std::uint8_t* output, std::size_t outputSize,
                                        const std::uint8_t* input, std::size_t inputSize) {
  // Offsets into the output are kept in 32 bits.
  if (outputSize > UINT32_MAX) return ExpandStepwise(output, outputSize, input, inputSize);
  SetBlock(output, outputSize, input, inputSize);
  const std::uint32_t firstCode = m_firstCode;
  const std::uint32_t limit = m_limit;
  const unsigned literalBits = m_literalBits;
  const std::uint64_t literalMask = (std::uint64_t{1} << literalBits) - 1;
  StringRef* const strings = m_strings.get();
  std::uint8_t* const outputEnd = output + outputSize;

  const std::size_t inputBits = inputSize * 8;
  // Codes that start before this byte offset are followed by at least 16 more
  // complete codes (at most 1 + max(L, S + 1) bits each): they are read with
  // one 8-byte load, and their strings are copied 16 bytes at a time. What a
  // copy writes past its string is overwritten by the next strings, which add
  // at least a byte each, unless the block fails as corrupt. Near the end of
  // the input, codes are read byte by byte and strings copied exactly, so no
  // byte past the returned count changes.
  const unsigned maxIndexBits = static_cast<unsigned>(std::bit_width(limit)) - 1;  // S + 1
  const std::size_t codeBits = 1 + std::max(literalBits, maxIndexBits);
  // 16 codes take 2 * codeBits bytes, plus one for a code that starts inside
  // its byte; at least 7, so that the 8-byte load stays inside the input.
  const std::size_t margin = 2 * codeBits + 1;
  const std::size_t wideEnd = inputSize > margin ? inputSize - margin : 0;
  std::size_t bitPos = 0;
  std::uint32_t nextCode = firstCode;
  unsigned indexBits = 1;
  std::uint64_t indexRange = 2;

  auto readCode = [&](std::uint32_t& code, bool wide) -> bool {
    const std::size_t byte = bitPos >> 3;
    const std::uint64_t window =
        (__builtin_expect(wide, 1) ? LoadLittleEndian64(input + byte)
                                   : LoadTail(input, inputSize, byte)) >>
        (bitPos & 7);
    unsigned bits;
    if (window & 1) {
      code = firstCode + static_cast<std::uint32_t>((window >> 1) & (indexRange - 1));
      bits = 1 + indexBits;
    } else {
      code = static_cast<std::uint32_t>((window >> 1) & literalMask);
      bits = 1 + literalBits;
    }
    if (!wide && bitPos + bits > inputBits) return false;
    bitPos += bits;
    return true;
  };

  std::uint32_t code;
  if (!readCode(code, (bitPos >> 3) < wideEnd)) return 0;
  if (code >= firstCode) ThrowCorrupt(code, nextCode);
  if (output == outputEnd) return 0;
  *output = static_cast<std::uint8_t>(code);

  std::uint8_t* op = output + 1;
  std::uint32_t previousCode = code;
  std::uint32_t previousOffset = 0;
  std::uint32_t previousLength = 1;
  bool entryTIsOwnPrefix = false;
  for (;;) {
    const bool wide = (bitPos >> 3) < wideEnd;
    if (!readCode(code, wide)) break;
    if (code > nextCode) ThrowCorrupt(code, nextCode);
    const std::size_t room = static_cast<std::size_t>(outputEnd - op);
    std::uint32_t length;
    if (code < firstCode) {
      if (room == 0) break;
      *op = static_cast<std::uint8_t>(code);
      length = 1;
    } else {
      const std::uint8_t* src;
      std::uint8_t last;
      if (code < nextCode) {
        const StringRef entry = strings[code - firstCode];
        src = output + entry.offset;
        length = entry.length;
        last = src[length - 1];
      } else {
        src = op - previousLength;
        length = previousLength + 1;
        if (length > limit || (code == limit && previousCode == limit && entryTIsOwnPrefix))
          ThrowCorrupt(code, nextCode);
        last = src[0];
      }
      if (__builtin_expect(wide && length <= kWildCopy && room >= kWildCopy, 1)) {
        Copy16(op, src);
      } else if (length <= room) {
        CopyString(op, src, length - 1, wide ? room : 0);
      } else {
        std::memcpy(op, src, room);
        op += room;
        break;
      }
      op[length - 1] = last;
    }

    if (nextCode < limit) {
      strings[nextCode - firstCode] = StringRef{previousOffset, previousLength + 1};
      if (++nextCode - firstCode == indexRange) {
        ++indexBits;
        indexRange <<= 1;
      }
    } else {
      entryTIsOwnPrefix = previousCode == limit;
    }
    previousCode = code;
    previousOffset = static_cast<std::uint32_t>(op - output);
    previousLength = length;
    op += length;
  }
  m_outputPos = op;
  return static_cast<std::size_t>(op - output);
}
