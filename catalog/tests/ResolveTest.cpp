// Turning an archive name into a file path for the reader.
#include "catalog/ThisDocumentProfiling.h"
#include "catalog/tests/CatalogFixture.h"

namespace {

constexpr std::uint32_t kNone = stow::kNoFirmCode;

// Stands for the firm-code dialog: records what it offered and answers from
// a script (nothing scripted: the user cancels).
class ScriptedChooser : public FirmCodeChooser {
 public:
  bool Choose(const std::string& name, const std::vector<std::uint32_t>& firmCodes,
              std::uint32_t& chosen) override {
    offered.push_back({name, firmCodes});
    if (answers.empty()) return false;
    chosen = answers.front();
    answers.erase(answers.begin());
    return true;
  }

  struct Offer {
    std::string name;
    std::vector<std::uint32_t> firmCodes;
  };
  std::vector<Offer> offered;
  std::vector<std::uint32_t> answers;
};

// Stands for the protocol handler: the error pages it was asked to show.
class RecordedFailures : public ResolveFailureReport {
 public:
  void ReportResolveFailure(ResolveFailure failure, const std::string& name,
                            std::uint32_t firmCode) override {
    pages.push_back({static_cast<int>(failure), name, firmCode});
  }

  struct Page {
    int number;
    std::string name;
    std::uint32_t firmCode;
    bool operator==(const Page&) const = default;
  };
  std::vector<Page> pages;
};

class Resolve : public CatalogTest {
 protected:
  void SetUp() override {
    CatalogTest::SetUp();
    m_reader.SetFirmCodeChooser(&chooser);
    m_reader.SetFailureReport(&failures);
  }

  // Resolves NAME (FIRMCODE asked) for reading, as a request does.
  std::string Resolved(const std::string& name, std::uint32_t& firmCode, bool quiet = false) {
    return m_reader.ResolveArchive(name, firmCode, false, quiet);
  }

