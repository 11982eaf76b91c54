// The folder walk: patterns, the missing rule, hidden files, order, depth and
// listing failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "base/KelException.h"
#include "base/KelFileTreeScan.h"
#include "platform/FileFaults.h"
#include "platform/PathSyntax.h"
#include "platform/tests/TempFolder.h"

namespace {

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

class FileTreeScanTest : public ::testing::Test {
 protected:
  void Make(const std::string& relative, const std::string& bytes = "x") {
    const std::filesystem::path path = std::filesystem::path(m_folder.Path()) / relative;
    std::filesystem::create_directories(path.parent_path());
    m_folder.Write(relative, bytes);
  }
  void MakeFolder(const std::string& relative) {
    std::filesystem::create_directories(std::filesystem::path(m_folder.Path()) / relative);
  }
  CKelFileSpecList List(std::vector<std::string> patterns, bool subfolders = false) {
    CKelFileSpecList list;
    list.baseFolder = m_folder.Path();
    if (subfolders) list.flags |= CKelFileSpecList::kSubfolders;
    for (const std::string& text : patterns) {
      const DWORD kind = text.find_first_of("*?") != std::string::npos ? CKelFileSpecEntry::kWildcards : 0;
      list.entries.push_back({kind, text});
    }
    return list;
  }
  std::vector<std::string> Run(const CKelFileSpecList& list, DWORD options = 0, DWORD flags = 0) {
    RecordingScan scan(m_folder.Path());
    scan.Prepare(list, options, flags);
    scan.Scan();
    m_subfolders = scan.GetSubfolderCount();
    return scan.events;
  }
  // The code of the error the scan throws (0: none).
  std::uint32_t FailingCode(const CKelFileSpecList& list, DWORD options, std::vector<std::string>& events) {
    RecordingScan scan(m_folder.Path());
    scan.Prepare(list, options, 0);
    try {
      scan.Scan();
    } catch (CKelException* e) {
      const std::unique_ptr<CKelException> owned(e);
      events = scan.events;
      m_error = std::string(e->m_arg1);
      return e->m_code;
    }
    events = scan.events;
    return 0;
  }

