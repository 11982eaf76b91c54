// Turning an archive name into a file path for the reader.
#include <tuple>

#include "catalog/ThisDocumentProfiling.h"
#include "catalog/tests/CatalogFixture.h"

namespace {

constexpr std::uint32_t kNone = stow::kNoFirmCode;

// Stands for the firm-code dialog and the protocol handler: records the names and
// firm codes offered and the error pages asked for; answers from a script
// (nothing scripted: the user cancels).
class Recorder : public FirmCodeChooser, public ResolveFailureReport {
 public:
  using Page = std::tuple<int, std::string, std::uint32_t>;
  bool Choose(const std::string& name, const std::vector<std::uint32_t>& firmCodes,
              std::uint32_t& chosen) override {
    offered.push_back({name, firmCodes});
    if (answers.empty()) return false;
    chosen = answers.front();
    answers.erase(answers.begin());
    return true;
  }
  void ReportResolveFailure(ResolveFailure failure, const std::string& name,
                            std::uint32_t firmCode) override {
    pages.push_back({static_cast<int>(failure), name, firmCode});
  }

  std::vector<std::pair<std::string, std::vector<std::uint32_t>>> offered;
  std::vector<std::uint32_t> answers;
  std::vector<Page> pages;
};

class Resolve : public CatalogTest {
 protected:
  Resolve() {
    m_reader.SetFirmCodeChooser(&recorder);
    m_reader.SetFailureReport(&recorder);
  }

  // Resolves NAME (FIRMCODE asked) for reading, as a request does; the firm
  // code found is left in firmCode.
  std::string Resolved(const std::string& name, std::uint32_t asked = kNone, bool quiet = false) {
    firmCode = asked;
    return m_reader.ResolveArchive(name, firmCode, false, quiet);
  }

  ThisDocumentProfiling m_reader{kReaderDescriptor};
  Recorder recorder;
  std::uint32_t firmCode = kNone;
};

// A name registered once gives its path and firm code, in any case. An unknown
// name (a name key without firm-code keys is none either) is page 3; a wrong
// firm code is page 4, and the user is asked next time.
TEST_F(Resolve, KnownUnknownAndWrongFirmCode) {
  const std::string manual = MakeArchive("manual.vxb", "Manual", 10);
  ASSERT_TRUE(Register(manual));
  EXPECT_EQ(Resolved("manual"), manual);
  EXPECT_EQ(firmCode, 10u);
  EXPECT_EQ(m_reader.GetLastResolvedName(), "manual");
  EXPECT_EQ(m_reader.GetLastFirmCode(), 10u);
  EXPECT_EQ(Resolved("Manual", 10), manual);
  EXPECT_TRUE(recorder.pages.empty());

  PutText(HKEY_CURRENT_USER, (NameKey("Bare") + "\\Notes").c_str());
  EXPECT_EQ(Resolved("Missing"), "");
  EXPECT_EQ(Resolved("Bare"), "");
  EXPECT_FALSE(m_reader.GetAskNextTime());
  EXPECT_EQ(Resolved("Manual", 11), "");
  EXPECT_TRUE(m_reader.GetAskNextTime());
  EXPECT_EQ(recorder.pages, (std::vector<Recorder::Page>{
                                {3, "Missing", kNone}, {3, "Bare", kNone}, {4, "Manual", 11}}));
}

// Two archives of one name: quietly nothing at all; else ambiguous the first
// time, the choice dialog the next time (a cancelled one is ambiguous again, and
// another name in between means ambiguous again without asking), the chosen
// firm code from then on.
TEST_F(Resolve, TwoFirmCodesAreAmbiguousThenChosenThenRemembered) {
  const std::string seven = MakeArchive("seven.vxb", "Manual", 7);
  ASSERT_TRUE(Register(seven));
  ASSERT_TRUE(Register(MakeArchive("twelve.vxb", "Manual", 12)));
  ASSERT_TRUE(Register(MakeArchive("guide.vxb", "Guide", 1)));
  EXPECT_EQ(Resolved("Manual", kNone, true), "");
  EXPECT_EQ(Resolved("Manual", 3, true), "");
  EXPECT_TRUE(recorder.pages.empty()) << "quiet";
  EXPECT_FALSE(m_reader.GetAskNextTime()) << "quiet";
  EXPECT_EQ(m_reader.GetLastResolvedName(), "") << "quiet";

  EXPECT_EQ(Resolved("Manual"), "");
  EXPECT_EQ(firmCode, 12u);  // the first in enumeration order
  EXPECT_EQ(recorder.pages, (std::vector<Recorder::Page>{{5, "Manual", 12}}));
  EXPECT_TRUE(recorder.offered.empty());
  EXPECT_TRUE(m_reader.GetAskNextTime());
  EXPECT_EQ(m_reader.GetLastFirmCode(), kNone);

  EXPECT_EQ(Resolved("Manual"), "") << "cancelled";
  ASSERT_EQ(recorder.offered.size(), 1u);
  EXPECT_EQ(recorder.offered[0], (std::pair<std::string, std::vector<std::uint32_t>>{"Manual", {12, 7}}));
  EXPECT_EQ(recorder.pages.size(), 2u) << "cancelled";
  EXPECT_TRUE(m_reader.GetAskNextTime()) << "cancelled";
  ASSERT_NE(Resolved("Guide"), "");
  EXPECT_EQ(Resolved("Manual"), "");
  EXPECT_EQ(recorder.offered.size(), 1u) << "another name in between";

  recorder.answers = {7};
  EXPECT_EQ(Resolved("MANUAL"), seven);
  EXPECT_EQ(firmCode, 7u);
  ASSERT_EQ(recorder.offered.size(), 2u);
  EXPECT_EQ(recorder.offered[1].first, "MANUAL");
  EXPECT_FALSE(m_reader.GetAskNextTime());
  EXPECT_EQ(Resolved("Manual"), seven);
  EXPECT_EQ(recorder.offered.size(), 2u) << "not asked again";
  EXPECT_EQ(recorder.pages.size(), 3u);
}

// The user's catalog before the all-users one; archives handed over come first
// of all, by their exact name.
TEST_F(Resolve, HandedOverThenCurrentUserThenAllUsers) {
  const std::string mine = MakeArchive("mine.vxb", "Manual", 10);
  const std::string other = MakeArchive("other.vxb", "Manual", 11);
  ASSERT_TRUE(Register(MakeArchive("shared.vxb", "Manual", 10), Placement::AllUsers));
  ASSERT_TRUE(Register(other, Placement::AllUsers));
  EXPECT_EQ(Resolved("Manual"), "");  // two firm codes for all users
  ASSERT_TRUE(Register(mine, Placement::CurrentUser));
  EXPECT_EQ(Resolved("Other name"), "");
  EXPECT_EQ(Resolved("Manual"), mine);  // the user's one firm code
  EXPECT_EQ(Resolved("Manual", 11), other);  // firm code found for all users
  EXPECT_TRUE(m_reader.GetTempRegistrar().Add({"Manual", "/handed/over.vxb", 99, "note"}));
  EXPECT_FALSE(m_reader.GetTempRegistrar().Add({"Manual", "/second.vxb", 98}));
  EXPECT_EQ(Resolved("Manual", 10), "/handed/over.vxb");
  EXPECT_EQ(firmCode, 99u);
  EXPECT_EQ(m_reader.GetLastFirmCode(), 99u);
  EXPECT_EQ(Resolved("manual"), mine);  // case counts here
}

}  // namespace
