// vxb end to end: folder trees packed, listed, read, extracted, verified, looked up.
#include <sys/stat.h>

#include "archive/VxbFile.h"
#include "platform/FileFaults.h"
#include "tools/vxb/ArchiveWriter.h"
#include "tools/vxb/tests/VxbRun.h"

namespace vxb_tests {
namespace {

class VxbToolTest : public ::testing::Test {
 protected:
  std::string Tree() const { return m_folder / "tree"; }
  std::string Archive() const { return m_folder / "out.vxb"; }

  void Put(const std::string& path, const std::string& bytes) {
    WriteFile(Tree(), path, bytes);
    m_files[path] = bytes;
  }
  Outcome Pack(std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"pack", Tree(), "-o", Archive(), "--name", "Test"};
    args.insert(args.end(), more.begin(), more.end());
    return Vxb(args);
  }
  // Packs the tree, extracts it again and expects the same files.
  void RoundTrip() {
    const Outcome pack = Pack();
    ASSERT_EQ(pack.status, 0) << pack.err;
    EXPECT_EQ(pack.err, "");
    const Outcome verify = Vxb({"verify", Archive()});
    EXPECT_EQ(verify.status, 0) << verify.err;
    const std::string out = m_folder / "extracted";
    const Outcome extract = Vxb({"extract", Archive(), out});
    ASSERT_EQ(extract.status, 0) << extract.err;
    EXPECT_EQ(TreeOf(out), m_files);
  }

  TempFolder m_folder;
  std::map<std::string, std::string> m_files;
};

TEST_F(VxbToolTest, RoundTripOfNestedFoldersAndUnicodeNames) {
  Put("index.htm", "<a href=\"guide/caf\xC3\xA9.htm\">caf\xC3\xA9</a>");
  Put("guide/caf\xC3\xA9.htm", TextBytes(5000));
  Put("\xC3\x9Cmlaut/\xC3\xA4rger.css", "body{}");
  Put("a/b/c/d/e/deep.txt", "deep");
  Put("empty.txt", "");
  Put("a/empty.gif", "");
  Put("\xE2\x82\xAC uro/\xE6\x97\xA5\xE6\x9C\xAC.htm", "non-Latin names too");
  RoundTrip();
}

TEST_F(VxbToolTest, RoundTripAtChunkBoundariesAndOfLargeFiles) {
  Put("exact.bin", RandomBytes(32768));
  Put("over.bin", RandomBytes(32769, 3));
  Put("exact.txt", TextBytes(32768));
  Put("over.txt", TextBytes(32769, 4));
  Put("one.bin", "x");
  Put("large.bin", TextBytes(1 << 20, 5) + RandomBytes(300000, 6) + TextBytes(77777, 7));
  RoundTrip();
  // Text was packed, noise stored as it is.
  const Outcome list = Vxb({"ls", "-l", Archive()});
  EXPECT_NE(list.out.find(" 32768       32770  exact.bin"), std::string::npos) << list.out;
}

TEST_F(VxbToolTest, RoundTripOfThousandsOfFiles) {
  for (int i = 0; i < 3000; ++i)
    Put("section" + std::to_string(i % 17) + "/page" + std::to_string(i) + ".htm", TextBytes(50 + i % 700, i));
  RoundTrip();
  const Outcome list = Vxb({"ls", Archive()});
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 3000);
}

TEST_F(VxbToolTest, SameTreeAndTimeGiveTheSameBytes) {
  Put("index.htm", TextBytes(4000));
  Put("img/a.gif", RandomBytes(900));
  setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  ASSERT_EQ(Pack().status, 0);
  const std::string first = TempFolder::ReadAll(Archive());
  ASSERT_EQ(Pack().status, 0);
  EXPECT_EQ(TempFolder::ReadAll(Archive()), first);
  setenv("SOURCE_DATE_EPOCH", "1600000000", 1);
  ASSERT_EQ(Pack().status, 0);
  EXPECT_NE(TempFolder::ReadAll(Archive()), first);
  const Outcome info = Vxb({"info", Archive()});
  EXPECT_NE(info.out.find("created:    2020-09-13 12:26:40 UTC"), std::string::npos) << info.out;
  unsetenv("SOURCE_DATE_EPOCH");
}

