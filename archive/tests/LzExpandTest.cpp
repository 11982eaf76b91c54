#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "archive/LzExpand.h"
#include "archive/tests/LzTestSupport.h"

using lztest::BitStream;
using lztest::Bytes;
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
  for (const auto& [bits, exponent] : {std::pair{0u, 12u}, {9u, 12u}, {8u, 7u}, {8u, 21u}})
    EXPECT_THROW(CKelLzExpandBufByte(bits, exponent), std::invalid_argument) << bits << exponent;
  CKelLzExpandBufByte expander(8, 12);
  EXPECT_EQ(expander.FirstCode(), 256u);
  EXPECT_EQ(expander.Limit(), 8192u);
}

}  // namespace
