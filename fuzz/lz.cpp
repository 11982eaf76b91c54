// Packed blocks: both decoders of CKelLzExpandBufByte expand the input, and
// must agree on the bytes, the count and the error. Input: one byte choosing
// the literal width and dictionary size, two bytes of output size, the block.
#include <cstring>
#include <memory>
#include <vector>

#include "archive/LzExpand.h"
#include "fuzz/FuzzSupport.h"

namespace {

constexpr std::size_t kGuard = 16;  // bytes behind the output area, never written

struct Outcome {
  std::size_t count = 0;
  std::uint32_t code = 0;
  std::string detail;
};

template <class Call>
Outcome Run(Call&& call) {
  Outcome outcome;
  try {
    outcome.count = call();
  } catch (CKelException* e) {
    outcome.code = e->m_code;
    outcome.detail = e->m_arg1;
    delete e;
  }
  return outcome;
}

// The expander of the last parameters asked (the tables are large: one at a time).
CKelLzExpandBufByte& ExpanderFor(unsigned literalBits, unsigned sizeExponent) {
  static std::unique_ptr<CKelLzExpandBufByte> expander;
  static unsigned key = 0;
  const unsigned wanted = literalBits * 100 + sizeExponent;
  if (!expander || key != wanted) {
    expander = std::make_unique<CKelLzExpandBufByte>(literalBits, sizeExponent);
    key = wanted;
  }
  return *expander;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputReader input(data, size);
  const unsigned choice = input.Number(1);
  // Mostly the archive's own parameters (8, 12); else any valid pair.
  unsigned literalBits = 8, sizeExponent = 12;
  if (choice & 0x80) {
    literalBits = 1 + (choice & 7);
    sizeExponent = literalBits + ((choice >> 3) & 0xF) % (21 - literalBits);
  }
  const std::size_t outputSize = input.Number(2) + 1;
  const std::string_view block = input.Rest();
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(block.data());

  std::vector<std::uint8_t> fast(outputSize + kGuard, 0xA5);
  std::vector<std::uint8_t> stepwise(outputSize + kGuard, 0x5A);
  CKelLzExpandBufByte& expander = ExpanderFor(literalBits, sizeExponent);
  const Outcome a = Run([&] { return expander.Expand(fast.data(), outputSize, bytes, block.size()); });
  const Outcome b = Run([&] {
    return expander.ExpandStepwise(stepwise.data(), outputSize, bytes, block.size());
  });

  if (a.code != b.code || a.detail != b.detail) std::abort();
  if (a.code == 0 && a.count != b.count) std::abort();
  const std::size_t count = a.code == 0 ? a.count : 0;
  if (count > outputSize || std::memcmp(fast.data(), stepwise.data(), count) != 0) std::abort();
  for (std::size_t i = outputSize; i < outputSize + kGuard; ++i)
    if (fast[i] != 0xA5 || stepwise[i] != 0x5A) std::abort();
  if (a.code == 0)
    for (std::size_t i = count; i < outputSize; ++i)
      if (fast[i] != 0xA5 || stepwise[i] != 0x5A) std::abort();
  return 0;
}