TEST_F(VxbToolTest, InfoShowsTheArchivesRecords) {
  Put("index.html", "<p>start</p>");
  Put("b.htm", "b");
  ASSERT_EQ(Pack({"--title", "The Manual", "--copyright", "(c) Us", "--firm-code", "0x1A"}).status, 0);
  const Outcome info = Vxb({"info", Archive()});
  ASSERT_EQ(info.status, 0) << info.err;
  for (const char* line : {"name:       Test\n", "title:      The Manual\n", "copyright:  (c) Us\n",
                           "firm code:  26\n", "version:    3.00\n", "topics:     2 in ",
                           "start:      index.html (topic ", "size:       13 bytes"}) {
    EXPECT_NE(info.out.find(line), std::string::npos) << line << " in\n" << info.out;
  }
}

TEST_F(VxbToolTest, CatByPathAndByNumber) {
  Put("docs/page.htm", TextBytes(70000));
  Put("x.gif", "GIF89a");
  ASSERT_EQ(Pack().status, 0);
  const Outcome byPath = Vxb({"cat", Archive(), "DOCS/Page.HTM"});
  EXPECT_EQ(byPath.status, 0);
  EXPECT_EQ(byPath.out, m_files["docs/page.htm"]);

  const Outcome lookup = Vxb({"lookup", Archive(), "x.gif"});
  const std::string number = lookup.out.substr(0, lookup.out.find('\t'));
  const Outcome byNumber = Vxb({"cat", Archive(), ":" + number});
  EXPECT_EQ(byNumber.status, 0);
  EXPECT_EQ(byNumber.out, "GIF89a");

  const Outcome missing = Vxb({"cat", Archive(), "nope.htm"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("fatal error VK1001 - file nope.htm not found."), std::string::npos) << missing.err;
}

TEST_F(VxbToolTest, LookupsFindAsWrittenThenInTheFolderOfTheLastPage) {
  Put("a/b/page.htm", "p");
  Put("a/b/x.gif", "1");
  Put("a/x.gif", "2");
  Put("x.gif", "3");
  Put("a/other.htm", "o");
  Put("readme", "r");
  ASSERT_EQ(Pack().status, 0);
  const Outcome run = Vxb({"lookup", Archive(), "x.gif", "A/B/PAGE.HTM", "x.gif", "../x.gif",
                       "other.htm", "x.gif", "b/x.gif", "readme", "x.gif", "none.htm"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> paths;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) paths.push_back(line.substr(line.find('\t') + 1));
  EXPECT_EQ(paths, (std::vector<std::string>{"x.gif", "a/b/page.htm", "x.gif", "not found",
                                             "a/other.htm", "x.gif", "a/b/x.gif", "readme", "x.gif",
                                             "not found"}));
  EXPECT_EQ(run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1), "-\tnot found\n");
}

TEST_F(VxbToolTest, StartTopicAndItsChecks) {
  Put("home.htm", "h");
  ASSERT_EQ(Pack({"--start", "home.htm"}).status, 0);
  EXPECT_NE(Vxb({"info", Archive()}).out.find("start:      home.htm"), std::string::npos);
  ASSERT_EQ(Pack().status, 0);
  EXPECT_NE(Vxb({"info", Archive()}).out.find("start:      none"), std::string::npos);
  const Outcome missing = Pack({"--start", "away.htm"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("error VK2023 - bad specification: away.htm."), std::string::npos) << missing.err;
}

TEST_F(VxbToolTest, VerifyFindsDamage) {
  Put("a.htm", TextBytes(20000));
  Put("b.bin", RandomBytes(5000));
  ASSERT_EQ(Pack().status, 0);
  std::string bytes = TempFolder::ReadAll(Archive());
  const Outcome sound = Vxb({"verify", Archive()});
  EXPECT_EQ(sound.status, 0);
  EXPECT_NE(sound.out.find(": 2 topics, sound"), std::string::npos) << sound.out;

  bytes[bytes.size() / 3] ^= 0x55;  // inside the data of a.htm
  std::ofstream(Archive(), std::ios::binary | std::ios::trunc) << bytes;
  const Outcome damaged = Vxb({"verify", Archive()});
  EXPECT_EQ(damaged.status, 1);
  EXPECT_NE(damaged.out.find("damaged"), std::string::npos);
  EXPECT_NE(damaged.err.find("VK1031"), std::string::npos) << damaged.err;

  bytes[30] ^= 1;  // inside the record list
  std::ofstream(Archive(), std::ios::binary | std::ios::trunc) << bytes;
  const Outcome records = Vxb({"verify", Archive()});
  EXPECT_EQ(records.status, 1);
  EXPECT_NE(records.err.find("fatal error VK1035 - file has wrong CRC value (VEXO-BIFF topic list)."),
            std::string::npos)
      << records.err;
}

TEST_F(VxbToolTest, ExtractRefusesPathsThatLeaveTheFolder) {
  stow::ArchiveProperties properties;
  properties.name = "Evil";
  stow::ArchiveWriter writer(properties);
  writer.AddBytes("../escaped.txt", "no");
  writer.AddBytes("a/./b.txt", "no");
  writer.AddBytes("ok/fine.txt", "yes");
  writer.Write(Archive());
  const std::string out = m_folder / "x/y";
  const Outcome run = Vxb({"extract", Archive(), out});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(TreeOf(m_folder / "x"), (std::map<std::string, std::string>{{"y/ok/fine.txt", "yes"}}));
  EXPECT_NE(run.err.find("fatal error VK1016 - bad file/folder: ../escaped.txt."), std::string::npos) << run.err;
}

TEST_F(VxbToolTest, PackLeavesOutItsOwnOutputAndWhatIsNoFile) {
  Put("page.htm", "p");
  std::filesystem::create_directories(Tree() + "/loop");
  std::filesystem::create_directory_symlink("..", Tree() + "/loop/up");
  std::filesystem::create_symlink("page.htm", Tree() + "/link.htm");
  std::filesystem::create_symlink("nowhere", Tree() + "/dangling");
  mkfifo((Tree() + "/fifo").c_str(), 0600);
  const std::string inside = Tree() + "/self.vxb";
  const Outcome first = Vxb({"pack", Tree(), "-o", inside, "--name", "Self"});
  ASSERT_EQ(first.status, 0) << first.err;
  const Outcome second = Vxb({"pack", Tree(), "-o", inside, "--name", "Self"});
  ASSERT_EQ(second.status, 0) << second.err;
  const Outcome list = Vxb({"ls", inside});
  EXPECT_EQ(list.out, "link.htm\npage.htm\n");
  EXPECT_NE(second.err.find("warning - "), std::string::npos) << second.err;
  EXPECT_NE(second.err.find("fifo left out: not a regular file."), std::string::npos) << second.err;
  EXPECT_NE(second.err.find("leads into a folder that encloses it"), std::string::npos) << second.err;
}

TEST_F(VxbToolTest, ReadFailuresKeepTheOldArchive) {
  Put("a.htm", "old");
  ASSERT_EQ(Pack().status, 0);
  const std::string old = TempFolder::ReadAll(Archive());
  Put("secret.htm", "s");
  FileFaults faults;
  faults.Add({.call = os::FileCall::Open, .pathPart = "secret.htm", .error = ERROR_ACCESS_DENIED});
  const Outcome run = Pack();
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("fatal error VK1013 - access to "), std::string::npos) << run.err;
  EXPECT_EQ(TempFolder::ReadAll(Archive()), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder.Path()), {}), 2);  // no leftovers
}