  TempFolder m_folder;
  std::uint32_t m_subfolders = 0;
  std::string m_error;
};

using Events = std::vector<std::string>;

TEST_F(FileTreeScanTest, AWildcardAndANameMatchingTheSameFileHandItOutTwice) {
  Make("a.vxb");
  EXPECT_EQ(Run(List({"*.vxb", "a.vxb"})),
            (Events{"folder .", "file /a.vxb (*.vxb)", "file /a.vxb (a.vxb)", "done ."}));
}

TEST_F(FileTreeScanTest, ALaterWildcardPatternSkipsNamesAlreadyCollected) {
  Make("a.vxb");
  Make("ab.vxb");
  EXPECT_EQ(Run(List({"*.vxb", "a*.vxb"})),
            (Events{"folder .", "file /a.vxb (*.vxb)", "file /ab.vxb (*.vxb)", "done ."}));
}

TEST_F(FileTreeScanTest, NamesAndPatternsMatchWithCaseCounting) {
  Make("a.vxb");
  Make("A.VXB");
  EXPECT_EQ(Run(List({"a.vxb", "A*.VXB"})),
            (Events{"folder .", "file /a.vxb (a.vxb)", "file /A.VXB (A*.VXB)", "done ."}));
}

TEST_F(FileTreeScanTest, AMissingNameIsHandedOutWithTheMissingOption) {
  Make("b.vxb");
  EXPECT_EQ(Run(List({"a.vxb"}), CKelFileTreeScan::kReportMissing),
            (Events{"folder .", "file /a.vxb (a.vxb)", "done ."}));
  EXPECT_EQ(Run(List({"a.vxb"})), (Events{"done ."}));
  EXPECT_EQ(Run(List({"*.pdf"}), CKelFileTreeScan::kReportMissing), (Events{"done ."}));
}

TEST_F(FileTreeScanTest, AMissingNameIsMarked) {
  CKelFileTreeScan scan;
  scan.Prepare(List({"gone.vxb"}), CKelFileTreeScan::kReportMissing, 0);
  scan.Scan();
  EXPECT_TRUE(scan.GetPatterns()[0].kind & CKelFileSpecEntry::kReportedMissing);
}

TEST_F(FileTreeScanTest, AHiddenFileNamedWithoutWildcardsIsHandedOut) {
  Make(".a.vxb");
  EXPECT_EQ(Run(List({".a.vxb"})), (Events{"folder .", "file /.a.vxb (.a.vxb)", "done ."}));
  EXPECT_EQ(Run(List({".a*.vxb"})), (Events{"done ."}));
}

TEST_F(FileTreeScanTest, AnEmptyListWithOptionOneVisitsEveryFile) {
  Make("a.vxb");
  Make("b.txt");
  Make("README");
  CKelFileSpecList list = List({});
  EXPECT_EQ(Run(list, CKelFileTreeScan::kAllWhenEmpty),
            (Events{"folder .", "file /README (*.*)", "file /a.vxb (*.*)", "file /b.txt (*.*)", "done ."}));
  EXPECT_EQ(Run(list), (Events{"done ."}));
}

TEST_F(FileTreeScanTest, AnEmptyListWithoutOptionOneSearchesNoSubfolders) {
  Make("sub/a.vxb");
  EXPECT_EQ(Run(List({}, true)), (Events{"done ."}));
  EXPECT_EQ(m_subfolders, 0u);
}

TEST_F(FileTreeScanTest, HiddenFilesOnlyWithTheirFlag) {
  Make(".secret.vxb");
  Make("open.vxb");
  EXPECT_EQ(Run(List({"*.vxb"})), (Events{"folder .", "file /open.vxb (*.vxb)", "done ."}));
  EXPECT_EQ(Run(List({"*.vxb"}), 0, CKelFileTreeScan::kScanHidden),
            (Events{"folder .", "file /.secret.vxb (*.vxb)", "file /open.vxb (*.vxb)", "done ."}));
}

TEST_F(FileTreeScanTest, FoldersAreNeverHandedOutAsFiles) {
  MakeFolder("folder.vxb");
  EXPECT_EQ(Run(List({"*.vxb"})), (Events{"done ."}));
}

TEST_F(FileTreeScanTest, DepthFirstInListingOrder) {
  Make("a.vxb");
  Make("b/b.vxb");
  Make("b/c/c.vxb");
  Make("b/d/d.vxb");
  MakeFolder("e");
  Make("f/f.vxb");
  EXPECT_EQ(Run(List({"*.vxb"}, true)),
            (Events{"folder .", "file /a.vxb (*.vxb)", "done .",
                    "folder /b", "file /b/b.vxb (*.vxb)", "done /b",
                    "folder /b/c", "file /b/c/c.vxb (*.vxb)", "done /b/c",
                    "folder /b/d", "file /b/d/d.vxb (*.vxb)", "done /b/d",
                    "done /e",
                    "folder /f", "file /f/f.vxb (*.vxb)", "done /f"}));
  EXPECT_EQ(m_subfolders, 5u);
}

TEST_F(FileTreeScanTest, EveryFolderWithOptionFour) {
  MakeFolder("e");
  EXPECT_EQ(Run(List({"*.vxb"}, true), CKelFileTreeScan::kEveryFolder),
            (Events{"folder .", "done .", "folder /e", "done /e"}));
}

TEST_F(FileTreeScanTest, WithoutTheSubfolderFlagOnlyTheStartFolder) {
  Make("a.vxb");
  Make("b/b.vxb");
  EXPECT_EQ(Run(List({"*.vxb"})), (Events{"folder .", "file /a.vxb (*.vxb)", "done ."}));
}

TEST_F(FileTreeScanTest, FoldersDeeperThanThirtyTwoLevelsAreWalked) {
  std::string relative;
  for (int level = 0; level < 40; ++level) relative += "d/";
  Make(relative + "deep.vxb");
  const Events events = Run(List({"*.vxb"}, true));
  ASSERT_EQ(events.size(), 43u);
  EXPECT_EQ(events[40], "folder /" + relative.substr(0, relative.size() - 1));
  EXPECT_EQ(events[41], "file /" + relative + "deep.vxb (*.vxb)");
  EXPECT_EQ(m_subfolders, 40u);
}

TEST_F(FileTreeScanTest, FilesBelowPathsLongerThanTheOldLimitAreFound) {
  std::string relative;
  for (int level = 0; level < 40; ++level) relative += "level" + std::to_string(level) + "/";
  Make(relative + "deep.vxb");
  const Events events = Run(List({"*.vxb"}, true));
  ASSERT_GT(m_folder.Path().size() + relative.size(), 260u);
  ASSERT_EQ(events.size(), 43u);
  EXPECT_EQ(events[41], "file /" + relative + "deep.vxb (*.vxb)");
}

TEST_F(FileTreeScanTest, APatternTooLongForThePathIsSkipped) {
  Make("a.vxb");
  const std::string longName(kMaxPathLength + 1, 'x');
  EXPECT_EQ(Run(List({longName, "a.vxb"}), CKelFileTreeScan::kReportMissing),
            (Events{"folder .", "file /a.vxb (a.vxb)", "done ."}));
}

TEST_F(FileTreeScanTest, EveryFolderIsEnteredOnceWhateverLinksLeadToIt) {
  Make("a.vxb");
  Make("real/r.vxb");
  Make("sub/s.vxb");
  const std::filesystem::path root = m_folder.Path();
  std::filesystem::create_directory_symlink(".", root / "l1");        // the start itself
  std::filesystem::create_directory_symlink("..", root / "sub/up");   // a folder above
  std::filesystem::create_directory_symlink("/", root / "sub/top");   // the root of all
  std::filesystem::create_directory_symlink("real", root / "an-alias");  // a folder of the walk
  TempFolder outside;
  outside.Write("o.vxb", "x");
  std::filesystem::create_directory_symlink(outside.Path(), root / "out1");
  std::filesystem::create_directory_symlink(outside.Path(), root / "out2");
  EXPECT_EQ(Run(List({"*.vxb"}, true)),
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

TEST_F(FileTreeScanTest, AFolderThatCannotBeListedIsPassedOverByDefault) {
  Make("a/a.vxb");
  Make("b/b.vxb");
  FileFaults faults;
  faults.Add({os::FileCall::List, "/a/", ERROR_ACCESS_DENIED});
  Events events;
  EXPECT_EQ(FailingCode(List({"*.vxb"}, true), 0, events), 0u);
  EXPECT_EQ(events, (Events{"done .", "done /a", "folder /b", "file /b/b.vxb (*.vxb)", "done /b"}));
}

TEST_F(FileTreeScanTest, AFolderThatCannotBeListedEndsTheScanWithOptionEight) {
  Make("a/a.vxb");
  Make("a/x/x.vxb");
  Make("b/b.vxb");
  FileFaults faults;
  faults.Add({os::FileCall::List, "/a/", ERROR_ACCESS_DENIED});
  Events events;
  EXPECT_EQ(FailingCode(List({"*.vxb"}, true), CKelFileTreeScan::kStopOnFolderError, events), 1013u);
  EXPECT_EQ(events, (Events{"done .", "done /a"}));
  EXPECT_NE(m_error.find("/a"), std::string::npos) << m_error;
}

TEST_F(FileTreeScanTest, AFailingPatternListingStopsHandingOutFiles) {
  Make("a.vxb");
  Make("b.txt");
  FileFaults faults;
  // The first listing of the folder (the subfolders) works, the second fails.
  faults.Add({os::FileCall::List, m_folder.Path(), ERROR_READ_FAULT, SIZE_MAX, 1});
  Events events;
  EXPECT_NE(FailingCode(List({"*.vxb"}, true), CKelFileTreeScan::kStopOnFolderError, events), 0u);
  EXPECT_EQ(events, (Events{"done ."}));
}

TEST_F(FileTreeScanTest, AnExceptionOfAHookEndsTheScan) {
  class Throwing : public CKelFileTreeScan {
   protected:
    void OnFile(FileEntry&) override { CKelException::Throw(2000, "stop"); }
  };
  Make("a.vxb");
  Throwing scan;
  scan.Prepare(List({"*.vxb"}), 0, 0);
  try {
    scan.Scan();
    FAIL();
  } catch (CKelException* e) {
    const std::unique_ptr<CKelException> owned(e);
    EXPECT_EQ(e->m_arg1, "stop");
  }
}

TEST_F(FileTreeScanTest, ResetFreesThePatterns) {
  CKelFileTreeScan scan;
  scan.Prepare(List({"*.vxb"}), 0, 0);
  scan.Reset();
  EXPECT_TRUE(scan.GetPatterns().empty());
  EXPECT_TRUE(scan.GetPath().empty());
}

}  // namespace
