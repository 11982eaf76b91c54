// The folder walk: patterns, the missing rule, hidden files, order, depth and
// listing failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "base/KelException.h"
#include "base/KelFileTreeScan.h"
#include "base/tests/CaughtException.h"
#include "platform/FileFaults.h"
#include "platform/PathSyntax.h"
#include "platform/tests/TempFolder.h"

namespace {

using Events = std::vector<std::string>;

// Records every hook call as a line, paths relative to the start folder.
class RecordingScan : public CKelFileTreeScan {
 public:
  explicit RecordingScan(std::string root) : m_root(std::move(root)) {}
  std::vector<std::string> events;

 protected:
  void OnFolder(FolderNode&) override { events.push_back("folder " + Relative()); }
  void OnFile(FileEntry& file) override {
    events.push_back("file " + Relative() + " (" + file.pattern->text + ")");
  }
  void OnFolderDone(FolderNode&) override { events.push_back("done " + Relative()); }
  void OnFolderSkipped(const std::string& path, FolderSkip reason) override {
    events.push_back((reason == FolderSkip::LinkIntoWalk ? "link " : "seen ") +
                     path.substr(std::min(path.size(), m_root.size())));
  }

 private:
  std::string Relative() const {
    const std::string& path = GetPath();
    if (path.compare(0, m_root.size(), m_root) != 0) return "?" + path;
    const std::string rest = path.substr(m_root.size());
    return rest.empty() ? "." : rest;
  }
  std::string m_root;
};

// Makes FILES below FOLDER (a trailing '/' makes a folder).
void Make(TempFolder& folder, const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    const std::filesystem::path path = std::filesystem::path(folder.Path()) / file;
    std::filesystem::create_directories(file.back() == '/' ? path : path.parent_path());
    if (file.back() != '/') folder.Write(file, "x");
  }
}

// A list of PATTERNS in FOLDER; names with '*' or '?' are wildcards.
CKelFileSpecList List(const TempFolder& folder, const std::vector<std::string>& patterns,
                      bool subfolders = false) {
  CKelFileSpecList list;
  list.baseFolder = folder.Path();
  if (subfolders) list.flags |= CKelFileSpecList::kSubfolders;
  for (const std::string& text : patterns)
    list.entries.push_back(
        {text.find_first_of("*?") != std::string::npos ? CKelFileSpecEntry::kWildcards : 0u, text});
  return list;
}

class FileTreeScanTest : public ::testing::Test {
 protected:
  // Scans LIST; the events, and the code of the error it throws (0: none) in m_code.
  Events Run(const CKelFileSpecList& list, DWORD options = 0, DWORD flags = 0) {
    RecordingScan scan(list.baseFolder);
    scan.Prepare(list, options, flags);
    const auto e = Caught([&] { scan.Scan(); });
    m_code = e ? e->m_code : 0;
    m_error = e ? std::string(e->m_arg1) : "";
    m_subfolders = scan.GetSubfolderCount();
    return scan.events;
  }

  TempFolder m_folder;
  std::uint32_t m_subfolders = 0;
  std::uint32_t m_code = 0;
  std::string m_error;
};

// Files (a trailing '/' makes a folder), patterns and options, and the hooks called.
struct ScanCase {
  const char* name;
  std::vector<std::string> files;
  std::vector<std::string> patterns;
  bool subfolders;
  DWORD options;
  DWORD flags;
  Events events;
  std::uint32_t subfolderCount;
};

