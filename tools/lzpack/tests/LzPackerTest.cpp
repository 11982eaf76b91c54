#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "archive/LzExpand.h"
#include "archive/tests/LzTestSupport.h"
#include "tools/lzpack/LzPacker.h"
#include "tools/lzpack/tests/PlainLzw.h"

using lztest::Decoder;
using lztest::Outcome;

namespace {

constexpr std::uint32_t kLimit = 8192;

using Bytes = std::vector<std::uint8_t>;

Bytes FromText(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Documentation-like HTML: tags, attributes and words repeating unevenly.
Bytes SampleHtml(std::size_t size, unsigned seed) {
  static const char* const kWords[] = {
      "the",    "module", "function", "returns",  "object", "string",   "value",  "class",
      "method", "list",   "argument", "default",  "None",   "example",  "file",   "path",
      "which",  "is",     "a",        "of",       "to",     "and",      "in",     "with",
      "raises", "error",  "buffer",   "encoding", "bytes",  "iterator", "thread", "socket"};
  std::mt19937 rng(seed);
  auto word = [&] { return std::string(kWords[rng() % std::size(kWords)]); };
  std::string html = "<!DOCTYPE html>\n<html><head><title>Library</title></head><body>\n";
  while (html.size() < size) {
    switch (rng() % 4) {
      case 0: html += "<p class=\"" + word() + "\">"; break;
      case 1: html += "<a href=\"library/" + word() + ".html#" + word() + "\">" + word() + "</a> "; break;
      case 2: html += "</p>\n<dl><dt id=\"" + word() + "." + word() + "\">"; break;
      default:
        for (unsigned n = 3 + rng() % 12; n > 0; --n) html += word() + " ";
        html += std::to_string(rng() % 1000) + ".\n";
    }
  }
  html.resize(size);
  return FromText(html);
}

// A table of little-endian records: counters, small flags, measurements.
Bytes SampleBinary(std::size_t size) {
  Bytes data;
  std::mt19937 rng(7);
  auto next = [&](std::uint32_t bound) { return static_cast<std::uint32_t>(rng() % bound); };
  for (std::uint32_t id = 0; data.size() < size; ++id) {
    const std::uint32_t fields[] = {id, next(4), 1000 + next(50), 0x3F800000u + (next(8) << 20)};
    for (std::uint32_t field : fields)
      for (int b = 0; b < 4; ++b) data.push_back(static_cast<std::uint8_t>(field >> (8 * b)));
  }
  data.resize(size);
  return data;
}

Bytes RandomBytes(std::size_t size, unsigned alphabet, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes data(size);
  for (auto& byte : data)
    byte = static_cast<std::uint8_t>(alphabet == 256 ? rng() : 'a' + rng() % alphabet);
  return data;
}

// A chunk on which greedy use of code T costs space. Before the dictionary is
// full it learns "ab" (never followed by "a") and a long entry "a" + R; R's
// own entries stay short, as R always follows "a". Once full, each "\nabab"+
// "a"+R is "\n", "ab", then either code T ("aba", the longer match) and R in
// short pieces, or "ab" and the long entry "a" + R.
Bytes CodeTTrap() {
  std::mt19937 rng(1);
  std::string text, r;
  for (int i = 0; i < 20; ++i) r += static_cast<char>('c' + rng() % 24);
  auto filler = [&](int n) {
    for (int i = 0; i < n; ++i) text += static_cast<char>('H' + rng() % 19);
  };
  for (int i = 0; i < 25; ++i) {
    filler(8);
    text += "a" + r;
  }
  for (int i = 0; i < 6; ++i) {
    filler(8);
    text += "ab";
  }
  filler(21000);
  for (int i = 0; i < 60; ++i) text += "\nabab" "a" + r;
  return FromText(text);
}

// Packs CHUNK and expects the block to save space and to expand back to the
// chunk with both decoders, into an area of the chunk's size and a larger one.
Bytes ExpectRoundTrip(const Bytes& chunk) {
  LzPacker packer;
  EXPECT_TRUE(packer.Pack(chunk));
  const Bytes block(packer.Block().begin(), packer.Block().end());
  EXPECT_LT(block.size(), chunk.size());
  CKelLzExpandBufByte expander;
  Outcome expected;
  expected.bytes = chunk;
  for (Decoder decoder : {Decoder::Fast, Decoder::Stepwise}) {
    EXPECT_EQ(lztest::Expand(expander, decoder, block, chunk.size()), expected);
    EXPECT_EQ(lztest::Expand(expander, decoder, block, chunk.size() + 1000), expected);
  }
  return block;
}

TEST(LzPackerCodes, GreedyLongestEntriesAndCodeN) {
  const std::tuple<const char*, std::vector<std::uint32_t>, std::size_t> cases[] = {
      {"abababab", {'a', 'b', 256, 258, 'b'}, 4},  // the longest entry each time: 9+9+2+3+9 bits
      {"aaaaaa", {'a', 256, 257}, 2},              // code N, the string before and its first byte
  };
  for (const auto& [text, codes, size] : cases) {
    Bytes block;
    ASSERT_TRUE(LzPackChunk(FromText(text), block)) << text;
    EXPECT_EQ(lztest::ReadCodes(block), codes) << text;
    EXPECT_EQ(block.size(), size) << text;
  }
}

// Chunks of every kind: each that packs expands back with both decoders, is never
// larger than plain LZW would make it, and a reused packer packs it as a fresh one.
TEST(LzPackerChunks, RoundTripAndNeverLargerThanPlainLzw) {
  std::vector<std::pair<std::string, Bytes>> chunks = {
      {"sentence",
       FromText("It was the best of times, it was the worst of times, it was the age of "
                "wisdom, it was the age of foolishness.")},
      {"html", SampleHtml(5000, 1)},
      {"binary", SampleBinary(20000)},
      {"whole binary", SampleBinary(LzPacker::kMaxChunk)},
      {"code T trap", CodeTTrap()},
  };
  for (unsigned seed = 1; seed <= 4; ++seed)
    chunks.push_back({"whole html " + std::to_string(seed), SampleHtml(LzPacker::kMaxChunk, seed)});
  for (unsigned alphabet : {2u, 4u, 8u, 16u, 40u, 256u})
    chunks.push_back({"whole alphabet " + std::to_string(alphabet),
                      RandomBytes(LzPacker::kMaxChunk, alphabet, alphabet)});
  for (unsigned alphabet : {1u, 2u, 3u, 16u, 64u})
    for (std::size_t size : {2u, 3u, 17u, 1000u}) {
      chunks.push_back({"alphabet " + std::to_string(alphabet) + " size " + std::to_string(size),
                        RandomBytes(size, alphabet, alphabet * 100 + static_cast<unsigned>(size))});
    }
  Bytes fillThenRun = RandomBytes(20000, 16, 9);
  fillThenRun.insert(fillThenRun.end(), 5000, 'z');
  chunks.push_back({"fill then run", fillThenRun});
  LzPacker packer;
  for (const auto& [name, chunk] : chunks) {
    SCOPED_TRACE(name);
    const bool packed = packer.Pack(chunk);
    const std::size_t stored = packed ? packer.Block().size() : chunk.size();
    EXPECT_LE(stored, std::min(chunk.size(), PlainLzwPackedSize(chunk)));
    if (packed) {
      EXPECT_EQ(Bytes(packer.Block().begin(), packer.Block().end()), ExpectRoundTrip(chunk));
    }
  }
  // A chunk of eight letters fills the dictionary.
  EXPECT_GT(lztest::ReadCodes(ExpectRoundTrip(RandomBytes(LzPacker::kMaxChunk, 8, 8))).size(),
            kLimit - 256u + 1);
  // Once it is full, code T comes often, but never three times in a row.
  const std::vector<std::uint32_t> codes = lztest::ReadCodes(ExpectRoundTrip(fillThenRun));
  unsigned pairs = 0;
  for (std::size_t i = 2; i < codes.size(); ++i) {
    EXPECT_FALSE(codes[i - 2] == kLimit && codes[i - 1] == kLimit && codes[i] == kLimit) << i;
    pairs += codes[i - 1] == kLimit && codes[i] == kLimit;
  }
  EXPECT_GT(pairs, 100u);
}

TEST(LzPackerChunks, WhatDoesNotSaveSpaceIsLeftPlainAndTheLargestFitsItsHead) {
  LzPacker packer;
  EXPECT_FALSE(packer.Pack({}));
  EXPECT_FALSE(packer.Pack(FromText("a")));
  EXPECT_FALSE(packer.Pack(FromText("aa")));  // 11 bits still take 2 bytes
  EXPECT_TRUE(packer.Pack(FromText("aaaa")));
  EXPECT_FALSE(packer.Pack(RandomBytes(LzPacker::kMaxChunk, 256, 5)));
  EXPECT_TRUE(packer.Block().empty());
  Bytes block{1, 2, 3};
  EXPECT_FALSE(LzPackChunk(FromText("x"), block));
  EXPECT_TRUE(block.empty());

  ASSERT_TRUE(packer.Pack(SampleBinary(LzPacker::kMaxChunk)));
  EXPECT_LE(packer.Block().size(), 0xFFFFu - 0x8000u);
  EXPECT_THROW(packer.Pack(SampleBinary(LzPacker::kMaxChunk + 1)), std::length_error);
}

// Damaged blocks, one that never fills the dictionary and one that uses code T
// once it is full: both decoders give the same bytes or the same failure, and
// neither crashes, reads outside the block or hangs.
TEST(LzDamagedBlocks, PrefixesAndBitFlipsExpandAlikeWithBothDecoders) {
  Bytes full = RandomBytes(20000, 16, 31);
  full.insert(full.end(), 2000, 'z');
  CKelLzExpandBufByte expander;
  std::mt19937 rng(3);
  for (const auto& [name, chunk] : {std::pair{"html", SampleHtml(1500, 21)}, {"full", full}}) {
    const Bytes block = ExpectRoundTrip(chunk);
    const std::size_t bits = block.size() * 8;
    const bool small = bits < 20000;
    unsigned failures = 0, successes = 0;
    // Every prefix (every 61st of the large block), then every bit flipped (of the
    // large block 1000 at random, half in the tail where code T is used).
    for (std::size_t round = 0; round <= block.size() + (small ? bits : 1000); ++round) {
      Bytes damaged = block;
      if (round <= block.size()) {
        if (!small && round % 61) continue;
        damaged.resize(round);
      } else {
        const std::size_t n = round - block.size() - 1;
        const std::size_t bit = small ? n : n % 2 ? rng() % bits : bits - 1 - rng() % 4000;
        damaged[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
      }
      const std::size_t area = chunk.size() + (small ? 0 : rng() % 64);
      const Outcome fast = lztest::Expand(expander, Decoder::Fast, damaged, area);
      const Outcome stepwise = lztest::Expand(expander, Decoder::Stepwise, damaged, area);
      ASSERT_EQ(fast, stepwise) << name << " round " << round;
      ++(stepwise.failed ? failures : successes);
    }
    EXPECT_GT(failures, 100u) << name;
    EXPECT_GT(successes, 100u) << name;
  }
}

}  // namespace
