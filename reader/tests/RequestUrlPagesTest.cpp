// The pages a URL ends in: the grammar's page arguments filled into the reader's
// templates with the last URL, as the browser will show them.
#include <gtest/gtest.h>

#include "reader/ReaderPages.h"
#include "reader/RequestUrl.h"
#include "reader/tests/HtmlInspection.h"

namespace {

const ReaderModuleInfo kModule{"4.11", "/opt/vexost/lib/libvxstrd.so", "/opt/vexost/lib", 2004};

// Formats every page arranged, as the handler will.
class FormattingServices : public RequestUrlServices {
 public:
  explicit FormattingServices(const RequestUrlGrammar& grammar) : m_grammar(grammar) {}
  void ArrangePage(unsigned page, std::vector<std::string> args) override {
    std::vector<PageArgument> plain;
    for (std::string& arg : args) plain.push_back({std::move(arg), false});
    html = FormatPage(page, plain, m_grammar.GetLastUrl(), kModule);
  }
  void ArrangeArchiveList() override { html = "list"; }
  std::string ResolveArchive(const std::string& name, std::uint32_t&) override {
    ArrangePage(kPageArchiveNotFound, {name});
    return {};
  }
  void ClearCacheEntries() override {}

  std::string html;

 private:
  const RequestUrlGrammar& m_grammar;
};

class RequestUrlPagesTest : public ::testing::Test {
 protected:
  std::string PageOf(std::string_view url) {
    RequestUrl request;
    EXPECT_FALSE(grammar.ParseRequestUrl(url, request, services));
    return services.html;
  }
  static bool Shows(const std::string& html, const std::string& text) {
    return html_inspection::VisibleText(html).find(text) != std::string::npos;
  }

  RequestUrlGrammar grammar;
  FormattingServices services{grammar};
};

TEST_F(RequestUrlPagesTest, HostileUrlsStayText) {
  const std::pair<const char*, const char*> cases[] = {
      {"vexost:/<script>alert(1)</script>", "URL \"vexost:/<script>alert(1)</script>\" wrong"},
      {"vexost:/\"><img src=x onerror=alert(1)>", "location \"><img src=x onerror=alert(1)>"},
      {"javascript:alert(1)//<b>", "location javascript:alert(1)//<b>"},
      {"vexost://%3Cscript%3Ealert(1)%3C/script%3E/", "Archive \"<script>alert(1)<\" not found"},
      {"VEXOST:/x%41", "wrong syntax at location xA"},
  };
  for (const auto& [url, shown] : cases) {
    const std::string html = PageOf(url);
    for (const html_inspection::Tag& tag : html_inspection::Tags(html)) {
      EXPECT_NE(tag.name, "script") << url;
      EXPECT_NE(tag.name, "b") << url;
      for (const auto& [name, value] : tag.attributes) EXPECT_NE(name, "onerror") << url;
    }
    EXPECT_PRED2(Shows, html, shown);
  }
}

}  // namespace
