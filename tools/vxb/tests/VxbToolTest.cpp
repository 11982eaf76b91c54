// vxb end to end: folder trees packed, listed, read, extracted, verified, looked up.
#include <sys/stat.h>

#include <regex>

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
    std::vector<std::string> args = {"pack", Tree(), "-o", Archive(), "--name", "Test", "--firm-code", "7"};
    args.insert(args.end(), more.begin(), more.end());
    return Vxb(args);
  }
  // Extracts the archive and expects the files put into the tree.
  void ExpectExtractedTree() {
    const std::string out = m_folder / "extracted";
    const Outcome extract = Vxb({"extract", Archive(), out});
    ASSERT_EQ(extract.status, 0) << extract.err;
    EXPECT_EQ(TreeOf(out), m_files);
  }

  TempFolder m_folder;
  std::map<std::string, std::string> m_files;
};

TEST_F(VxbToolTest, RoundTripOfNestedUnicodeChunkBoundariesAndThousandsOfFiles) {
  Put("index.htm", "<a href=\"guide/caf\xC3\xA9.htm\">caf\xC3\xA9</a>");
  Put("guide/caf\xC3\xA9.htm", TextBytes(5000));
  Put("\xC3\x9Cmlaut/\xC3\xA4rger.css", "body{}");
  Put("a/b/c/d/e/deep.txt", "deep");
  Put("empty.txt", "");
  Put("a/empty.gif", "");
  Put("\xE2\x82\xAC uro/\xE6\x97\xA5\xE6\x9C\xAC.htm", "non-Latin names too");
  Put("exact.bin", RandomBytes(32768));
  Put("over.bin", RandomBytes(32769, 3));
  Put("exact.txt", TextBytes(32768));
  Put("over.txt", TextBytes(32769, 4));
  Put("one.bin", "x");
  Put("large.bin", TextBytes(1 << 20, 5) + RandomBytes(300000, 6) + TextBytes(77777, 7));
  for (int i = 0; i < 3000; ++i)
    Put("section" + std::to_string(i % 17) + "/page" + std::to_string(i) + ".htm",
        TextBytes(50 + i % 700, i));
  const Outcome pack = Pack();
  ASSERT_EQ(pack.status, 0) << pack.err;
  EXPECT_EQ(pack.err, "");
  EXPECT_EQ(Vxb({"verify", Archive()}).status, 0);
  ExpectExtractedTree();
  // Text was packed, noise stored as it is.
  const Outcome list = Vxb({"ls", "-l", Archive()});
  EXPECT_NE(list.out.find(" 32768       32770  exact.bin"), std::string::npos) << list.out;
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 3013 + 1);  // and a head line
}

TEST_F(VxbToolTest, InfoShowsTheRecordsAndSameTreeAndTimeGiveTheSameBytes) {
  Put("index.html", "<p>start</p>");
  Put("b.htm", "b");
  const std::vector<std::string> described = {"--title", "The Manual", "--copyright", "(c) Us",
                                              "--firm-code", "0x1A"};
  setenv("SOURCE_DATE_EPOCH", "1600000000", 1);
  ASSERT_EQ(Pack(described).status, 0);
  const std::string first = TempFolder::ReadAll(Archive());
  const Outcome info = Vxb({"info", Archive()});
  ASSERT_EQ(info.status, 0) << info.err;
  for (const char* line : {"name:       Test\n", "title:      The Manual\n", "copyright:  (c) Us\n",
                           "firm code:  26\n", "version:    3.00\n", "topics:     2 in ",
                           "start:      index.html (topic ", "size:       13 bytes",
                           "created:    2020-09-13 12:26:40 UTC"}) {
    EXPECT_NE(info.out.find(line), std::string::npos) << line << " in\n" << info.out;
  }
  ASSERT_EQ(Pack(described).status, 0);
  EXPECT_EQ(TempFolder::ReadAll(Archive()), first);
  setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  ASSERT_EQ(Pack(described).status, 0);
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_NE(TempFolder::ReadAll(Archive()), first);
  ASSERT_EQ(Pack({"--start", "b.htm"}).status, 0);
  EXPECT_NE(Vxb({"info", Archive()}).out.find("start:      b.htm (topic "), std::string::npos);
  std::filesystem::remove(Tree() + "/index.html");
  ASSERT_EQ(Pack().status, 0);
  EXPECT_NE(Vxb({"info", Archive()}).out.find("start:      none"), std::string::npos);
}

