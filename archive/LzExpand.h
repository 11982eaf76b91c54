// LZ expansion of packed chunks.
//
// A packed block is a bit stream, least significant bit first, of codes of the
// LZW family: a flag bit, then either a literal of L bits (flag 0) or a
// dictionary index of k bits (flag 1, code F + index, F = 2^L). k starts at 1
// and grows, never shrinks, to the smallest width that can hold the index of
// the next free code N. The dictionary holds the codes F up to T = 2^(S+1);
// once N has reached T, every step overwrites entry T. There is no end code and
// no clear code: a block ends when its input or the output area is used up, and
// every block starts with an empty dictionary.
//
// Corrupt data throws CKelException 1031 with the detail ": code c/N": a code
// beyond N, a dictionary code as the first code of a block, and a string longer
// than the stack (only entry T can make one, by becoming its own prefix).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// The dictionary and the decoding loop. Codes come from ReadCode and bytes go
// to PutByte, so the loop serves any source and sink.
class CKelLzExpand {
 public:
  // LITERALBITS (L, 1 to 8) and SIZEEXPONENT (S, L to 20) fix F = 2^L and
  // T = 2^(S+1). The tables are allocated here, once, and reused for every block.
  CKelLzExpand(unsigned literalBits, unsigned sizeExponent);
  virtual ~CKelLzExpand();
  CKelLzExpand(const CKelLzExpand&) = delete;
  CKelLzExpand& operator=(const CKelLzExpand&) = delete;

  // Expands one block: Reset, codes from ReadCode until the input or the
  // output ends, Done. Throws CKelException 1031 on corrupt data.
  void Decode();

  std::uint32_t FirstCode() const { return m_firstCode; }
  std::uint32_t Limit() const { return m_limit; }

 protected:
  virtual void Reset();
  virtual void Done() {}
  virtual bool ReadCode(std::uint32_t& code) = 0;
  virtual bool PutByte(std::uint8_t byte) = 0;

  // Throws CKelException 1031 with the detail ": code CODE/NEXTCODE".
  [[noreturn]] static void ThrowCorrupt(std::uint32_t code, std::uint32_t nextCode);

  unsigned m_literalBits;
  std::uint32_t m_firstCode;
  std::uint32_t m_nextCode;
  std::unique_ptr<std::uint32_t[]> m_prefix;
  std::unique_ptr<std::uint8_t[]> m_suffix;
  std::uint32_t m_previousCode;
  std::unique_ptr<std::uint8_t[]> m_stack;
  std::uint32_t m_stackTop;
  std::uint8_t m_firstByte;
  std::uint32_t m_limit;

 private:
  void DecodeCodes();
  // Pushes the bytes of code INCOMING (== m_nextCode for a string followed by
  // its own first byte) onto the stack, in reverse, and enters the new entry.
  void PushString(std::uint32_t incoming);
  void Push(std::uint8_t byte, std::uint32_t incoming);
  bool PopString();
};

// Reads the codes of a packed block from memory.
class CKelLzExpandBufBase : public CKelLzExpand {
 public:
  using CKelLzExpand::CKelLzExpand;

 protected:
  void Reset() override;
  bool ReadCode(std::uint32_t& code) override;
  void SetInput(const std::uint8_t* input, std::size_t inputSize);

  const std::uint8_t* m_inputPos = nullptr;
  const std::uint8_t* m_inputEnd = nullptr;
  std::uint32_t m_bitCount = 0;
  std::uint32_t m_bitBuffer = 0;
  unsigned m_indexBits = 1;
  std::uint32_t m_indexRange = 2;

 private:
  bool ReadBits(unsigned count, std::uint32_t& value);
};

// Expands a packed block from memory into memory.
class CKelLzExpandBufByte : public CKelLzExpandBufBase {
 public:
  explicit CKelLzExpandBufByte(unsigned literalBits = 8, unsigned sizeExponent = 12);
  ~CKelLzExpandBufByte() override;

  // Expands the INPUTSIZE packed bytes at INPUT into at most OUTPUTSIZE bytes at
  // OUTPUT and returns the number of bytes written. Each dictionary entry is
  // kept as the offset and length of a string already written, so a code is
  // copied out rather than walked byte by byte; bytes, count and errors are
  // those of ExpandStepwise for every input, and no byte past the count
  // changes (on corrupt data up to 15 bytes past those expanded before the
  // failing code may have). No allocation.
  std::size_t Expand(std::uint8_t* output, std::size_t outputSize, const std::uint8_t* input,
                     std::size_t inputSize);

  // The same through Decode: codes from ReadCode, strings walked along the
  // prefix chain onto the stack and put out byte by byte through PutByte.
  // Touches no output byte past the returned count.
  std::size_t ExpandStepwise(std::uint8_t* output, std::size_t outputSize,
                             const std::uint8_t* input, std::size_t inputSize);

 protected:
  bool PutByte(std::uint8_t byte) override;

  std::uint8_t* m_outputStart = nullptr;
  std::size_t m_outputSize = 0;
  std::uint8_t* m_outputPos = nullptr;

 private:
  struct StringRef {
    std::uint32_t offset;
    std::uint32_t length;
  };
  class FastDecoder;

  void SetBlock(std::uint8_t* output, std::size_t outputSize, const std::uint8_t* input,
                std::size_t inputSize);

  // Entry F + i of the dictionary as a string of the output, the fast Expand's
  // table, and a spare slot that takes new entries once the dictionary is full.
  std::unique_ptr<StringRef[]> m_strings;
};
