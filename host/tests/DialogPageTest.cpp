// The reader's dialogs as pages of vxstserve, end to end with curl: the firm-code
// choice as links, the file dialog as a form whose path the reader's own dialog
// logic checks, posted only from the host's own pages with the token they carry.
#include <gtest/gtest.h>

#include "host/FormData.h"
#include "host/FormToken.h"
#include "host/tests/ServerProcess.h"

namespace {

class DialogPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Pack("Manual", 7, "<p>manual seven</p>", "m7.vxb");
    Pack("Manual", 12, "<p>manual twelve</p>", "m12.vxb");
    Pack("gone", 7, "<p>found again</p>", "found.vxb");  // the name in other case
  }
  void Pack(const std::string& name, unsigned firmCode, const std::string& page,
            const std::string& file) {
    PackFiles(m_scratch, file, name, firmCode, {{"index.htm", page}});
  }
  std::string RegisteredPath(const std::string& name, unsigned firmCode) {
    std::string output;
    RunRegistry(m_scratch, "query " + Quote(CatalogKey("HKCU", name, firmCode)) + " /v Doc",
                &output);
    const std::size_t at = output.find("REG_SZ    ");
    return at == std::string::npos ? "" : output.substr(at + 10, output.find('\n', at) - at - 10);
  }
  // FIELDS posted as they stand to URL from ORIGIN ("" for none); MORE: curl words.
  CurlResult PostAsIs(const std::string& url, const std::string& origin, const std::string& fields,
                      const std::string& more = "") {
    return Curl(url, "--data " + Quote(fields) + more +
                         (origin.empty() ? "" : " -H " + Quote("Origin: " + origin)));
  }
  // The same with the token of the last form fetched by Form().
  CurlResult Post(const std::string& url, const std::string& origin, const std::string& fields) {
    return PostAsIs(url, origin, "token=" + m_token + "&" + fields);
  }
  // The dialog page at URL; its form's token is kept for Post().
  CurlResult Form(const std::string& url) {
    CurlResult page = Curl(url);
    const std::size_t at = page.body.find("name=\"token\" value=\"");
    m_token = at == std::string::npos ? "" : page.body.substr(at + 20, 32);
    return page;
  }
  // The headers that keep a dialog page out of frames and from being read as another type.
  static void ExpectDialogPageHeaders(const CurlResult& page) {
    EXPECT_EQ(HeaderValue(page.headers, "X-Frame-Options"), "DENY");
    EXPECT_EQ(HeaderValue(page.headers, "X-Content-Type-Options"), "nosniff");
    EXPECT_EQ(HeaderValue(page.headers, "Cache-Control"), "no-store");
  }

  TempFolder m_scratch;
  std::string m_token;
};

// The firm-code choice; then a file taken without the box checked: it serves, but
// the catalog stays.
TEST_F(DialogPageTest, FirmCodeLinksAndAFileTakenWithoutUpdatingTheCatalog) {
  const std::string missing = m_scratch / "moved-away.vxb";
  RegisterDocument(m_scratch, "HKCU", "Gone", 7, missing);
  RegisterDocument(m_scratch, "HKCU", "Manual", 7, m_scratch / "m7.vxb");
  RegisterDocument(m_scratch, "HKCU", "Manual", 12, m_scratch / "m12.vxb");
  ServerProcess server({}, m_scratch);
  const std::string root = server.Origin() + "/vexost://";
  // The question at once, and the same again: a host never answers with the
  // reader's page that comes before the question in a viewer.
  CurlResult choice = Curl(root + "Manual/index.htm");
  EXPECT_EQ(choice.status, 200);
  EXPECT_EQ(Curl(root + "Manual/index.htm").body, choice.body);
  ExpectDialogPageHeaders(choice);
  for (const std::string link : {"<a href=\"/vexost://FirmCode:7::Manual/index.htm\">7</a>",
                                  "<a href=\"/vexost://FirmCode:12::Manual/index.htm\">12</a>"})
    ExpectInOrder(choice.body,
                  {"<title>Stowra Firm Code Request</title>",
                   "Multiple Documents were found with name:", "<p id=\"name\">Manual</p>",
                   "Please select the desired Firm Code:", link},
                  "the firm-code choice");
  EXPECT_EQ(Curl(root + "FirmCode:12::Manual/index.htm").body, "<p>manual twelve</p>");
  EXPECT_EQ(Curl(root + "FirmCode:7::Manual/index.htm").body, "<p>manual seven</p>");
  EXPECT_EQ(Curl(root + "Manual/index.htm").body, choice.body) << "one client's choice was kept";

  const std::string url = root + "Gone/index.htm";
  Form(url);
  // Another archive opened meanwhile: the reader would not ask for the file on
  // the next request, so the host asks it once more.
  EXPECT_EQ(Curl(root + "file:" + m_scratch / "m7.vxb" + "/", "-L").status, 200);
  EXPECT_EQ(Post(url, server.Origin(), "path=" + m_scratch / "found.vxb").status, 303);
  EXPECT_EQ(Curl(url).body, "<p>found again</p>");
  EXPECT_EQ(RegisteredPath("Gone", 7), missing);
}

