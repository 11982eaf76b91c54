#include "archive/LzExpand.h"

#include <cstdio>
#include <stdexcept>

#include "base/KelException.h"

namespace {

constexpr std::uint32_t kCorruptFile = 1031;

}  // namespace

CKelLzExpand::CKelLzExpand(unsigned literalBits, unsigned sizeExponent)
    : m_literalBits(literalBits),
      m_firstCode(1u << literalBits),
      m_nextCode(m_firstCode),
      m_previousCode(0),
      m_stackTop(0),
      m_firstByte(0),
      m_limit(2u << sizeExponent) {
  if (literalBits < 1 || literalBits > 8 || sizeExponent < literalBits || sizeExponent > 20)
    throw std::invalid_argument("LZ expander: literal width 1 to 8, size exponent L to 20");
  m_prefix = std::make_unique<std::uint32_t[]>(m_limit + 1);
  m_suffix = std::make_unique<std::uint8_t[]>(m_limit + 1);
  m_stack = std::make_unique<std::uint8_t[]>(m_limit);
  m_previousCode = m_limit;
}

CKelLzExpand::~CKelLzExpand() = default;

void CKelLzExpand::ThrowCorrupt(std::uint32_t code, std::uint32_t nextCode) {
  char detail[40];
  std::snprintf(detail, sizeof detail, ": code %u/%u", code, nextCode);
  CKelException::Throw(kCorruptFile, detail);
}

void CKelLzExpand::Reset() {
  m_nextCode = m_firstCode;
  for (std::uint32_t i = 0; i < m_firstCode; ++i) {
    m_prefix[i] = m_limit;
    m_suffix[i] = static_cast<std::uint8_t>(i);
  }
  m_previousCode = m_limit;
  m_stackTop = 0;
}

void CKelLzExpand::Decode() {
  Reset();
  DecodeCodes();
  Done();
}

void CKelLzExpand::DecodeCodes() {
  std::uint32_t code;
  if (!ReadCode(code)) return;
  // The first code has no previous string, so only a literal makes sense; a
  // dictionary code here would read an entry this block has not defined.
  if (code >= m_firstCode) ThrowCorrupt(code, m_nextCode);
  m_firstByte = m_suffix[code];
  if (!PutByte(m_firstByte)) return;
  m_previousCode = code;
  while (ReadCode(code)) {
    if (code > m_nextCode) ThrowCorrupt(code, m_nextCode);
    PushString(code);
    if (!PopString()) return;
  }
}

void CKelLzExpand::PushString(std::uint32_t incoming) {
  std::uint32_t code = incoming;
  if (code == m_nextCode) {  // the previous string followed by its own first byte
    Push(m_firstByte, incoming);
    code = m_previousCode;
  }
  while (code >= m_firstCode) {
    Push(m_suffix[code], incoming);
    code = m_prefix[code];
  }
  m_firstByte = m_suffix[code];
  Push(m_firstByte, incoming);

  m_prefix[m_nextCode] = m_previousCode;
  m_suffix[m_nextCode] = m_firstByte;
  if (m_nextCode < m_limit) ++m_nextCode;
  m_previousCode = incoming;
}

// A prefix chain that does not end within the stack's capacity loops: once the
// dictionary is full, entry T can become its own prefix.
void CKelLzExpand::Push(std::uint8_t byte, std::uint32_t incoming) {
  if (m_stackTop == m_limit) ThrowCorrupt(incoming, m_nextCode);
  m_stack[m_stackTop++] = byte;
}

bool CKelLzExpand::PopString() {
  while (m_stackTop > 0) {
    if (!PutByte(m_stack[--m_stackTop])) return false;
  }
  return true;
}

void CKelLzExpandBufBase::Reset() {
  CKelLzExpand::Reset();
  m_indexBits = 1;
  m_indexRange = 2;
  m_bitCount = 0;
  m_bitBuffer = 0;
}

void CKelLzExpandBufBase::SetInput(const std::uint8_t* input, std::size_t inputSize) {
  m_inputPos = input;
  m_inputEnd = input + inputSize;
}

bool CKelLzExpandBufBase::ReadCode(std::uint32_t& code) {
  std::uint32_t flag;
  if (!ReadBits(1, flag)) return false;
  if (flag == 0) return ReadBits(m_literalBits, code);
  while (m_nextCode >= m_firstCode + m_indexRange) {
    ++m_indexBits;
    m_indexRange <<= 1;
  }
  std::uint32_t index;
  if (!ReadBits(m_indexBits, index)) return false;
  code = m_firstCode + index;
  return true;
}

bool CKelLzExpandBufBase::ReadBits(unsigned count, std::uint32_t& value) {
  while (m_bitCount < count) {
    if (m_inputPos == m_inputEnd) {
      m_bitCount = 0;
      m_bitBuffer = 0;
      return false;
    }
    m_bitBuffer |= static_cast<std::uint32_t>(*m_inputPos++) << m_bitCount;
    m_bitCount += 8;
  }
  value = m_bitBuffer & ((1u << count) - 1);
  m_bitBuffer >>= count;
  m_bitCount -= count;
  return true;
}

CKelLzExpandBufByte::CKelLzExpandBufByte(unsigned literalBits, unsigned sizeExponent)
    : CKelLzExpandBufBase(literalBits, sizeExponent),
      m_strings(std::make_unique<StringRef[]>(m_limit - m_firstCode + 1)) {}

CKelLzExpandBufByte::~CKelLzExpandBufByte() = default;

void CKelLzExpandBufByte::SetBlock(std::uint8_t* output, std::size_t outputSize,
                                   const std::uint8_t* input, std::size_t inputSize) {
  m_outputStart = output;
  m_outputPos = output;
  m_outputSize = outputSize;
  SetInput(input, inputSize);
}

std::size_t CKelLzExpandBufByte::ExpandStepwise(std::uint8_t* output, std::size_t outputSize,
                                                const std::uint8_t* input,
                                                std::size_t inputSize) {
  SetBlock(output, outputSize, input, inputSize);
  Decode();
  return static_cast<std::size_t>(m_outputPos - m_outputStart);
}

bool CKelLzExpandBufByte::PutByte(std::uint8_t byte) {
  if (m_outputPos == m_outputStart + m_outputSize) return false;
  *m_outputPos++ = byte;
  return true;
}