TEST_F(VxbToolTest, LookupsFindAsWrittenThenInTheFolderOfTheLastPage) {
  Put("a/b/page.htm", "p");
  Put("a/b/x.gif", "1");
  Put("a/x.gif", "2");
  Put("x.gif", "3");
  Put("a/other.htm", "o");
  Put("readme", "r");
  Put("docs/page.htm", TextBytes(70000));
  ASSERT_EQ(Pack().status, 0);
  // cat by path, without regard to case, and by number.
  const Outcome byPath = Vxb({"cat", Archive(), "DOCS/Page.HTM"});
  EXPECT_EQ(byPath.status, 0);
  EXPECT_EQ(byPath.out, m_files["docs/page.htm"]);
  const Outcome lookup = Vxb({"lookup", Archive(), "readme"});
  EXPECT_EQ(Vxb({"cat", Archive(), ":" + lookup.out.substr(0, lookup.out.find('\t'))}).out, "r");

  const Outcome run = Vxb({"lookup", Archive(), "x.gif", "A/B/PAGE.HTM", "x.gif", "../x.gif",
                       "other.htm", "x.gif", "b/x.gif", "readme", "x.gif", "none.htm"});
  ASSERT_EQ(run.status, 1) << run.err;  // some requests were not found
  std::vector<std::string> paths;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) paths.push_back(line.substr(line.find('\t') + 1));
  EXPECT_EQ(paths, (std::vector<std::string>{"x.gif", "a/b/page.htm", "x.gif", "not found",
                                             "a/other.htm", "x.gif", "a/b/x.gif", "readme", "x.gif",
                                             "not found"}));
  EXPECT_EQ(run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1), "-\tnot found\n");
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

TEST_F(VxbToolTest, FaultsWhilePackingKeepTheOldArchiveAndShortReadsLoseNoBytes) {
  Put("a.htm", TextBytes(50000));
  Put("b.bin", RandomBytes(70000));
  ASSERT_EQ(Pack().status, 0);
  const std::string old = TempFolder::ReadAll(Archive());
  const std::string temporary = Archive() + ".";
  const struct {
    const char* name;
    FileFault fault;
    const char* message;
  } cases[] = {
      {"full disk", {.call = os::FileCall::Write, .pathPart = temporary, .limit = 1000}, "VK1010"},
      {"refused write",
       {.call = os::FileCall::Write, .pathPart = temporary, .error = ERROR_ACCESS_DENIED, .skip = 3},
       "VK1013 - access to "},
      // The archive is on disk before it replaces the old one: a flush that fails
      // (the disk gave up the data) fails the run.
      {"failed flush",
       {.call = os::FileCall::Flush, .pathPart = temporary, .error = ERROR_WRITE_FAULT},
       "VK1010"},
      {"source read error",
       {.call = os::FileCall::Read, .pathPart = "b.bin", .error = ERROR_READ_FAULT, .skip = 1},
       "b.bin"},
      {"refused source",
       {.call = os::FileCall::Open, .pathPart = "b.bin", .error = ERROR_ACCESS_DENIED},
       "fatal error VK1013 - access to "},
      {"source gone after the listing",
       {.call = os::FileCall::Open, .pathPart = "a.htm", .error = ERROR_FILE_NOT_FOUND},
       "a.htm"},
  };
  for (const auto& c : cases) {
    FileFaults faults;
    faults.Add(c.fault);
    const Outcome run = Pack();
    EXPECT_EQ(run.status, 1) << c.name;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << "\n" << run.err;
    EXPECT_EQ(TempFolder::ReadAll(Archive()), old) << c.name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder.Path()), {}), 2) << c.name;
    EXPECT_EQ(Vxb({"verify", Archive()}).status, 0) << c.name;
  }
  // Reads that bring fewer bytes than asked are read on, not taken for the end.
  FileFaults faults;
  faults.Add({.call = os::FileCall::Read, .pathPart = Tree(), .limit = 777});
  const Outcome pack = Pack();
  ASSERT_EQ(pack.status, 0) << pack.err;
  ExpectExtractedTree();
}