TEST_F(FileTreeScanTest, PatternsOptionsAndOrder) {
  using S = CKelFileTreeScan;
  const ScanCase cases[] = {
      {"a wildcard and a name match the same file twice", {"a.vxb"}, {"*.vxb", "a.vxb"}, false, 0, 0,
       {"folder .", "file /a.vxb (*.vxb)", "file /a.vxb (a.vxb)", "done ."}, 0},
      {"a later wildcard skips names collected", {"a.vxb", "ab.vxb"}, {"*.vxb", "a*.vxb"}, false, 0, 0,
       {"folder .", "file /a.vxb (*.vxb)", "file /ab.vxb (*.vxb)", "done ."}, 0},
      {"case counts", {"a.vxb", "A.VXB"}, {"a.vxb", "A*.VXB"}, false, 0, 0,
       {"folder .", "file /a.vxb (a.vxb)", "file /A.VXB (A*.VXB)", "done ."}, 0},
      {"a missing name with the missing option", {"b.vxb"}, {"a.vxb"}, false, S::kReportMissing, 0,
       {"folder .", "file /a.vxb (a.vxb)", "done ."}, 0},
      {"a missing name without it", {"b.vxb"}, {"a.vxb"}, false, 0, 0, {"done ."}, 0},
      {"a missing wildcard is never handed out", {"b.vxb"}, {"*.pdf"}, false, S::kReportMissing, 0,
       {"done ."}, 0},
      {"a hidden file named", {".a.vxb"}, {".a.vxb"}, false, 0, 0,
       {"folder .", "file /.a.vxb (.a.vxb)", "done ."}, 0},
      {"a hidden file by wildcard", {".a.vxb"}, {".a*.vxb"}, false, 0, 0, {"done ."}, 0},
      {"hidden files with their flag", {".secret.vxb", "open.vxb"}, {"*.vxb"}, false, 0, S::kScanHidden,
       {"folder .", "file /.secret.vxb (*.vxb)", "file /open.vxb (*.vxb)", "done ."}, 0},
      {"an empty list with option one", {"a.vxb", "b.txt", "README"}, {}, false, S::kAllWhenEmpty, 0,
       {"folder .", "file /README (*.*)", "file /a.vxb (*.*)", "file /b.txt (*.*)", "done ."}, 0},
      {"an empty list without option one", {"a.vxb", "sub/b.vxb"}, {}, true, 0, 0, {"done ."}, 0},
      {"folders are no files", {"folder.vxb/"}, {"*.vxb"}, false, 0, 0, {"done ."}, 0},
      {"only the start folder without subfolders", {"a.vxb", "b/b.vxb"}, {"*.vxb"}, false, 0, 0,
       {"folder .", "file /a.vxb (*.vxb)", "done ."}, 0},
      {"depth first in listing order", {"a.vxb", "b/b.vxb", "b/c/c.vxb", "b/d/d.vxb", "e/", "f/f.vxb"},
       {"*.vxb"}, true, 0, 0,
       {"folder .", "file /a.vxb (*.vxb)", "done .", "folder /b", "file /b/b.vxb (*.vxb)", "done /b",
        "folder /b/c", "file /b/c/c.vxb (*.vxb)", "done /b/c", "folder /b/d", "file /b/d/d.vxb (*.vxb)",
        "done /b/d", "done /e", "folder /f", "file /f/f.vxb (*.vxb)", "done /f"}, 5},
      {"every folder with option four", {"e/"}, {"*.vxb"}, true, S::kEveryFolder, 0,
       {"folder .", "done .", "folder /e", "done /e"}, 1},
      {"a pattern too long for the path", {"a.vxb"}, {std::string(kMaxPathLength + 1, 'x'), "a.vxb"},
       false, S::kReportMissing, 0, {"folder .", "file /a.vxb (a.vxb)", "done ."}, 0},
  };
  for (const ScanCase& c : cases) {
    TempFolder folder;
    Make(folder, c.files);
    EXPECT_EQ(Run(List(folder, c.patterns, c.subfolders), c.options, c.flags), c.events) << c.name;
    EXPECT_EQ(m_code, 0u) << c.name;
    EXPECT_EQ(m_subfolders, c.subfolderCount) << c.name;
  }
}

TEST_F(FileTreeScanTest, AMissingNameIsMarked) {
  CKelFileTreeScan scan;
  scan.Prepare(List(m_folder, {"gone.vxb"}), CKelFileTreeScan::kReportMissing, 0);
  scan.Scan();
  EXPECT_TRUE(scan.GetPatterns()[0].kind & CKelFileSpecEntry::kReportedMissing);
}

TEST_F(FileTreeScanTest, FoldersDeeperThanThirtyTwoLevelsAndPathsLongerThanTheOldLimitAreWalked) {
  std::string relative;
  for (int level = 0; level < 40; ++level) relative += "level" + std::to_string(level) + "/";
  Make(m_folder, {relative + "deep.vxb"});
  const Events events = Run(List(m_folder, {"*.vxb"}, true));
  ASSERT_GT(m_folder.Path().size() + relative.size(), 260u);
  ASSERT_EQ(events.size(), 43u);
  EXPECT_EQ(events[40], "folder /" + relative.substr(0, relative.size() - 1));
  EXPECT_EQ(events[41], "file /" + relative + "deep.vxb (*.vxb)");
  EXPECT_EQ(m_subfolders, 40u);
}