// Faults of the file system while packing over an earlier archive: the run fails
// with the error, that archive stays as it was and no temporary file is left.
class PackFaultTest : public VxbToolTest {
 protected:
  void SetUp() override {
    Put("a.htm", TextBytes(50000));
    Put("b.bin", RandomBytes(70000));
    ASSERT_EQ(Pack().status, 0);
    m_old = TempFolder::ReadAll(Archive());
  }
  void ExpectOldArchiveKept(const Outcome& run, const std::string& message) {
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    EXPECT_EQ(TempFolder::ReadAll(Archive()), m_old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder.Path()), {}), 2);  // no leftovers
    EXPECT_EQ(Vxb({"verify", Archive()}).status, 0);
  }

  std::string m_old;
};

TEST_F(PackFaultTest, AFullDiskKeepsTheOldArchive) {
  FileFaults faults;
  faults.Add({.call = os::FileCall::Write, .pathPart = Archive() + ".", .limit = 1000});
  ExpectOldArchiveKept(Pack(), "VK1010");
}

TEST_F(PackFaultTest, ARefusedWriteKeepsTheOldArchive) {
  FileFaults faults;
  faults.Add({.call = os::FileCall::Write, .pathPart = Archive() + ".", .error = ERROR_ACCESS_DENIED,
              .skip = 3});
  ExpectOldArchiveKept(Pack(), "VK1013 - access to ");
}

