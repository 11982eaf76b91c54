// The URL grammar over the real catalog: the archive prefix spares the catalog,
// and a name in another spelling is read from the catalog again.
#include <gtest/gtest.h>

#include "reader/RequestUrl.h"
#include "reader/ResolveFailurePages.h"
#include "reader/tests/DialogTestSupport.h"
#include "reader/tests/RequestUrlTestSupport.h"

namespace dialog_tests {
namespace {

using request_url_tests::ArrangedPage;

// The reader around the grammar as the handler will build it: the catalog
// resolves names (read access, not quietly) and its failures become pages.
class CatalogServices : public request_url_tests::RecordingServices {
 public:
  explicit CatalogServices(ThisDocumentProfiling& catalog) : m_catalog(catalog) {
    m_catalog.SetFailureReport(&m_failurePages);
  }
  std::string ResolveArchive(const std::string& name, std::uint32_t& firmCode) override {
    resolutions.push_back({name, firmCode});
    return m_catalog.ResolveArchive(name, firmCode, false, false);
  }

 private:
  ThisDocumentProfiling& m_catalog;
  ResolveFailurePages m_failurePages{*this};
};

class RequestUrlCatalogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    manual = MakeArchive("manual.vxb", "Manual", 10);
    Register("Manual", 10, manual);
  }
  bool Parse(std::string_view url) { return grammar.ParseRequestUrl(url, request, services); }

  std::string manual;
  CatalogServices services{catalog};
  RequestUrlGrammar grammar;
  RequestUrl request;
};

TEST_F(RequestUrlCatalogTest, SecondRequestOfTheArchiveDoesNotReadTheCatalog) {
  EXPECT_TRUE(Parse("vexost://Manual/a.htm"));
  // The catalog entry goes; a request that read the catalog would now fail.
  ASSERT_TRUE(catalog.UnregisterArchive({true, "Manual", 10, manual}, stow::Placement::CurrentUser));

  EXPECT_TRUE(Parse("vexost://Manual/b.htm"));
  EXPECT_EQ(request.archivePath, "");
  EXPECT_EQ(request.topicPath, "b.htm");
  EXPECT_EQ(services.resolutions.size(), 1u);
  EXPECT_TRUE(services.pages.empty());

  EXPECT_FALSE(Parse("vexost://MANUAL/b.htm"));
  EXPECT_EQ(services.pages.back(), (ArrangedPage{3, {"MANUAL"}}));
}

}  // namespace
}  // namespace dialog_tests
