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

void PutLiteral(BitStream& bits, std::uint8_t byte) {
  bits.Put(0, 1);
  bits.Put(byte, 8);
}

void PutIndex(BitStream& bits, std::uint32_t index, unsigned width) {
  bits.Put(1, 1);
  bits.Put(index, width);
}

// Literals enough to fill the dictionary: after them N = T and indexes have 13
// bits. The last literal is 'q'.
std::string FillDictionary(BitStream& bits) {
  std::string text;
  for (std::uint32_t i = 0; i < kLimit - 256 + 1; ++i) {
    const auto byte = static_cast<std::uint8_t>(i + 1 == kLimit - 256 + 1 ? 'q' : 'A' + i % 26);
    PutLiteral(bits, byte);
    text += static_cast<char>(byte);
  }
  return text;
}

class LzExpandCodes : public testing::TestWithParam<Decoder> {
 protected:
  Outcome Expand(const std::vector<std::uint8_t>& input, std::size_t outputSize = 1 << 16) {
    return lztest::Expand(m_expander, GetParam(), input, outputSize);
  }

  CKelLzExpandBufByte m_expander;
};

TEST_P(LzExpandCodes, EmptyBlockGivesNoBytes) { EXPECT_EQ(Expand({}), Bytes("")); }

TEST_P(LzExpandCodes, LiteralsAreNineBitsLeastSignificantBitFirst) {
  EXPECT_EQ(Expand({0x82, 0x00}), Bytes("A"));
  EXPECT_EQ(Expand({0x82, 0x08, 0x01}), Bytes("AB"));
}

TEST_P(LzExpandCodes, CodeWithMissingBitsIsDropped) {
  EXPECT_EQ(Expand({0x82}), Bytes(""));
  EXPECT_EQ(Expand({0x82, 0x08}), Bytes("A"));
  // An index flag as the last bit of the block.
  BitStream bits;
  PutLiteral(bits, 'A');
  PutLiteral(bits, 'B');
  PutIndex(bits, 0, 1);
  PutIndex(bits, 1, 2);
  bits.Put(1, 1);
  ASSERT_EQ(bits.Bytes().size(), 3u);
  EXPECT_EQ(Expand(bits.Bytes()), Bytes("AB" "AB" "BA"));
}

TEST_P(LzExpandCodes, FirstIndexHasOneBit) {
  BitStream earlier;
  PutLiteral(earlier, 'a');
  PutLiteral(earlier, 'b');
  BitStream later = earlier;
  PutIndex(earlier, 0, 1);  // code 256 = "ab"
  PutIndex(later, 1, 1);    // code 257 = N: "b" and its first byte
  EXPECT_EQ(Expand(earlier.Bytes()), Bytes("abab"));
  EXPECT_EQ(Expand(later.Bytes()), Bytes("abbb"));
}

TEST_P(LzExpandCodes, IndexWidthGrowsWithNextCode) {
  BitStream bits;
  PutLiteral(bits, 'a');
  PutLiteral(bits, 'b');
  PutIndex(bits, 0, 1);  // 256 "ab", N = 258 afterwards
  PutIndex(bits, 2, 2);  // 258 = N: "ab" + "a"
  PutIndex(bits, 1, 2);  // 257 "ba"
  EXPECT_EQ(Expand(bits.Bytes()), Bytes("ab" "ab" "aba" "ba"));
}

TEST_P(LzExpandCodes, CodeEqualToNextRepeatsPreviousStringAndItsFirstByte) {
  BitStream bits;
  PutLiteral(bits, 'x');
  PutIndex(bits, 0, 1);  // 256 = N: "x" + "x"
  PutIndex(bits, 1, 1);  // 257 = N: "xx" + "x"
  EXPECT_EQ(Expand(bits.Bytes()), Bytes("x" "xx" "xxx"));
}

TEST_P(LzExpandCodes, CodeBeyondNextIsCorrupt) {
  BitStream bits;
  PutLiteral(bits, 'a');
  PutIndex(bits, 1, 1);  // 257 while N = 256
  EXPECT_EQ(Expand(bits.Bytes()), Failure(kCorrupt, ": code 257/256"));
}