// With two workers: every request, whichever worker takes it, gets the same form
// and the same checks, and the file taken by one is served by all.
TEST_F(DialogPageTest, FileFormIsCheckedByTheReaderAndCorrectsTheCatalog) {
  const std::string missing = m_scratch / "moved-away.vxb";
  RegisterDocument(m_scratch, "HKCU", "Gone", 7, missing);
  ServerProcess server({}, m_scratch, {"--workers", "2"});
  const std::string own = server.Origin(), url = own + "/vexost://Gone/index.htm";
  CurlResult form = Form(url);
  EXPECT_EQ(form.status, 200);
  ExpectDialogPageHeaders(form);
  ASSERT_EQ(m_token.size(), 32u) << form.body;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Curl(url).body, form.body) << "request " << i;
  ExpectInOrder(form.body,
                {"<title>Document File not found</title>",
                 "<p id=\"file\">File: " + missing + "</p>",
                 "<p id=\"document\">Document: Gone</p>",
                 "<form method=\"post\" action=\"/vexost://Gone/index.htm\">",
                 "value=\"" + missing + "\"",
                 "name=\"update\" value=\"1\"> Update Registry with valid file"},
                "the file form");
  EXPECT_EQ(form.body.find("&amp;Update"), std::string::npos);

  // Only the host's own pages may post, only the form, and only with its token:
  // a form written into an archive page has the host's origin but not the token.
  const std::string right = "path=" + m_scratch / "found.vxb" + "&update=1";
  const std::string token = "token=" + m_token + "&";
  struct Refusal {
    std::string url, origin, fields, more;
    int status;
  };
  const Refusal refusals[] = {
      {url, own, right, "", 403},
      {url, own, "token=&" + right, "", 403},
      {url, own, "token=" + NewFormToken() + "&" + right, "", 403},
      {url, own, "token=" + m_token.substr(0, 31) + "&" + right, "", 403},
      {url, "http://attacker.example", token + right, "", 403},
      {url, "", token + right, "", 403},
      {url, "null", token + right, "", 403},
      {own + "/", own, token + right, "", 405},
      {url, own, token + "update=1", "", 400},
      {url, own, token + "path=" + m_scratch / "found.vxb%00.txt", "", 400},
      {url, own, token + right, " -H 'Content-Type: text/plain'", 415},
  };
  for (const Refusal& r : refusals)
    EXPECT_EQ(PostAsIs(r.url, r.origin, r.fields, r.more).status, r.status)
        << r.url << " from [" << r.origin << "]: " << r.fields << r.more;
  EXPECT_EQ(RegisteredPath("Gone", 7), missing);

  // The reader's checks keep the form open with their message.
  Pack("Gone", 12, "<p>other firm</p>", "firm12.vxb");
  const std::pair<std::string, std::string> rejected[] = {
      {"m7.vxb", "Selected File has name &quot;Manual&quot; instead of &quot;Gone&quot;."},
      {"firm12.vxb", "Selected File has Firm Code 12 instead of 7."},
      {"nothing-here.vxb", "<p class=\"message\">"},
  };
  for (const auto& [file, message] : rejected) {
    CurlResult page = Post(url, own, "path=" + m_scratch / file);
    EXPECT_EQ(page.status, 200) << file;
    ExpectInOrder(page.body, {message, "value=\"" + m_scratch / file + "\""}, file);
  }
  EXPECT_EQ(RegisteredPath("Gone", 7), missing);

  // The right file (its name in other case) is taken, the catalog corrected,
  // and the browser sent back to the page.
  CurlResult accepted = Post(url, own, right);
  EXPECT_EQ(accepted.status, 303);
  EXPECT_EQ(HeaderValue(accepted.headers, "Location"), "/vexost://Gone/index.htm");
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Curl(url).body, "<p>found again</p>") << "request " << i;
  EXPECT_EQ(RegisteredPath("Gone", 7), m_scratch / "found.vxb");
}

TEST(FormData, DecodesFieldsAsBrowsersEncodeThem) {
  auto fields = ParseFormData("path=%2Fhome%2Fa+b%2Fx.vxb&update=1&path=second&flag&bad=%zz%4&=v");
  EXPECT_EQ(fields["path"], "/home/a b/x.vxb");
  EXPECT_EQ(fields["update"], "1");
  EXPECT_EQ(fields["flag"], "");
  EXPECT_TRUE(fields.count("flag"));
  EXPECT_EQ(fields["bad"], "%zz%4");
  EXPECT_EQ(fields[""], "v");
  EXPECT_TRUE(ParseFormData("").empty());
}

}  // namespace
