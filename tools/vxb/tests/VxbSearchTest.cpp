// vxb index and vxb search end to end, the index kept beside a scratch URL cache.
#include <cstdlib>
#include <filesystem>

#include "tools/vxb/tests/VxbRun.h"

namespace vxb_tests {
namespace {

std::string Filler(std::size_t size) {
  std::string text;
  for (int i = 0; text.size() < size; ++i) text += "word" + std::to_string(i % 1000) + " ";
  return text;
}

class VxbSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("VXST_CACHE_DIR", (m_folder / "cache/urlcache").c_str(), 1);
    WriteFile(m_folder / "tree", "guide/setup.htm",
              "<title>Setting up</title><h1>Setting up</h1><p>Install the frobnicator first.</p>");
    WriteFile(m_folder / "tree", "ref/frob.htm",
              "<title>Frobnicator reference</title><p>" + Filler(90000) + "</p>");
    WriteFile(m_folder / "tree", "logo.gif", RandomBytes(3000));
  }
  void TearDown() override { unsetenv("VXST_CACHE_DIR"); }
  void Pack() {
    ASSERT_EQ(Vxb({"pack", m_folder / "tree", "-o", Archive(), "--name", "Guide"}).status, 0);
  }
  std::string Archive() const { return m_folder / "guide.vxb"; }
  std::size_t IndexFiles() const {
    const std::filesystem::path folder = m_folder / "cache/search";
    return std::filesystem::exists(folder) ? std::distance(std::filesystem::directory_iterator(folder), {}) : 0;
  }

  TempFolder m_folder;
};

TEST_F(VxbSearchTest, IndexesAndFindsRankedPages) {
  Pack();
  const Outcome index = Vxb({"index", Archive()});
  EXPECT_EQ(index.status, 0) << index.err;
  EXPECT_NE(index.out.find(".idx: 2 pages, "), std::string::npos) << index.out;
  EXPECT_EQ(IndexFiles(), 1u);

  const Outcome found = Vxb({"search", Archive(), "frobnicator"});
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(found.out,
            "ref/frob.htm\tFrobnicator reference\tword0 word1 word2 word3 word4 word5 word6 word7 "
            "word8 word9 word10 word11 word12 word13 word14 word15 word16 word17 word18 word19 "
            "word20 word21 word22 word23\xE2\x80\xA6\n"
            "guide/setup.htm\tSetting up\tSetting up Install the frobnicator first.\n");
  EXPECT_EQ(Vxb({"search", "-n", "1", Archive(), "frobnicator"}).out.find('\n'), found.out.find('\n'));
}

TEST_F(VxbSearchTest, SearchBuildsAMissingOrStaleIndex) {
  Pack();
  EXPECT_EQ(Vxb({"search", Archive(), "install"}).out.rfind("guide/setup.htm\t", 0), 0u);
  WriteFile(m_folder / "tree", "guide/setup.htm", "<title>Setting up</title><p>Configure it.</p>");
  Pack();
  const Outcome stale = Vxb({"search", Archive(), "install"});
  EXPECT_EQ(stale.status, 1);
  EXPECT_EQ(stale.out, "");
  EXPECT_EQ(stale.err, "vxb: nothing found for install \n");
  EXPECT_EQ(Vxb({"search", Archive(), "configure"}).status, 0);
  EXPECT_EQ(IndexFiles(), 1u) << "the index of a changed archive replaces the old one";
  const Outcome respelled = Vxb({"search", Archive(), "confgure"});
  EXPECT_EQ(respelled.out.rfind("(showing results for: configure)\nguide/setup.htm\t", 0), 0u) << respelled.out;
}

TEST_F(VxbSearchTest, DamagedTopicsAreReportedAndTheRestIndexed) {
  Pack();
  std::string bytes = TempFolder::ReadAll(Archive());
  for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 300; ++i) bytes[i] ^= 0x5A;
  std::ofstream(Archive(), std::ios::binary | std::ios::trunc) << bytes;
  const Outcome index = Vxb({"index", Archive()});
  EXPECT_EQ(index.status, 1);
  EXPECT_NE(index.err.find("VK1031"), std::string::npos) << index.err;
  EXPECT_NE(index.out.find(": 1 pages, "), std::string::npos) << index.out;
  EXPECT_NE(index.out.find(", 1 pages unreadable"), std::string::npos) << index.out;
  EXPECT_EQ(Vxb({"search", Archive(), "install"}).status, 0);
}

TEST_F(VxbSearchTest, BadInputSaysWhatIsWrong) {
  Pack();
  m_folder.Write("text.vxb", "no archive");
  const struct {
    std::vector<std::string> args;
    int status;
    const char* message;
  } cases[] = {
      {{"index"}, 2, "missing specification"},
      {{"index", Archive(), "more"}, 2, "end of input line expected: more"},
      {{"search", Archive()}, 2, "missing specification"},
      {{"search", "-n", "x", Archive(), "w"}, 2, "number expected: x"},
      {{"index", m_folder / "missing.vxb"}, 1, "missing.vxb"},
      {{"search", m_folder / "text.vxb", "w"}, 1, "text.vxb"},
  };
  for (const auto& c : cases) {
    const Outcome run = Vxb(c.args);
    EXPECT_EQ(run.status, c.status) << c.args[0] << " " << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  EXPECT_EQ(IndexFiles(), 0u) << "failed builds leave no files";
}

}  // namespace
}  // namespace vxb_tests
