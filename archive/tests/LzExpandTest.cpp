#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/LzExpand.h"
#include "archive/tests/LzTestSupport.h"

using lztest::BitStream;
using lztest::Bytes;
using lztest::CodeStream;
using lztest::Decoder;
using lztest::Failure;
using lztest::Outcome;

namespace {

constexpr std::uint32_t kCorrupt = 1031;
constexpr std::uint32_t kLimit = 8192;

// A code of a hand-made block: a literal byte, or an index of the given width
// (a narrower width cuts a literal short).
struct Code {
  bool index;
  std::uint32_t value;
  unsigned width = 8;
};
constexpr Code L(std::uint8_t byte) { return {false, byte}; }
constexpr Code I(std::uint32_t index, unsigned width) { return {true, index, width}; }

// Literals enough to fill the dictionary: after them N = T and indexes have 13
// bits. The last literal is 'q'.
std::string FillDictionary(BitStream& bits) {
  std::string text;
  for (std::uint32_t i = 0; i < kLimit - 256 + 1; ++i) {
    const auto byte = static_cast<std::uint8_t>(i + 1 == kLimit - 256 + 1 ? 'q' : 'A' + i % 26);
    bits.Put(0, 1);
    bits.Put(byte, 8);
    text += static_cast<char>(byte);
  }
  return text;
}

class LzExpandCodes : public testing::TestWithParam<Decoder> {};

TEST_P(LzExpandCodes, HandMadeBlocks) {
  constexpr std::size_t kWide = 1 << 16;  // an output area larger than any block gives
  constexpr std::uint32_t kT = kLimit - 256;  // the index of code T
  const struct {
    const char* name;
    bool fill;  // the codes follow literals that fill the dictionary
    std::vector<Code> codes;
    std::size_t outputSize;
    Outcome expected;  // bytes after the full dictionary's text, when FILL
  } cases[] = {
      {"full dictionary keeps 13-bit indexes", true, {I(0, 13), I(1, 13), L('z')}, kWide,
       Bytes("ABBCz")},
      {"code beyond T", true, {I(0, 13), I(kT + 1, 13)}, kWide,
       Failure(kCorrupt, ": code 8193/8192")},
      {"code T repeats the string before once full", true,
       {I(kT, 13), I(kT, 13), L('r'), I(kT, 13), I(kT, 13)}, kWide,
       Bytes("qq" "qqq" "r" "rr" "rrr")},
      // Entry T becomes its own prefix after two codes T in a row: a third would walk it forever.
      {"third code T in a row", true, {I(kT, 13), I(kT, 13), I(kT, 13)}, kWide,
       Failure(kCorrupt, ": code 8192/8192")},
      {"empty block", false, {}, kWide, Bytes("")},
      {"literals are 9 bits, least significant first", false, {L('A'), L('B')}, kWide, Bytes("AB")},
      {"first index has one bit, code 256", false, {L('a'), L('b'), I(0, 1)}, kWide, Bytes("abab")},
      {"code N repeats the string before and its first byte", false, {L('a'), L('b'), I(1, 1)},
       kWide, Bytes("abbb")},
      {"code N twice", false, {L('x'), I(0, 1), I(1, 1)}, kWide, Bytes("x" "xx" "xxx")},
      {"index width grows with N", false, {L('a'), L('b'), I(0, 1), I(2, 2), I(1, 2)}, kWide,
       Bytes("ab" "ab" "aba" "ba")},
      {"small output takes its size", false, {L('a'), L('b'), I(0, 1), I(2, 2)}, 5, Bytes("ababa")},
      {"output of no bytes", false, {L('a'), L('b'), I(0, 1), I(2, 2)}, 0, Bytes("")},
      {"output ending inside a string", false, {L('a'), L('b'), I(0, 1), I(2, 2)}, 6,
       Bytes("ababab")},
      {"code beyond N", false, {L('a'), I(1, 1)}, kWide, Failure(kCorrupt, ": code 257/256")},
      {"dictionary code first", false, {I(0, 1)}, kWide, Failure(kCorrupt, ": code 256/256")},
      {"code N first", false, {I(1, 1)}, kWide, Failure(kCorrupt, ": code 257/256")},
      // Codes cut short by the end of the block are dropped.
      {"literal cut short", false, {{false, 'A', 7}}, kWide, Bytes("")},
      {"second literal cut short", false, {L('A'), {false, 'B', 6}}, kWide, Bytes("A")},
      {"flag and part of a literal", false, {L('A'), L('B'), {false, 0, 5}}, kWide, Bytes("AB")},
      {"index flag as the last bit", false, {L('A'), L('B'), I(0, 1), I(1, 2), {true, 0, 0}},
       kWide, Bytes("AB" "AB" "BA")},
  };
  CKelLzExpandBufByte expander;  // one for all blocks: each starts afresh, full ones first
  for (const auto& c : cases) {
    BitStream bits;
    const std::string text = c.fill ? FillDictionary(bits) : "";
    for (const Code& code : c.codes) {
      bits.Put(code.index, 1);
      bits.Put(code.value, code.width);
    }
    Outcome expected = c.expected;
    if (!expected.failed) expected.bytes.insert(expected.bytes.begin(), text.begin(), text.end());
    EXPECT_EQ(lztest::Expand(expander, GetParam(), bits.Bytes(), c.outputSize), expected) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Decoders, LzExpandCodes,
                         testing::Values(Decoder::Fast, Decoder::Stepwise),
                         [](const testing::TestParamInfo<Decoder>& info) {
                           return info.param == Decoder::Fast ? "Fast" : "Stepwise";
                         });

TEST(LzExpandParameters, WidthsOutsideTheTablesAreRefused) {
  EXPECT_THROW(CKelLzExpandBufByte(0, 12), std::invalid_argument);
  EXPECT_THROW(CKelLzExpandBufByte(9, 12), std::invalid_argument);
  EXPECT_THROW(CKelLzExpandBufByte(8, 7), std::invalid_argument);
  EXPECT_THROW(CKelLzExpandBufByte(8, 21), std::invalid_argument);
  CKelLzExpandBufByte expander(8, 12);
  EXPECT_EQ(expander.FirstCode(), 256u);
  EXPECT_EQ(expander.Limit(), 8192u);
}

// The fast decoder against the stepwise one, over streams that exercise every
// kind of code: literals, old entries, the code N, runs of code T once the
// dictionary is full, codes beyond N, cut and damaged streams, and output
// areas of every size.
class LzExpandEquivalence : public testing::Test {
 protected:
  struct Shape {
    unsigned literalBits;
    unsigned sizeExponent;
    std::uint32_t codes;
  };

  // Codes chosen at random; CORRUPTION is the chance per code (in 1/1000) of
  // an index that may lie beyond N.
  std::vector<std::uint8_t> RandomCodes(const Shape& shape, unsigned corruption) {
    CodeStream stream(shape.literalBits, shape.sizeExponent);
    const std::uint32_t first = 1u << shape.literalBits;
    stream.Put(Pick(first));
    for (std::uint32_t i = 1; i < shape.codes; ++i) {
      const std::uint32_t next = stream.NextCode();
      const unsigned roll = Pick(1000);
      if (roll < corruption) {
        stream.Put(first + Pick(1u << stream.IndexBits()));
      } else if (next == stream.Limit() && roll < 60) {
        // Code T; a third one in a row only in streams meant to be corrupt.
        if (corruption > 0 || stream.TrailingLimitCodes() < 2) stream.Put(next);
      } else if (roll < 350) {
        stream.Put(Pick(first));
      } else if (roll < 450) {
        stream.Put(next - Pick(std::min<std::uint32_t>(8, next - first + 1)));
      } else {
        stream.Put(first + Pick(next - first + 1));
      }
    }
    return stream.Bytes();
  }

  std::size_t RandomOutputSize() {
    return Pick(4) == 0 ? Pick(64) : Pick(1 << 16);
  }

  void Mutate(std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) return;
    switch (Pick(3)) {
      case 0: bytes[Pick(bytes.size())] ^= static_cast<std::uint8_t>(1u << Pick(8)); break;
      case 1: bytes.resize(Pick(bytes.size())); break;
      default: bytes[Pick(bytes.size())] = static_cast<std::uint8_t>(Pick(256)); break;
    }
  }

  void ExpectSameOutcome(unsigned literalBits, unsigned sizeExponent,
                         const std::vector<std::uint8_t>& input, std::size_t outputSize) {
    // One expander per shape, reused: no block may see another's dictionary.
    if (!m_expander || m_expander->Limit() != 2u << sizeExponent ||
        m_expander->FirstCode() != 1u << literalBits)
      m_expander = std::make_unique<CKelLzExpandBufByte>(literalBits, sizeExponent);
    const Outcome fast = lztest::Expand(*m_expander, Decoder::Fast, input, outputSize);
    const Outcome stepwise = lztest::Expand(*m_expander, Decoder::Stepwise, input, outputSize);
    ASSERT_EQ(fast, stepwise) << "L " << literalBits << " S " << sizeExponent << " input size "
                              << input.size() << " output size " << outputSize;
    ++(stepwise.failed ? m_failures : m_successes);
    const std::string limit = std::to_string(2u << sizeExponent);
    if (stepwise.failed && stepwise.detail == ": code " + limit + "/" + limit) ++m_selfPrefixed;
  }

  std::uint32_t Pick(std::size_t bound) {
    return static_cast<std::uint32_t>(std::uniform_int_distribution<std::size_t>(0, bound - 1)(m_rng));
  }

  std::mt19937 m_rng{20240611};
  std::unique_ptr<CKelLzExpandBufByte> m_expander;
  unsigned m_failures = 0;
  unsigned m_successes = 0;
  unsigned m_selfPrefixed = 0;
};

TEST_F(LzExpandEquivalence, StructuredStreamsOfEveryShape) {
  const Shape shapes[] = {{8, 12, 9000}, {8, 8, 1200}, {4, 5, 300}, {1, 1, 40}};
  const unsigned rounds[] = {60, 400, 1500, 1500};
  for (std::size_t s = 0; s < std::size(shapes); ++s) {
    for (unsigned round = 0; round < rounds[s]; ++round) {
      const unsigned corruption = round % 3 == 0 ? 0 : 1 + Pick(round % 3 == 1 ? 3 : 30);
      std::vector<std::uint8_t> input = RandomCodes(shapes[s], corruption);
      ExpectSameOutcome(shapes[s].literalBits, shapes[s].sizeExponent, input, RandomOutputSize());
      ExpectSameOutcome(shapes[s].literalBits, shapes[s].sizeExponent, input, 1u << 18);
      for (int m = 0; m < 4; ++m) {
        Mutate(input);
        ExpectSameOutcome(shapes[s].literalBits, shapes[s].sizeExponent, input, RandomOutputSize());
      }
      if (HasFatalFailure()) return;
    }
  }
  // The streams reached every outcome, the corrupt T runs among them.
  EXPECT_GT(m_successes, 1000u);
  EXPECT_GT(m_failures, 1000u);
  EXPECT_GT(m_selfPrefixed, 50u);
}

}  // namespace
