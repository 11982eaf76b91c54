#include "host/ResponseBody.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "host/Crc32.h"

namespace {

// Writes PIECE into the body's room when it offers some, else hands it over.
bool Put(ResponseBody& body, const std::string& piece) {
  if (char* room = body.Room(piece.size())) {
    std::memcpy(room, piece.data(), piece.size());
    return body.Append({room, piece.size()});
  }
  return body.Append(piece);
}

std::string FileBytes(int fd, std::size_t size) {
  std::string bytes(size, '\0');
  EXPECT_EQ(::pread(fd, bytes.data(), size, 0), static_cast<ssize_t>(size));
  return bytes;
}

}  // namespace

// Pieces written in place, copied, or sent on to the temporary file: the body
// holds every byte once, in order, and its digest is that of all of them.
TEST(ResponseBodyTest, PiecesInRoomCopiedOrSpilledKeepEveryByteInOrder) {
  const std::string a(3000, 'a'), b(5000, 'b'), c(70000, 'c');
  const struct {
    const char* name;
    std::size_t bound;
    bool inMemory;
  } cases[] = {{"in memory", 1 << 20, true}, {"beyond the bound", 6000, false}};
  for (const auto& test : cases) {
    ResponseBody body(test.bound);
    ASSERT_TRUE(Put(body, a) && Put(body, b) && Put(body, c)) << test.name;
    body.FitMemory();
    const std::string all = a + b + c;
    EXPECT_EQ(body.InMemory(), test.inMemory) << test.name;
    EXPECT_EQ(body.Size(), all.size()) << test.name;
    EXPECT_EQ(body.InMemory() ? std::string(body.Memory()) : FileBytes(body.FileDescriptor(), all.size()),
              all) << test.name;
    EXPECT_EQ(body.Digest(), Crc32(0, all.data(), all.size())) << test.name;
  }
}
