// The reader's dialogs as pages of vxstserve, end to end with curl: the firm-code
// choice as links, the file dialog as a form whose path the reader's own dialog
// logic checks, posted only from the host's own pages with the token they carry.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/FormData.h"
#include "host/FormToken.h"
#include "host/tests/ServerProcess.h"

namespace {

constexpr const char* kCatalog =
    "HKCU\\Software\\VEXO-SYSTEMS\\VEXO-KEY\\Stowra\\03.00\\Documents\\";

class DialogPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(m_scratch / "registry");
    Pack("Manual", 7, "<p>manual seven</p>", "m7.vxb");
    Pack("Manual", 12, "<p>manual twelve</p>", "m12.vxb");
    Pack("gone", 7, "<p>found again</p>", "found.vxb");  // the name in other case
  }

  void Pack(const std::string& name, unsigned firmCode, const std::string& page,
            const std::string& file) {
    std::string folder = m_scratch / (file + ".d");
    std::filesystem::create_directories(folder);
    m_scratch.Write(file + ".d/index.htm", page);
    std::string command = Quote(BuiltProgram("tools/vxb/vxb")) + " pack " + Quote(folder) + " -o " +
                          Quote(m_scratch / file) + " --name " + name + " --firm-code " +
                          std::to_string(firmCode) + " --start index.htm >/dev/null";
    ASSERT_EQ(RunCommand(command), 0) << command;
  }

  int Registry(const std::string& words, std::string* output = nullptr) {
    return RunCommand("VXST_REGISTRY_DIR=" + Quote(m_scratch / "registry") + " " +
                          Quote(BuiltProgram("platform/tools/vxreg/vxreg")) + " " + words,
                      output);
  }
  void Register(const std::string& name, unsigned firmCode, const std::string& path) {
    ASSERT_EQ(
        Registry("add " + Quote(std::string(kCatalog) + name + "\\FC" + std::to_string(firmCode)) +
                 " /v Doc /d " + Quote(path) + " /f >/dev/null"),
        0);
  }
  std::string RegisteredPath(const std::string& name, unsigned firmCode) {
    std::string output;
    Registry("query " + Quote(std::string(kCatalog) + name + "\\FC" + std::to_string(firmCode)) +
                 " /v Doc",
             &output);
    std::size_t at = output.find("REG_SZ    ");
    return at == std::string::npos ? "" : output.substr(at + 10, output.find('\n', at) - at - 10);
  }
  // A POST of the file dialog's form from ORIGIN ("" for none), with the token of
  // the last form fetched by Form().
  CurlResult Post(const std::string& url, const std::string& origin, const std::string& fields) {
    return PostAsIs(url, origin, "token=" + m_token + "&" + fields);
  }
  CurlResult PostAsIs(const std::string& url, const std::string& origin,
                      const std::string& fields) {
    std::string options = "--data " + Quote(fields);
    if (!origin.empty()) options += " -H " + Quote("Origin: " + origin);
    return Curl(url, options);
  }
  // The dialog page at URL; its form's token is kept for Post().
  CurlResult Form(const std::string& url) {
    CurlResult page = Curl(url);
    const std::string field = "name=\"token\" value=\"";
    const std::size_t at = page.body.find(field);
    m_token = at == std::string::npos ? "" : page.body.substr(at + field.size(), 32);
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

TEST_F(DialogPageTest, AmbiguousNameOffersEachFirmCodeAsALink) {
  Register("Manual", 7, m_scratch / "m7.vxb");
  Register("Manual", 12, m_scratch / "m12.vxb");
  ServerProcess server({}, m_scratch);
  std::string url = server.Origin() + "/vexost://Manual/index.htm";
  EXPECT_EQ(Curl(url).status, 404);  // the reader's page for an ambiguous name first
  CurlResult choice = Curl(url);     // then its question
  EXPECT_EQ(choice.status, 200);
  ExpectDialogPageHeaders(choice);
  EXPECT_NE(choice.body.find("<title>Stowra Firm Code Request</title>"), std::string::npos);
  EXPECT_NE(choice.body.find("Multiple Documents were found with name:"), std::string::npos);
  EXPECT_NE(choice.body.find("<p id=\"name\">Manual</p>"), std::string::npos);
  EXPECT_NE(choice.body.find("Please select the desired Firm Code:"), std::string::npos);
  std::size_t seven = choice.body.find("<a href=\"/vexost://FirmCode:7::Manual/index.htm\">7</a>");
  std::size_t twelve =
      choice.body.find("<a href=\"/vexost://FirmCode:12::Manual/index.htm\">12</a>");
  ASSERT_NE(seven, std::string::npos) << choice.body;
  ASSERT_NE(twelve, std::string::npos) << choice.body;
  EXPECT_EQ(Curl(server.Origin() + "/vexost://FirmCode:12::Manual/index.htm").body,
            "<p>manual twelve</p>");
  EXPECT_EQ(Curl(server.Origin() + "/vexost://FirmCode:7::Manual/index.htm").body,
            "<p>manual seven</p>");
}

TEST_F(DialogPageTest, FileFormIsCheckedByTheReaderAndCorrectsTheCatalog) {
  const std::string missing = m_scratch / "moved-away.vxb";
  Register("Gone", 7, missing);
  ServerProcess server({}, m_scratch);
  std::string url = server.Origin() + "/vexost://Gone/index.htm";
  EXPECT_EQ(Curl(url).status, 404);  // the reader's page for a file it cannot open first
  CurlResult form = Form(url);
  EXPECT_EQ(form.status, 200);
  ExpectDialogPageHeaders(form);
  ASSERT_EQ(m_token.size(), 32u) << form.body;
  EXPECT_NE(form.body.find("<title>Document File not found</title>"), std::string::npos);
  EXPECT_NE(form.body.find("<p id=\"file\">File: " + missing + "</p>"), std::string::npos)
      << form.body;
  EXPECT_NE(form.body.find("<p id=\"document\">Document: Gone</p>"), std::string::npos);
  EXPECT_NE(form.body.find("<form method=\"post\" action=\"/vexost://Gone/index.htm\">"),
            std::string::npos);
  EXPECT_NE(form.body.find("value=\"" + missing + "\""), std::string::npos);
  EXPECT_NE(form.body.find("name=\"update\" value=\"1\"> Update Registry with valid file"),
            std::string::npos);
  EXPECT_EQ(form.body.find("&amp;Update"), std::string::npos);

  // Only the host's own pages may post, only the form, and only with its token:
  // a form written into an archive page has the host's origin but not the token.
  const std::string right = "path=" + m_scratch / "found.vxb" + "&update=1";
  EXPECT_EQ(PostAsIs(url, server.Origin(), right).status, 403);
  EXPECT_EQ(PostAsIs(url, server.Origin(), "token=&" + right).status, 403);
  EXPECT_EQ(PostAsIs(url, server.Origin(), "token=" + NewFormToken() + "&" + right).status, 403);
  EXPECT_EQ(PostAsIs(url, server.Origin(), "token=" + m_token.substr(0, 31) + "&" + right).status,
            403);
  EXPECT_EQ(Post(url, "http://attacker.example", right).status, 403);
  EXPECT_EQ(Post(url, "", right).status, 403);
  EXPECT_EQ(Post(url, "null", right).status, 403);
  EXPECT_EQ(Post(server.Origin() + "/", server.Origin(), right).status, 405);
  EXPECT_EQ(Post(url, server.Origin(), "update=1").status, 400);
  EXPECT_EQ(Post(url, server.Origin(), "path=" + m_scratch / "found.vxb%00.txt").status, 400);
  EXPECT_EQ(Curl(url, "-H " + Quote("Origin: " + server.Origin()) +
                          " -H 'Content-Type: text/plain' --data " +
                          Quote("token=" + m_token + "&" + right))
                .status,
            415);
  EXPECT_EQ(RegisteredPath("Gone", 7), missing);

  // The reader's checks keep the form open with their message.
  CurlResult otherName = Post(url, server.Origin(), "path=" + m_scratch / "m7.vxb");
  EXPECT_EQ(otherName.status, 200);
  EXPECT_NE(
      otherName.body.find("Selected File has name &quot;Manual&quot; instead of &quot;Gone&quot;."),
      std::string::npos)
      << otherName.body;
  Pack("Gone", 12, "<p>other firm</p>", "firm12.vxb");
  CurlResult otherFirm = Post(url, server.Origin(), "path=" + m_scratch / "firm12.vxb");
  EXPECT_NE(otherFirm.body.find("Selected File has Firm Code 12 instead of 7."), std::string::npos)
      << otherFirm.body;
  EXPECT_NE(otherFirm.body.find("value=\"" + m_scratch / "firm12.vxb" + "\""), std::string::npos);
  CurlResult noArchive = Post(url, server.Origin(), "path=" + m_scratch / "nothing-here.vxb");
  EXPECT_EQ(noArchive.status, 200);
  EXPECT_NE(noArchive.body.find("class=\"message\""), std::string::npos);
  EXPECT_EQ(RegisteredPath("Gone", 7), missing);

  // The right file (its name in other case) is taken, the catalog corrected,
  // and the browser sent back to the page.
  CurlResult accepted = Post(url, server.Origin(), right);
  EXPECT_EQ(accepted.status, 303);
  EXPECT_EQ(HeaderValue(accepted.headers, "Location"), "/vexost://Gone/index.htm");
  EXPECT_EQ(Curl(url).body, "<p>found again</p>");
  EXPECT_EQ(RegisteredPath("Gone", 7), m_scratch / "found.vxb");
}

TEST_F(DialogPageTest, WithoutTheBoxTheFileServesButTheCatalogStays) {
  const std::string missing = m_scratch / "moved-away.vxb";
  Register("Gone", 7, missing);
  ServerProcess server({}, m_scratch);
  std::string url = server.Origin() + "/vexost://Gone/index.htm";
  Curl(url);
  Form(url);
  // Another archive opened meanwhile: the reader would not ask for the file on
  // the next request, so the host asks it once more.
  EXPECT_EQ(Curl(server.Origin() + "/vexost://file:" + m_scratch / "m7.vxb" + "/", "-L").status, 200);
  CurlResult accepted = Post(url, server.Origin(), "path=" + m_scratch / "found.vxb");
  EXPECT_EQ(accepted.status, 303);
  EXPECT_EQ(Curl(url).body, "<p>found again</p>");
  EXPECT_EQ(RegisteredPath("Gone", 7), missing);
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
