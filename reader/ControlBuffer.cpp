#include "reader/ControlBuffer.h"

#include "base/KelException.h"
#include "base/MessageCodes.h"

Buffer::Buffer(std::uint32_t capacity) : AutoValueArray<char>(capacity, true), m_capacity(capacity) {}

bool Buffer::Holds(std::uint32_t count) const {
  return std::uint64_t{m_readPosition} + count <= m_capacity;
}

std::int32_t Buffer::ReadInt32() {
  if (!Holds(4)) CKelException::Throw(vxs::kGenericFatalError, "Buffer to small");
  const auto* bytes = reinterpret_cast<const unsigned char*>(GetData() + m_readPosition);
  const std::uint32_t value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                              (static_cast<std::uint32_t>(bytes[3]) << 24);
  m_readPosition += 4;
  return static_cast<std::int32_t>(value);
}

std::string Buffer::ReadString() {
  if (!Holds(2)) CKelException::Throw(vxs::kGenericFatalError, "Buffer to small");
  const auto* bytes = reinterpret_cast<const unsigned char*>(GetData() + m_readPosition);
  const std::uint32_t length = bytes[0] | (bytes[1] << 8);
  m_readPosition += 2;
  if (!Holds(length)) CKelException::Throw(vxs::kGenericFatalError, "Incorrect value for string length");
  std::string text(GetData() + m_readPosition, length);
  m_readPosition += length;
  return text;
}

stow::RegisteredArchive ReadHandOverRecord(Buffer& buffer) {
  struct InUse {
    explicit InUse(Buffer& b) : buffer(b) { buffer.m_inUse = true; }
    ~InUse() { buffer.m_inUse = false; }
    Buffer& buffer;
  } inUse(buffer);
  buffer.SetReadPosition(0);
  std::string name = buffer.ReadString();
  std::string path = buffer.ReadString();
  const auto firmCode = static_cast<std::uint32_t>(buffer.ReadInt32());
  std::string text = buffer.ReadString();
  return stow::RegisteredArchive(std::move(name), std::move(path), firmCode, std::move(text));
}
