// Files mapped into memory: their bytes, a refused mapping, and a file cut short
// under its mapping, whose lost pages make ReadMapped false instead of ending the
// process.
#include "platform/MappedFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/FileFaults.h"
#include "platform/SystemError.h"
#include "platform/tests/TempFolder.h"

namespace {

constexpr std::size_t kPage = 4096;

class MappedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_bytes = std::string(4 * kPage, 'a');
    for (std::size_t i = 0; i < m_bytes.size(); ++i) m_bytes[i] = static_cast<char>('a' + i % 26);
    m_path = m_folder.Write("mapped.bin", m_bytes);
    m_file = os::OpenFile(m_path, GENERIC_READ, OPEN_EXISTING, 0);
    ASSERT_NE(m_file, os::INVALID_FILE_HANDLE);
  }
  void TearDown() override { os::CloseFile(m_file); }

  // The byte at OFFSET of MAPPING, read with ReadMapped; '-' when it could not be read.
  static char ByteAt(const os::MappedFile& mapping, std::size_t offset) {
    char byte = '-';
    const bool read = os::ReadMapped([&] { byte = static_cast<char>(mapping.Data()[offset]); });
    return read ? byte : '-';
  }

  TempFolder m_folder;
  std::string m_bytes;
  std::string m_path;
  os::FileHandle m_file = os::INVALID_FILE_HANDLE;
};

TEST_F(MappedFileTest, TheFileHookMayRefuse) {
  FileFaults faults;
  faults.Add({.call = os::FileCall::Map, .pathPart = "mapped.bin", .error = ERROR_NOT_ENOUGH_MEMORY});
  os::MappedFile mapping;
  EXPECT_FALSE(mapping.Map(m_file, m_bytes.size()));
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_FALSE(mapping.IsMapped());
  EXPECT_EQ(faults.Count(os::FileCall::Map), 1u);
}

TEST_F(MappedFileTest, HoldsTheFilesBytesAndPagesLostToACutAreReportedNotFatal) {
  os::MappedFile mapping;
  ASSERT_TRUE(mapping.Map(m_file, m_bytes.size()));
  EXPECT_EQ(mapping.Size(), m_bytes.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(mapping.Data()), m_bytes.size()), m_bytes);
  ASSERT_EQ(::truncate(m_path.c_str(), kPage), 0);
  EXPECT_EQ(ByteAt(mapping, 10), m_bytes[10]);
  EXPECT_EQ(ByteAt(mapping, 2 * kPage), '-');
  EXPECT_EQ(ByteAt(mapping, 3 * kPage + 1), '-');
  // Nested and repeated accesses each come back on their own.
  bool inner = true;
  const bool outer = os::ReadMapped([&] {
    inner = os::ReadMapped([&] { (void)*static_cast<const volatile std::uint8_t*>(mapping.Data() + 2 * kPage); });
    (void)*static_cast<const volatile std::uint8_t*>(mapping.Data() + 5);
  });
  EXPECT_TRUE(outer);
  EXPECT_FALSE(inner);
  EXPECT_EQ(ByteAt(mapping, 2 * kPage), '-');
  mapping.Unmap();
  EXPECT_FALSE(mapping.IsMapped());
}

}  // namespace
