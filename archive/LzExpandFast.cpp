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

// One block's expansion. Codes go through two loops: FastCodes for the common
// ones, while a code is read with one load and its string copied 16 bytes at a
// time, and GeneralCode for any code. Between them the state lives in the
// fields; FastCodes works on local copies, so that they stay in registers.
class CKelLzExpandBufByte::FastDecoder {
 public:
  FastDecoder(CKelLzExpandBufByte& expander, std::uint8_t* output, std::size_t outputSize,
              const std::uint8_t* input, std::size_t inputSize)
      : m_strings(expander.m_strings.get()),
        m_output(output),
        m_outputEnd(output + outputSize),
        m_input(input),
        m_inputSize(inputSize),
        m_firstCode(expander.m_firstCode),
        m_limit(expander.m_limit),
        m_capacity(m_limit - m_firstCode),
        m_literalBits(expander.m_literalBits),
        m_literalMask((std::uint64_t{1} << m_literalBits) - 1) {
    // Codes that start before this byte offset are followed by at least 16
    // more complete codes (at most 1 + max(L, S + 1) bits each): they are read
    // with one 8-byte load, and their strings are copied 16 bytes at a time.
    // What a copy writes past its string is overwritten by the next strings,
    // which add at least a byte each, unless the block fails as corrupt. Near
    // the end of the input, codes are read byte by byte and strings copied
    // exactly, so no byte past the returned count changes.
    const unsigned maxIndexBits = static_cast<unsigned>(std::bit_width(m_limit)) - 1;  // S + 1
    const std::size_t codeBits = 1 + std::max(m_literalBits, maxIndexBits);
    // 16 codes take 2 * codeBits bytes, plus one for a code that starts inside
    // its byte; at least 7, so that the 8-byte load stays inside the input.
    const std::size_t margin = 2 * codeBits + 1;
    m_wideEnd = inputSize > margin ? inputSize - margin : 0;
    m_fastEnd = outputSize > kWildCopy ? m_outputEnd - kWildCopy : output;
  }

  std::size_t Run() {
    std::uint32_t code;
    if (!ReadCode(code, m_wideEnd > 0)) return 0;
    if (code >= m_firstCode) ThrowCorrupt(code, NextCode());
    if (m_output == m_outputEnd) return 0;
    *m_output = static_cast<std::uint8_t>(code);
    m_op = m_output + 1;
    do {
      FastCodes();
    } while (GeneralCode());
    return static_cast<std::size_t>(m_op - m_output);
  }

  std::uint8_t* End() const { return m_op; }

 private:
  std::uint32_t NextCode() const { return m_firstCode + static_cast<std::uint32_t>(m_nextIndex); }

  // Enters ENTRY, the previous string and the first byte of the current one, as
  // the next free entry. Once the dictionary is full, the entry goes to the spare
  // slot behind it, which is never read, and NEXTINDEX stays.
  static void Enter(StringRef* strings, std::size_t& nextIndex, std::size_t& threshold,
                    unsigned& indexBits, std::size_t& indexMask, std::size_t capacity,
                    StringRef entry) {
    strings[nextIndex] = entry;
    if (__builtin_expect(++nextIndex < threshold, 1)) return;
    if (nextIndex > capacity) {
      nextIndex = capacity;
    } else {  // the index of the next free code needs one bit more
      ++indexBits;
      indexMask = 2 * indexMask + 1;
    }
    threshold = std::min(indexMask + 1, capacity + 1);
  }

  // Literals, and dictionary strings of at most 16 bytes or with room for a
  // 16-byte copy past them, while codes are read wide and more than 16 bytes
  // of room are left. Returns at any other code, unread. None of these codes
  // is T, which is only ever read as the newest string.
  void FastCodes() {
    StringRef* const strings = m_strings;
    std::uint8_t* const output = m_output;
    const std::uint8_t* const input = m_input;
    const std::uint8_t* const fastEnd = m_fastEnd;
    const std::size_t fastBits = m_wideEnd * 8;
    const std::size_t literalCodeBits = 1 + m_literalBits;
    const std::uint64_t literalMask = m_literalMask;
    std::size_t bitPos = m_bitPos;
    std::size_t nextIndex = m_nextIndex;
    std::size_t threshold = m_threshold;
    unsigned indexBits = m_indexBits;
    std::size_t indexMask = m_indexMask;
    std::uint8_t* op = m_op;
    StringRef pending = m_pending;
    while (bitPos < fastBits && op < fastEnd) {
      const std::uint64_t window = LoadLittleEndian64(input + (bitPos >> 3)) >> (bitPos & 7);
      std::uint32_t length = 1;
      if ((window & 1) == 0) {
        *op = static_cast<std::uint8_t>((window >> 1) & literalMask);
        bitPos += literalCodeBits;
      } else {
        const std::size_t index = (window >> 1) & indexMask;
        if (index >= nextIndex) break;  // the newest string again, or corrupt
        const StringRef entry = strings[index];
        const std::uint8_t* const src = output + entry.offset;
        length = entry.length;
        if (length <= kWildCopy) {
          Copy16(op, src);
        } else if (length + kWildCopy <= static_cast<std::size_t>(m_outputEnd - op)) {
          for (std::size_t i = 0; i < length; i += kWildCopy) Copy16(op + i, src + i);
        } else {
          break;
        }
        bitPos += 1 + indexBits;
      }
      Enter(strings, nextIndex, threshold, indexBits, indexMask, m_capacity, pending);
      pending = StringRef{static_cast<std::uint32_t>(op - output), length + 1};
      op += length;
    }
    if (op != m_op) m_previousWasT = false;
    m_bitPos = bitPos;
    m_nextIndex = nextIndex;
    m_threshold = threshold;
    m_indexBits = indexBits;
    m_indexMask = indexMask;
    m_op = op;
    m_pending = pending;
  }