  ThisDocumentProfiling m_reader{kReaderDescriptor};
  ScriptedChooser chooser;
  RecordedFailures failures;
};

TEST_F(Resolve, ANameRegisteredOnceGivesItsPathAndFirmCode) {
  const std::string manual = MakeArchive("manual.vxb", "Manual", 10);
  ASSERT_TRUE(Register(manual));
  std::uint32_t firmCode = kNone;
  EXPECT_EQ(Resolved("manual", firmCode), manual);
  EXPECT_EQ(firmCode, 10u);
  EXPECT_EQ(m_reader.GetLastResolvedName(), "manual");
  EXPECT_EQ(m_reader.GetLastFirmCode(), 10u);
  firmCode = 10;
  EXPECT_EQ(Resolved("Manual", firmCode), manual);
  EXPECT_TRUE(failures.pages.empty());
}

// An unknown name (a name key without firm-code keys is none either) is page 3;
// a wrong firm code is page 4, and the user is asked next time.
TEST_F(Resolve, UnknownNamesAndWrongFirmCodesAreReportedAsTheirPages) {
  ASSERT_TRUE(Register(MakeArchive("manual.vxb", "Manual", 10)));
  PutText(HKEY_CURRENT_USER, (NameKey("Bare") + "\\Notes").c_str());
  std::uint32_t firmCode = kNone;
  EXPECT_EQ(Resolved("Missing", firmCode), "");
  EXPECT_EQ(Resolved("Bare", firmCode), "");
  EXPECT_FALSE(m_reader.GetAskNextTime());
  firmCode = 11;
  EXPECT_EQ(Resolved("Manual", firmCode), "");
  EXPECT_TRUE(m_reader.GetAskNextTime());
  EXPECT_EQ(failures.pages, (std::vector<RecordedFailures::Page>{
                                {3, "Missing", kNone}, {3, "Bare", kNone}, {4, "Manual", 11}}));
}

// Two archives of one name: ambiguous the first time, the choice dialog the
// next time, the chosen firm code from then on.
TEST_F(Resolve, TwoFirmCodesAreAmbiguousThenChosenThenRemembered) {
  const std::string seven = MakeArchive("seven.vxb", "Manual", 7);
  const std::string twelve = MakeArchive("twelve.vxb", "Manual", 12);
  ASSERT_TRUE(Register(seven));
  ASSERT_TRUE(Register(twelve));

  std::uint32_t firmCode = kNone;
  EXPECT_EQ(Resolved("Manual", firmCode), "");
  EXPECT_EQ(firmCode, 12u);  // the first in enumeration order
  EXPECT_EQ(failures.pages, (std::vector<RecordedFailures::Page>{{5, "Manual", 12}}));
  EXPECT_TRUE(chooser.offered.empty());
  EXPECT_TRUE(m_reader.GetAskNextTime());
  EXPECT_EQ(m_reader.GetLastFirmCode(), kNone);

  chooser.answers = {7};
  firmCode = kNone;
  EXPECT_EQ(Resolved("MANUAL", firmCode), seven);
  EXPECT_EQ(firmCode, 7u);
  ASSERT_EQ(chooser.offered.size(), 1u);
  EXPECT_EQ(chooser.offered[0].name, "MANUAL");
  EXPECT_EQ(chooser.offered[0].firmCodes, (std::vector<std::uint32_t>{12, 7}));
  EXPECT_FALSE(m_reader.GetAskNextTime());

  firmCode = kNone;
  EXPECT_EQ(Resolved("Manual", firmCode), seven);
  EXPECT_EQ(chooser.offered.size(), 1u);  // not asked again
  EXPECT_EQ(failures.pages.size(), 1u);
}

TEST_F(Resolve, ACancelledChoiceIsAmbiguousAgain) {
  ASSERT_TRUE(Register(MakeArchive("seven.vxb", "Manual", 7)));
  ASSERT_TRUE(Register(MakeArchive("twelve.vxb", "Manual", 12)));
  std::uint32_t firmCode = kNone;
  Resolved("Manual", firmCode);
  firmCode = kNone;
  EXPECT_EQ(Resolved("Manual", firmCode), "");
  EXPECT_EQ(chooser.offered.size(), 1u);
  EXPECT_EQ(failures.pages.size(), 2u);
  EXPECT_EQ(failures.pages[1].number, 5);
  EXPECT_TRUE(m_reader.GetAskNextTime());  // asked once more next time
}

TEST_F(Resolve, AnotherNameInBetweenMeansAmbiguousAgain) {
  ASSERT_TRUE(Register(MakeArchive("seven.vxb", "Manual", 7)));
  ASSERT_TRUE(Register(MakeArchive("twelve.vxb", "Manual", 12)));
  ASSERT_TRUE(Register(MakeArchive("guide.vxb", "Guide", 1)));
  std::uint32_t firmCode = kNone;
  Resolved("Manual", firmCode);
  firmCode = kNone;
  ASSERT_NE(Resolved("Guide", firmCode), "");
  firmCode = kNone;
  EXPECT_EQ(Resolved("Manual", firmCode), "");
  EXPECT_TRUE(chooser.offered.empty());
}

TEST_F(Resolve, QuietResolutionReportsAndRemembersNothing) {
  ASSERT_TRUE(Register(MakeArchive("seven.vxb", "Manual", 7)));
  ASSERT_TRUE(Register(MakeArchive("twelve.vxb", "Manual", 12)));
  std::uint32_t firmCode = kNone;
  EXPECT_EQ(Resolved("Manual", firmCode, true), "");
  firmCode = 3;
  EXPECT_EQ(Resolved("Manual", firmCode, true), "");
  EXPECT_TRUE(failures.pages.empty());
  EXPECT_FALSE(m_reader.GetAskNextTime());
  EXPECT_EQ(m_reader.GetLastResolvedName(), "");
}

TEST_F(Resolve, HandedOverArchivesComeFirstByExactName) {
  const std::string registered = MakeArchive("registered.vxb", "Manual", 10);
  ASSERT_TRUE(Register(registered));
  EXPECT_TRUE(m_reader.GetTempRegistrar().Add({"Manual", "/handed/over.vxb", 99, "note"}));
  EXPECT_FALSE(m_reader.GetTempRegistrar().Add({"Manual", "/second.vxb", 98}));

  std::uint32_t firmCode = 10;
  EXPECT_EQ(Resolved("Manual", firmCode), "/handed/over.vxb");
  EXPECT_EQ(firmCode, 99u);
  EXPECT_EQ(m_reader.GetLastFirmCode(), 99u);
  firmCode = kNone;
  EXPECT_EQ(Resolved("manual", firmCode), registered);  // case counts here
}

TEST_F(Resolve, CurrentUserBeforeAllUsers) {
  const std::string mine = MakeArchive("mine.vxb", "Manual", 10);
  const std::string shared = MakeArchive("shared.vxb", "Manual", 10);
  const std::string other = MakeArchive("other.vxb", "Manual", 11);
  ASSERT_TRUE(Register(shared, Placement::AllUsers));
  ASSERT_TRUE(Register(other, Placement::AllUsers));
  std::uint32_t firmCode = kNone;
  EXPECT_EQ(Resolved("Manual", firmCode), "");  // two firm codes for all users
  ASSERT_TRUE(Register(mine, Placement::CurrentUser));
  firmCode = kNone;
  EXPECT_EQ(Resolved("Other name", firmCode), "");
  firmCode = kNone;
  EXPECT_EQ(Resolved("Manual", firmCode), mine);  // the user's one firm code
  firmCode = 11;
  EXPECT_EQ(Resolved("Manual", firmCode), other);  // firm code found for all users
}

}  // namespace
