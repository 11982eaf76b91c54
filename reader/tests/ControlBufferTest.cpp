// The reader control's buffer and the hand-over record read from it.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "base/KelException.h"
#include "reader/ControlBuffer.h"
#include "reader/client/ReaderControlClient.h"

namespace {

// The text of the generic error thrown by CALL, or "" when it throws none.
template <class Call>
std::string ErrorOf(Call call) {
  try {
    call();
  } catch (CKelException* e) {
    std::unique_ptr<CKelException> owned(e);
    EXPECT_EQ(e->m_code, 1000u);
    return e->m_arg1;
  }
  return {};
}

void Put(Buffer& buffer, std::uint32_t offset, const std::string& bytes) {
  std::memcpy(buffer.GetData() + offset, bytes.data(), bytes.size());
}

// Little-endian values and texts, read up to the last byte and no further.
TEST(ControlBuffer, ReadsLittleEndianValuesAndTextsUpToTheLastByte) {
  Buffer buffer(8);
  Put(buffer, 0, std::string("\x01\x00" "a" "\xFE\xFF\xFF\xFF", 7));
  EXPECT_EQ(buffer.ReadString(), "a");
  EXPECT_EQ(buffer.ReadInt32(), -2);
  EXPECT_EQ(buffer.GetReadPosition(), 7u);
  Put(buffer, 0, std::string(8, '\0'));
  buffer.SetReadPosition(4);
  EXPECT_EQ(buffer.ReadInt32(), 0);
  EXPECT_EQ(ErrorOf([&] { buffer.ReadInt32(); }), "Buffer to small");
  buffer.SetReadPosition(7);
  EXPECT_EQ(ErrorOf([&] { buffer.ReadString(); }), "Buffer to small");
  buffer.SetReadPosition(0xFFFFFFFE);
  EXPECT_EQ(ErrorOf([&] { buffer.ReadInt32(); }), "Buffer to small");
  // A text as long as the rest is read; one byte longer is refused.
  buffer.SetReadPosition(0);
  Put(buffer, 0, std::string("\x06\x00", 2));
  EXPECT_EQ(buffer.ReadString(), std::string(6, '\0'));
  buffer.SetReadPosition(0);
  Put(buffer, 0, std::string("\x07\x00", 2));
  EXPECT_EQ(ErrorOf([&] { buffer.ReadString(); }), "Incorrect value for string length");
}

TEST(ControlBuffer, HandOverRecordAsHostsWriteIt) {
  Buffer buffer;
  std::string record;
  ASSERT_TRUE(EncodeHandOverRecord({"Manual", "/docs/manual.vxb", 10}, 2048, record));
  Put(buffer, 0, record);
  buffer.SetReadPosition(100);
  const stow::RegisteredArchive archive = ReadHandOverRecord(buffer);
  EXPECT_EQ(archive.m_archiveName, "Manual");
  EXPECT_EQ(archive.m_filePath, "/docs/manual.vxb");
  EXPECT_EQ(archive.m_firmCode, 10u);
  EXPECT_EQ(archive.m_text, "");
  EXPECT_FALSE(buffer.m_inUse);
  // A first text longer than the buffer fails the record and frees the buffer.
  Put(buffer, 0, std::string("\xB8\x0B", 2));  // 3000
  EXPECT_EQ(ErrorOf([&] { ReadHandOverRecord(buffer); }), "Incorrect value for string length");
  EXPECT_FALSE(buffer.m_inUse);
}

}  // namespace