TEST_P(LzExpandCodes, DictionaryCodeFirstIsCorrupt) {
  BitStream first256, first257;
  PutIndex(first256, 0, 1);
  PutIndex(first257, 1, 1);
  EXPECT_EQ(Expand(first256.Bytes()), Failure(kCorrupt, ": code 256/256"));
  EXPECT_EQ(Expand(first257.Bytes()), Failure(kCorrupt, ": code 257/256"));
}

TEST_P(LzExpandCodes, SmallOutputTakesExactlyItsSize) {
  BitStream bits;
  PutLiteral(bits, 'a');
  PutLiteral(bits, 'b');
  PutIndex(bits, 0, 1);
  PutIndex(bits, 2, 2);
  const std::string whole = "abababa";
  for (std::size_t size = 0; size <= whole.size(); ++size)
    EXPECT_EQ(Expand(bits.Bytes(), size), Bytes(whole.substr(0, size))) << size;
}

TEST_P(LzExpandCodes, FullDictionaryKeepsThirteenBitIndexes) {
  BitStream bits;
  std::string text = FillDictionary(bits);
  PutIndex(bits, 0, 13);  // 256: "AB"
  PutIndex(bits, 1, 13);  // 257: "BC"
  PutLiteral(bits, 'z');
  text += "ABBCz";
  EXPECT_EQ(Expand(bits.Bytes()), Bytes(text));
  PutIndex(bits, kLimit + 1 - 256, 13);
  EXPECT_EQ(Expand(bits.Bytes()), Failure(kCorrupt, ": code 8193/8192"));
}

TEST_P(LzExpandCodes, CodeTRepeatsThePreviousStringOnceFull) {
  BitStream bits;
  std::string text = FillDictionary(bits);
  PutIndex(bits, kLimit - 256, 13);  // "q" + "q"
  PutIndex(bits, kLimit - 256, 13);  // "qq" + "q"
  PutLiteral(bits, 'r');
  PutIndex(bits, kLimit - 256, 13);  // "r" + "r"
  PutIndex(bits, kLimit - 256, 13);  // "rr" + "r"
  text += "qq" "qqq" "r" "rr" "rrr";
  EXPECT_EQ(Expand(bits.Bytes(), text.size() + 100), Bytes(text));
}

TEST_P(LzExpandCodes, ThirdCodeTInARowIsCorrupt) {
  // Entry T becomes its own prefix after two codes T in a row; a third one
  // would walk it forever.
  BitStream bits;
  FillDictionary(bits);
  for (int i = 0; i < 3; ++i) PutIndex(bits, kLimit - 256, 13);
  EXPECT_EQ(Expand(bits.Bytes()), Failure(kCorrupt, ": code 8192/8192"));
}

TEST_P(LzExpandCodes, EachBlockStartsAfresh) {
  BitStream big;
  FillDictionary(big);
  PutIndex(big, 5, 13);
  big.Put(1, 1);  // a dangling flag bit at the end
  ASSERT_FALSE(Expand(big.Bytes()).failed);

  BitStream small;
  PutLiteral(small, 'x');
  PutIndex(small, 0, 1);
  EXPECT_EQ(Expand(small.Bytes()), Bytes("xxx"));
  EXPECT_EQ(Expand({0x82}), Bytes(""));
  EXPECT_EQ(Expand({0x84, 0x00}), Bytes("B"));
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

TEST_F(LzExpandEquivalence, RandomBytes) {
  for (unsigned round = 0; round < 20000; ++round) {
    std::vector<std::uint8_t> input(Pick(24));
    for (auto& byte : input) byte = static_cast<std::uint8_t>(Pick(256));
    // Mostly-zero streams are long runs of literals and reach further.
    if (round % 2) for (auto& byte : input) byte &= static_cast<std::uint8_t>(Pick(256));
    ExpectSameOutcome(8, 12, input, RandomOutputSize());
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(m_successes, 1000u);
  EXPECT_GT(m_failures, 1000u);
}

}  // namespace