  // Any code: the newest string again, long strings, the end of the input or
  // of the output. False when the block ends.
  bool GeneralCode() {
    const bool wide = (m_bitPos >> 3) < m_wideEnd;
    std::uint32_t code;
    if (!ReadCode(code, wide)) return false;
    if (code > NextCode()) ThrowCorrupt(code, NextCode());
    const std::size_t room = static_cast<std::size_t>(m_outputEnd - m_op);
    std::uint32_t length;
    if (code < m_firstCode) {
      if (room == 0) return false;
      *m_op = static_cast<std::uint8_t>(code);
      length = 1;
    } else {
      const std::uint8_t* src;
      std::uint8_t last;
      if (code < NextCode()) {
        const StringRef entry = m_strings[code - m_firstCode];
        src = m_output + entry.offset;
        length = entry.length;
        last = src[length - 1];
      } else {
        src = m_output + m_pending.offset;
        length = m_pending.length;
        if (length > m_limit || (code == m_limit && m_previousWasT && m_entryTIsOwnPrefix))
          ThrowCorrupt(code, NextCode());
        last = src[0];
      }
      if (wide && length <= kWildCopy && room >= kWildCopy) {
        Copy16(m_op, src);
      } else if (length <= room) {
        CopyString(m_op, src, length - 1, wide ? room : 0);
      } else {
        std::memcpy(m_op, src, room);
        m_op += room;
        return false;
      }
      m_op[length - 1] = last;
    }
    if (m_nextIndex == m_capacity) m_entryTIsOwnPrefix = m_previousWasT;
    Enter(m_strings, m_nextIndex, m_threshold, m_indexBits, m_indexMask, m_capacity, m_pending);
    m_pending = StringRef{static_cast<std::uint32_t>(m_op - m_output), length + 1};
    m_previousWasT = code == m_limit;
    m_op += length;
    return true;
  }

  // Reads one code at the bit position: WIDE with one 8-byte load, else from
  // the bytes left. False when the input ends before the code does.
  bool ReadCode(std::uint32_t& code, bool wide) {
    const std::size_t byte = m_bitPos >> 3;
    const std::uint64_t window =
        (wide ? LoadLittleEndian64(m_input + byte) : LoadTail(m_input, m_inputSize, byte)) >>
        (m_bitPos & 7);
    unsigned bits;
    if (window & 1) {
      code = m_firstCode + static_cast<std::uint32_t>((window >> 1) & m_indexMask);
      bits = 1 + m_indexBits;
    } else {
      code = static_cast<std::uint32_t>((window >> 1) & m_literalMask);
      bits = 1 + m_literalBits;
    }
    if (!wide && m_bitPos + bits > m_inputSize * 8) return false;
    m_bitPos += bits;
    return true;
  }

  StringRef* const m_strings;  // entry F + i at i, and a spare slot behind them
  std::uint8_t* const m_output;
  std::uint8_t* const m_outputEnd;
  const std::uint8_t* const m_input;
  const std::size_t m_inputSize;
  const std::uint32_t m_firstCode;
  const std::uint32_t m_limit;
  const std::size_t m_capacity;  // entries F to T - 1
  const unsigned m_literalBits;
  const std::uint64_t m_literalMask;
  std::size_t m_wideEnd;            // codes starting before this byte are read wide
  const std::uint8_t* m_fastEnd;    // FastCodes runs while the output is before it

  std::size_t m_bitPos = 0;
  std::size_t m_nextIndex = 0;  // the next free code N, less F
  std::size_t m_threshold = 2;  // where m_nextIndex needs attention: 2^k, or past the full dictionary
  unsigned m_indexBits = 1;     // k
  std::size_t m_indexMask = 1;  // 2^k - 1
  std::uint8_t* m_op = nullptr;
  // The next entry: the previous string and the first byte after it.
  StringRef m_pending{0, 2};
  bool m_previousWasT = false;       // the previous code was T
  bool m_entryTIsOwnPrefix = false;  // entry T was last entered from a code T
};

std::size_t CKelLzExpandBufByte::Expand(std::uint8_t* output, std::size_t outputSize,
                                        const std::uint8_t* input, std::size_t inputSize) {
  // Offsets into the output are kept in 32 bits.
  if (outputSize > UINT32_MAX) return ExpandStepwise(output, outputSize, input, inputSize);
  SetBlock(output, outputSize, input, inputSize);
  FastDecoder decoder(*this, output, outputSize, input, inputSize);
  const std::size_t count = decoder.Run();
  m_outputPos = output + count;
  return count;
}
