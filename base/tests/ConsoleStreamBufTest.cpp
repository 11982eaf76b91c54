// The console stream: straight to standard output, or line by line to a callback.
#include <gtest/gtest.h>

#include <vector>

#include "base/ConsoleStreamBuf.h"

namespace {

TEST(ConsoleStreamBufTest, WithoutCallbackEveryCharacterGoesOut) {
  testing::internal::CaptureStdout();
  vxs::Console() << "abc " << 42 << '\n';
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "abc 42\n");
}

TEST(ConsoleStreamBufTest, CallbackReceivesWholeLinesEndedByCrLf) {
  vxs::ConsoleStreamBuf buffer;
  std::vector<std::string> lines;
  buffer.SetLineCallback([&](const char* line) { lines.emplace_back(line); });
  buffer.Stream() << "one\ntwo\r\nthr";
  EXPECT_EQ(lines, (std::vector<std::string>{"one\r\n", "two\r\n"}));
  buffer.Stream() << "ee\n";
  EXPECT_EQ(lines.back(), "three\r\n");
}

TEST(ConsoleStreamBufTest, LongLinesArePassedInPieces) {
  vxs::ConsoleStreamBuf buffer;
  std::vector<std::string> lines;
  buffer.SetLineCallback([&](const char* line) { lines.emplace_back(line); });
  buffer.Stream() << std::string(450, 'x');
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 201u);
  EXPECT_EQ(lines[1].size(), 201u);
  buffer.SetLineCallback({});  // the rest goes to the old callback
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2].size(), 48u);
}

}  // namespace