TEST_F(VxbToolTest, UsageHelpVersionAndBadCommandLines) {
  Put("a.htm", "a");
  const auto pack = [&](std::vector<std::string> more) {  // a pack of the tree named N
    std::vector<std::string> args = {"pack", Tree(), "-o", Archive(), "--name", "N"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  struct Case {
    std::vector<std::string> args;
    const char* message;
    int status = 2;  // 0: the text is help on standard output
  };
  const std::vector<Case> cases = {
      {{}, "usage: vxb COMMAND"},
      {{"help"}, "vxb lookup FILE.vxb REQUEST...", 0},
      {{"/?"}, "vxb pack DIR -o FILE.vxb --name NAME", 0},
      {{"pack", "--help"}, "vxb pack DIR -o FILE.vxb --name NAME", 0},
      {{"verify", "-h"}, "vxb verify FILE.vxb", 0},
      {{"unpack"}, "command: error VK2023 - bad specification: unpack."},
      {{"ls"}, "archive file: error VK2024 - missing specification."},
      {{"ls", "-x", "a.vxb"}, "-x: error VK2001 - invalid option."},
      {{"ls", "a.vxb", "b.vxb"}, "error VK2022 - end of input line expected: b.vxb."},
      {{"pack", Tree(), "--name", "N"}, "--output: error VK2024 - missing specification."},
      {{"pack", Tree(), "-o", Archive()}, "--name: error VK2024 - missing specification."},
      {{"pack", Tree(), "-o", Archive(), "--name"}, "--name: error VK2003 - missing argument in option."},
      {{"pack", Tree(), "-o", Archive(), "--name", "a/b"}, "--name: error VK2023 - bad specification: a/b."},
      {{"pack", Tree(), "-o", Archive(), "--name", "FirmCode:1"}, "error VK2023"},
      {pack({"--firm-code", "1048576"}), "--firm-code: error VK2005 - value 1048576 out of range."},
      {pack({"--firm-code", "ten"}), "--firm-code: error VK2021 - number expected: ten."},
      {pack({"--title", "\xE6\x97\xA5"}), "title: error VK2023 - bad specification: \xE6\x97\xA5."},
      {{"cat", "a.vxb", ":x"}, "error VK2020 - decimal number expected: :x."},
      {pack({"--start", "away.htm"}), "error VK2023 - bad specification: away.htm."},
  };
  for (const Case& c : cases) {
    const Outcome run = Vxb(c.args);
    EXPECT_EQ(run.status, c.status) << c.message;
    EXPECT_NE((c.status ? run.err : run.out).find(c.message), std::string::npos)
        << run.out << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(Archive()));
  // Help on one command gives that command's lines only.
  EXPECT_EQ(Vxb({"verify", "-h"}).out.find("vxb pack"), std::string::npos);
  const std::string version = Vxb({"--version"}).out;
  EXPECT_TRUE(std::regex_match(version, std::regex("vxb [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version;
}

TEST_F(VxbToolTest, EachFailureIsOneLineThatNamesThePathAndTheProblem) {
  Put("a.htm", "a");
  ASSERT_EQ(Pack().status, 0);
  const std::string text = m_folder.Write("text.vxb", "just some text, no archive at all");
  const std::string shortFile = m_folder.Write("short.vxb", "abc");
  const std::string emptyFile = m_folder.Write("empty.vxb", "");
  const std::string fifo = m_folder / "fifo.vxb";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string aFile = Tree() + "/a.htm";
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"ls", text}, "fatal error VK1036 - file has wrong file type (no VEXO-BIFF)."},
      {{"ls", shortFile}, "fatal error VK1036 - file has wrong file type (no VEXO-BIFF)."},
      {{"info", m_folder / "missing.vxb"}, "fatal error VK1001 - file " + m_folder / "missing.vxb not found."},
      {{"info", emptyFile}, "fatal error VK1009 - cannot read from file " + emptyFile + "."},
      {{"ls", m_folder.Path()}, "fatal error VK1041 - " + m_folder.Path() + " is a folder, not a file."},
      {{"verify", Tree() + "/"}, "VK1041 - " + Tree() + "/ is a folder, not a file."},
      {{"cat", fifo, "a.htm"}, "VK1042 - " + fifo + " is no regular file (a pipe, device or socket)."},
      {{"pack", aFile, "-o", m_folder / "x.vxb", "--name", "N"}, "VK1043 - " + aFile + " is no folder."},
      {{"pack", Tree(), "-o", m_folder / "missing/dir/x.vxb", "--name", "N"},
       "VK1002 - folder not found: " + m_folder / "missing/dir."},
      {{"pack", Tree(), "-o", aFile + "/x.vxb", "--name", "N"}, "VK1043 - " + aFile + " is no folder."},
      {{"pack", Tree(), "-o", Tree(), "--name", "N"}, "VK1041 - " + Tree() + " is a folder, not a file."},
      {{"pack", Tree(), "-o", fifo, "--name", "N"}, "VK1042 - " + fifo + " is no regular file"},
      {{"cat", Archive(), ":999"}, "fatal error VK1044 - topic :999 not found."},
      {{"cat", Archive(), "nope.htm"}, "fatal error VK1044 - topic nope.htm not found."},
      {{"extract", Archive(), aFile}, "VK1043 - " + aFile + " is no folder."},
      {{"lookup", Archive(), "a.htm", "b.htm"}, ""},
  };
  for (const Case& c : cases) {
    const Outcome run = Vxb(c.args);
    EXPECT_EQ(run.status, 1) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.message << " in\n" << run.err;
    EXPECT_LE(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(m_folder / "x.vxb"));
}

TEST_F(VxbToolTest, ATargetThatTakesNoFilesFailsOnceForAllTopics) {
  for (int i = 0; i < 5; ++i) Put("p" + std::to_string(i) + ".htm", "p");
  ASSERT_EQ(Pack().status, 0);
  FileFaults faults;
  faults.Add({.call = os::FileCall::MakeFolder, .pathPart = "target", .error = ERROR_ACCESS_DENIED});
  faults.Add({.call = os::FileCall::Open, .pathPart = "target", .error = ERROR_ACCESS_DENIED});
  const Outcome created = Vxb({"extract", Archive(), m_folder / "target"});
  EXPECT_EQ(created.status, 1);
  EXPECT_EQ(created.err, "vxb_tests: fatal error VK1013 - access to " + m_folder / "target" + " denied.\n");
  std::filesystem::create_directory(m_folder / "target");
  const Outcome existing = Vxb({"extract", Archive(), m_folder / "target"});
  EXPECT_EQ(existing.err, created.err);
}

TEST_F(VxbToolTest, ControlCharactersInNamesAreShownEscaped) {
  stow::ArchiveProperties properties;
  properties.name = "Odd";
  stow::ArchiveWriter writer(properties);
  writer.AddBytes("red\x1B[31m\r\x01\xC2\x9B.htm", "x");
  writer.Write(Archive());
  const std::string shown = "red\\e[31m\\r\\x01\\xC2\\x9B.htm";
  EXPECT_EQ(Vxb({"ls", Archive()}).out, shown + "\n");
  EXPECT_NE(Vxb({"lookup", Archive(), ":0"}).out.find(shown), std::string::npos);
  const Outcome missing = Vxb({"cat", Archive(), "bell\a\x1B"});
  EXPECT_NE(missing.err.find("topic bell\\x07\\e not found."), std::string::npos) << missing.err;
}

TEST_F(VxbToolTest, PackLeavesOutWhatCouldNotBeFoundOrExtractedAgain) {
  Put("good.htm", "g");
  Put("Page.htm", "first in byte order");
  Put("page.htm", "its case twin");
  WriteFile(Tree(), "bad\xFF.htm", "not UTF-8");
  WriteFile(Tree(), "back\\slash.htm", "b");
  WriteFile(Tree(), "new\nline.htm", "n");
  WriteFile(Tree(), "dir\x1B/inner.htm", "i");
  std::filesystem::create_symlink("loop-b", Tree() + "/loop-a");
  std::filesystem::create_symlink("loop-a", Tree() + "/loop-b");
  std::filesystem::create_directories(Tree() + "/loop");
  std::filesystem::create_directory_symlink("..", Tree() + "/loop/up");
  std::filesystem::create_symlink("good.htm", Tree() + "/link.htm");
  std::filesystem::create_symlink("nowhere", Tree() + "/dangling");
  mkfifo((Tree() + "/fifo").c_str(), 0600);
  // Packed twice into the tree itself: the second run leaves out its own output.
  const std::string inside = Tree() + "/self.vxb";
  const Outcome first = Vxb({"pack", Tree(), "-o", inside, "--name", "Self"});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.err.find("vxb_tests: warning - " + inside +
                           " cannot be registered with vxstreg; give --firm-code N.\n"),
            std::string::npos)
      << first.err;
  const Outcome pack = Vxb({"pack", Tree(), "-o", inside, "--name", "Self", "--firm-code", "1"});
  ASSERT_EQ(pack.status, 0) << pack.err;
  for (const char* warning : {"bad\\xFF.htm left out: its name is not UTF-8",
                              "back\\slash.htm left out: the path holds \"\\\"",
                              "new\\nline.htm left out: the path holds a control character",
                              "dir\\e left out: the path holds a control character",
                              "loop-a left out: its links lead round in a circle",
                              "page.htm left out: its path differs from Page.htm only in case",
                              "fifo left out: not a regular file.",
                              "leads into a folder that encloses it"}) {
    EXPECT_NE(pack.err.find(warning), std::string::npos) << warning << " in\n" << pack.err;
  }
  EXPECT_EQ(Vxb({"ls", inside}).out, "Page.htm\ngood.htm\nlink.htm\n");
  EXPECT_EQ(Vxb({"verify", inside}).status, 0);
}

// Swaps a source for a pipe when the packer opens it, after the listing saw a file.
class SwapForPipe : public os::FileHook {
 public:
  explicit SwapForPipe(std::string path) : m_path(std::move(path)), m_previous(os::InstallFileHook(this)) {}
  ~SwapForPipe() override { os::InstallFileHook(m_previous); }
  DWORD BeforeCall(os::FileCall call, const std::string& path, std::size_t&) override {
    if (call == os::FileCall::Open && path == m_path && !m_swapped) {
      m_swapped = true;
      std::filesystem::remove(path);
      mkfifo(path.c_str(), 0600);
    }
    return ERROR_SUCCESS;
  }

 private:
  std::string m_path;
  os::FileHook* m_previous;
  bool m_swapped = false;
};

TEST_F(VxbToolTest, ASourceSwappedForAPipeIsLeftOutWithoutWaiting) {
  Put("a.htm", "a");
  Put("swap.htm", "s");
  const SwapForPipe swap(Tree() + "/swap.htm");
  const Outcome pack = Pack();
  ASSERT_EQ(pack.status, 0) << pack.err;
  EXPECT_NE(pack.err.find("swap.htm left out: not a regular file."), std::string::npos) << pack.err;
  EXPECT_EQ(Vxb({"ls", Archive()}).out, "a.htm\n");
  EXPECT_EQ(Vxb({"verify", Archive()}).status, 0);
}

}  // namespace
}  // namespace vxb_tests
