#include "host/Crc32.h"

#include <zlib.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// zlib takes at most 4 GiB per call.
std::uint32_t ZlibCrc32(std::uint32_t crc, const unsigned char* data, std::size_t size) {
  while (size > 0) {
    const std::size_t piece = size < (1u << 30) ? size : (1u << 30);
    crc = static_cast<std::uint32_t>(crc32(crc, data, static_cast<uInt>(piece)));
    data += piece;
    size -= piece;
  }
  return crc;
}

#if defined(__x86_64__)

// Folding by carry-less multiplication over the bit-reflected polynomial: the
// constants are x^(512+32), x^(512-32), x^(128+32), x^(128-32) and x^64 modulo
// the polynomial (reflected, shifted left by one), then the polynomial and its
// Barrett constant for the last reduction to 32 bits.
alignas(16) constexpr std::uint64_t kFold512[2] = {0x0154442bd4, 0x01c6e41596};
alignas(16) constexpr std::uint64_t kFold128[2] = {0x01751997d0, 0x00ccaa009e};
alignas(16) constexpr std::uint64_t kFold64[2] = {0x0163cd6124, 0};
alignas(16) constexpr std::uint64_t kBarrett[2] = {0x01db710641, 0x01f7011641};

__attribute__((target("pclmul,sse4.1"))) __m128i FoldInto(__m128i state, __m128i next,
                                                          __m128i constants) {
  const __m128i low = _mm_clmulepi64_si128(state, constants, 0x00);
  const __m128i high = _mm_clmulepi64_si128(state, constants, 0x11);
  return _mm_xor_si128(_mm_xor_si128(high, low), next);
}

// The inverted CRC register after SIZE bytes (a multiple of 16, at least 64),
// starting from the inverted register CRC.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t FoldedCrc(std::uint32_t crc,
                                                                  const unsigned char* data,
                                                                  std::size_t size) {
  auto load = [](const unsigned char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  };
  __m128i lanes[4] = {load(data), load(data + 16), load(data + 32), load(data + 48)};
  lanes[0] = _mm_xor_si128(lanes[0], _mm_cvtsi32_si128(static_cast<int>(crc)));
  data += 64;
  size -= 64;

  const __m128i fold512 = _mm_load_si128(reinterpret_cast<const __m128i*>(kFold512));
  for (; size >= 64; data += 64, size -= 64) {
    for (int lane = 0; lane < 4; ++lane)
      lanes[lane] = FoldInto(lanes[lane], load(data + 16 * lane), fold512);
  }

  const __m128i fold128 = _mm_load_si128(reinterpret_cast<const __m128i*>(kFold128));
  __m128i x = lanes[0];
  for (int lane = 1; lane < 4; ++lane) x = FoldInto(x, lanes[lane], fold128);
  for (; size >= 16; data += 16, size -= 16) x = FoldInto(x, load(data), fold128);

  // 128 bits to 64, then to 32 by Barrett reduction.
  const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
  x = _mm_xor_si128(_mm_srli_si128(x, 8), _mm_clmulepi64_si128(x, fold128, 0x10));
  const __m128i fold64 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kFold64));
  x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), fold64, 0x00),
                    _mm_srli_si128(x, 4));
  const __m128i barrett = _mm_load_si128(reinterpret_cast<const __m128i*>(kBarrett));
  __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x, low32), barrett, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), barrett, 0x00);
  return static_cast<std::uint32_t>(_mm_extract_epi32(_mm_xor_si128(x, t), 1));
}

bool CanFold() {
  static const bool can = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  return can;
}

#endif

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size) {
  auto bytes = static_cast<const unsigned char*>(data);
#if defined(__x86_64__)
  if (size >= 64 && CanFold()) {
    const std::size_t folded = size & ~std::size_t{15};
    crc = ~FoldedCrc(~crc, bytes, folded);
    bytes += folded;
    size -= folded;
  }
#endif
  return ZlibCrc32(crc, bytes, size);
}