TEST_F(PackFaultTest, AFailedFlushKeepsTheOldArchive) {
  // The archive is on disk before it replaces the old one: a flush that fails
  // (the disk gave up the data) fails the run.
  FileFaults faults;
  faults.Add({.call = os::FileCall::Flush, .pathPart = Archive() + ".", .error = ERROR_WRITE_FAULT});
  ExpectOldArchiveKept(Pack(), "VK1010");
  EXPECT_EQ(faults.Count(os::FileCall::Flush), 1u);
}

TEST_F(PackFaultTest, ASourceReadErrorKeepsTheOldArchive) {
  FileFaults faults;
  faults.Add({.call = os::FileCall::Read, .pathPart = "b.bin", .error = ERROR_READ_FAULT, .skip = 1});
  ExpectOldArchiveKept(Pack(), "b.bin");
}

TEST_F(PackFaultTest, ASourceThatVanishesAfterTheListingKeepsTheOldArchive) {
  FileFaults faults;
  faults.Add({.call = os::FileCall::Open, .pathPart = "a.htm", .error = ERROR_FILE_NOT_FOUND});
  ExpectOldArchiveKept(Pack(), "a.htm");
}

TEST_F(VxbToolTest, ShortReadsOfSourcesLoseNoBytes) {
  // Reads that bring fewer bytes than asked are read on, not taken for the end.
  Put("a.htm", TextBytes(50000));
  Put("b.bin", RandomBytes(70000));
  FileFaults faults;
  faults.Add({.call = os::FileCall::Read, .pathPart = Tree(), .limit = 777});
  const Outcome pack = Pack();
  ASSERT_EQ(pack.status, 0) << pack.err;
  const std::string out = m_folder / "extracted";
  ASSERT_EQ(Vxb({"extract", Archive(), out}).status, 0);
  EXPECT_EQ(TreeOf(out), m_files);
}

TEST_F(VxbToolTest, BadCommandLinesAreErrorsWithStatus2) {
  Put("a.htm", "a");
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const std::vector<Case> cases = {
      {{}, "command: error VK2024 - missing specification."},
      {{"unpack"}, "command: error VK2023 - bad specification: unpack."},
      {{"ls"}, "archive file: error VK2024 - missing specification."},
      {{"ls", "-x", "a.vxb"}, "-x: error VK2001 - invalid option."},
      {{"ls", "a.vxb", "b.vxb"}, "error VK2022 - end of input line expected: b.vxb."},
      {{"pack", Tree(), "--name", "N"}, "--output: error VK2024 - missing specification."},
      {{"pack", Tree(), "-o", Archive()}, "--name: error VK2024 - missing specification."},
      {{"pack", Tree(), "-o", Archive(), "--name"}, "--name: error VK2003 - missing argument in option."},
      {{"pack", Tree(), "-o", Archive(), "--name", "a/b"}, "--name: error VK2023 - bad specification: a/b."},
      {{"pack", Tree(), "-o", Archive(), "--name", "FirmCode:1"}, "error VK2023"},
      {{"pack", Tree(), "-o", Archive(), "--name", "N", "--firm-code", "1048576"},
       "--firm-code: error VK2005 - value 1048576 out of range."},
      {{"pack", Tree(), "-o", Archive(), "--name", "N", "--firm-code", "ten"},
       "--firm-code: error VK2021 - number expected: ten."},
      {{"pack", Tree(), "-o", Archive(), "--name", "N", "--title", "\xE6\x97\xA5"},
       "title: error VK2023 - bad specification: \xE6\x97\xA5."},
      {{"cat", "a.vxb", ":x"}, "error VK2020 - decimal number expected: :x."},
  };
  for (const Case& c : cases) {
    const Outcome run = Vxb(c.args);
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(Archive()));
}

TEST_F(VxbToolTest, FilesThatAreNoArchives) {
  const std::string text = m_folder.Write("text.vxb", "just some text, no archive at all");
  const Outcome run = Vxb({"ls", text});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("fatal error VK1036 - file has wrong file type (no VEXO-BIFF)."), std::string::npos)
      << run.err;
  const Outcome missing = Vxb({"info", m_folder / "missing.vxb"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("fatal error VK1001 - file "), std::string::npos) << missing.err;
  const Outcome help = Vxb({"help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("vxb pack DIR -o FILE.vxb --name NAME"), std::string::npos);
}

}  // namespace
}  // namespace vxb_tests