TEST_F(FileTreeScanTest, EveryFolderIsEnteredOnceWhateverLinksLeadToIt) {
  Make(m_folder, {"a.vxb", "real/r.vxb", "sub/s.vxb"});
  const std::filesystem::path root = m_folder.Path();
  std::filesystem::create_directory_symlink(".", root / "l1");        // the start itself
  std::filesystem::create_directory_symlink("..", root / "sub/up");   // a folder above
  std::filesystem::create_directory_symlink("/", root / "sub/top");   // the root of all
  std::filesystem::create_directory_symlink("real", root / "an-alias");  // a folder of the walk
  TempFolder outside;
  outside.Write("o.vxb", "x");
  std::filesystem::create_directory_symlink(outside.Path(), root / "out1");
  std::filesystem::create_directory_symlink(outside.Path(), root / "out2");
  EXPECT_EQ(Run(List(m_folder, {"*.vxb"}, true)),
            (Events{"link /an-alias", "link /l1", "seen /out2", "folder .", "file /a.vxb (*.vxb)", "done .",
                    "folder /out1", "file /out1/o.vxb (*.vxb)", "done /out1",
                    "folder /real", "file /real/r.vxb (*.vxb)", "done /real",
                    "link /sub/top", "link /sub/up", "folder /sub", "file /sub/s.vxb (*.vxb)", "done /sub"}));
}

TEST_F(FileTreeScanTest, AStartFolderThatIsARootKeepsItsSeparator) {
  CKelFileSpecList list;
  list.baseFolder = "/";
  list.entries.push_back({0, "no-such-file-here.vxb"});
  RecordingScan scan("");
  scan.Prepare(list, CKelFileTreeScan::kReportMissing, 0);
  scan.Scan();
  EXPECT_EQ(scan.events, (Events{"folder /", "file /no-such-file-here.vxb (no-such-file-here.vxb)", "done /"}));
}

TEST_F(FileTreeScanTest, ListingFailuresArePassedOverOrEndTheScan) {
  const struct {
    const char* name;
    FileFault fault;
    DWORD options;
    std::uint32_t code;
    Events events;
  } cases[] = {
      {"a folder passed over by default", {os::FileCall::List, "/a/", ERROR_ACCESS_DENIED}, 0, 0,
       {"folder .", "file /a.vxb (*.vxb)", "done .", "done /a", "folder /b", "file /b/b.vxb (*.vxb)", "done /b"}},
      {"a folder ends the scan with option eight", {os::FileCall::List, "/a/", ERROR_ACCESS_DENIED},
       CKelFileTreeScan::kStopOnFolderError, 1013,
       {"folder .", "file /a.vxb (*.vxb)", "done .", "done /a"}},
      // The first listing (the start folder's subfolders) works, the second fails.
      {"a failing pattern listing hands out no files", {os::FileCall::List, "", ERROR_READ_FAULT, SIZE_MAX, 1},
       CKelFileTreeScan::kStopOnFolderError, 1009, {"done ."}},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    Make(folder, {"a.vxb", "a/a.vxb", "a/x/x.vxb", "b/b.vxb"});
    FileFaults faults;
    faults.Add(c.fault);
    EXPECT_EQ(Run(List(folder, {"*.vxb"}, true), c.options), c.events) << c.name;
    EXPECT_EQ(m_code, c.code) << c.name;
    if (c.code == 1013) {
      EXPECT_NE(m_error.find("/a"), std::string::npos) << c.name << ": " << m_error;
    }
  }
}

TEST_F(FileTreeScanTest, AnExceptionOfAHookEndsTheScan) {
  class Throwing : public CKelFileTreeScan {
   protected:
    void OnFile(FileEntry&) override { CKelException::Throw(2000, "stop"); }
  };
  Make(m_folder, {"a.vxb"});
  Throwing scan;
  scan.Prepare(List(m_folder, {"*.vxb"}), 0, 0);
  EXPECT_EQ(Thrown([&] { scan.Scan(); }), "2000 stop |  | ");
}

}  // namespace
