// Test helpers for packed blocks: writing bit streams and codes by hand, and
// running either decoder of CKelLzExpandBufByte into a comparable outcome.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "archive/LzExpand.h"
#include "base/KelException.h"

namespace lztest {

// Bits appended least significant first, as the expander reads them.
class BitStream {
 public:
  void Put(std::uint32_t value, unsigned bits) {
    for (unsigned i = 0; i < bits; ++i) {
      if (m_bitCount % 8 == 0) m_bytes.push_back(0);
      m_bytes.back() |= static_cast<std::uint8_t>(((value >> i) & 1) << (m_bitCount % 8));
      ++m_bitCount;
    }
  }
  const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

 private:
  std::vector<std::uint8_t> m_bytes;
  std::size_t m_bitCount = 0;
};

// The index width the expander uses for each code of a block (L = 8, S = 12
// unless told otherwise): it follows the next free code N, which grows by one
// with every code after the first until it reaches T.
class CodeWidths {
 public:
  explicit CodeWidths(unsigned literalBits = 8, unsigned sizeExponent = 12)
      : m_literalBits(literalBits), m_first(1u << literalBits), m_limit(2u << sizeExponent) {}

  // N as the expander sees it when reading the next code.
  std::uint32_t NextCode() const {
    return m_count == 0 ? m_first : std::min(m_limit, m_first + m_count - 1);
  }
  unsigned IndexBits() const {
    return std::max(1u, static_cast<unsigned>(std::bit_width(NextCode() - m_first)));
  }
  unsigned LiteralBits() const { return m_literalBits; }
  std::uint32_t FirstCode() const { return m_first; }
  std::uint32_t Limit() const { return m_limit; }
  void Count() { ++m_count; }

 private:
  unsigned m_literalBits;
  std::uint32_t m_first;
  std::uint32_t m_limit;
  std::uint32_t m_count = 0;
};

// Codes of one block, each written with the index width the expander uses at
// that point. A code at or above F is written as an index even when it is out
// of range, to make corrupt data.
class CodeStream : public CodeWidths {
 public:
  using CodeWidths::CodeWidths;

  void Put(std::uint32_t code) {
    if (code < FirstCode()) {
      m_bits.Put(0, 1);
      m_bits.Put(code, LiteralBits());
    } else {
      m_bits.Put(1, 1);
      m_bits.Put(code - FirstCode(), IndexBits());
    }
    Count();
  }
  const std::vector<std::uint8_t>& Bytes() const { return m_bits.Bytes(); }

 private:
  BitStream m_bits;
};

// The codes of a block (L = 8, S = 12), without checking them.
inline std::vector<std::uint32_t> ReadCodes(const std::vector<std::uint8_t>& block) {
  std::vector<std::uint32_t> codes;
  CodeWidths widths;
  std::size_t bit = 0;
  auto take = [&](unsigned count, std::uint32_t& value) {
    if (bit + count > block.size() * 8) return false;
    value = 0;
    for (unsigned i = 0; i < count; ++i, ++bit)
      value |= static_cast<std::uint32_t>((block[bit / 8] >> (bit % 8)) & 1) << i;
    return true;
  };
  for (std::uint32_t flag, value;; widths.Count()) {
    if (!take(1, flag) || !take(flag ? widths.IndexBits() : 8, value)) return codes;
    codes.push_back(flag ? widths.FirstCode() + value : value);
  }
}

// What expanding a block gave: the bytes, or the corrupt-data failure.
struct Outcome {
  std::vector<std::uint8_t> bytes;
  bool failed = false;
  std::uint32_t code = 0;
  std::string detail;
  // After success: no byte of the output area past the bytes expanded changed.
  bool untouchedPastEnd = true;

  bool operator==(const Outcome&) const = default;
  friend void PrintTo(const Outcome& o, std::ostream* os) {
    if (o.failed)
      *os << "failure " << o.code << " \"" << o.detail << "\"";
    else
      *os << o.bytes.size() << " bytes \"" << std::string(o.bytes.begin(), o.bytes.end()) << "\""
          << (o.untouchedPastEnd ? "" : ", area past them changed");
  }
};

inline Outcome Failure(std::uint32_t code, std::string detail) {
  Outcome outcome;
  outcome.failed = true;
  outcome.code = code;
  outcome.detail = std::move(detail);
  return outcome;
}
inline Outcome Bytes(const std::string& text) {
  Outcome outcome;
  outcome.bytes.assign(text.begin(), text.end());
  return outcome;
}

enum class Decoder { Fast, Stepwise };

// Expands INPUT into an area of OUTPUTSIZE bytes with the chosen decoder.
inline Outcome Expand(CKelLzExpandBufByte& expander, Decoder decoder,
                      const std::vector<std::uint8_t>& input, std::size_t outputSize) {
  // One area for all calls: large areas, allocated afresh each time, make the
  // sanitizer build slow.
  static thread_local std::vector<std::uint8_t> output;
  constexpr std::uint8_t kUnwritten = 0xA5;
  output.assign(outputSize, kUnwritten);
  Outcome outcome;
  try {
    const std::size_t n =
        decoder == Decoder::Fast
            ? expander.Expand(output.data(), output.size(), input.data(), input.size())
            : expander.ExpandStepwise(output.data(), output.size(), input.data(), input.size());
    outcome.bytes.assign(output.begin(), output.begin() + static_cast<std::ptrdiff_t>(n));
    outcome.untouchedPastEnd =
        std::all_of(output.begin() + static_cast<std::ptrdiff_t>(n), output.end(),
                    [](std::uint8_t byte) { return byte == kUnwritten; });
  } catch (CKelException* e) {
    std::unique_ptr<CKelException> owned(e);
    outcome.failed = true;
    outcome.code = e->m_code;
    outcome.detail = e->m_arg1;
  }
  return outcome;
}

}  // namespace lztest
