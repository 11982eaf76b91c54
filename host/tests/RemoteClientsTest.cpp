// vxstserve for browsers on other machines (--public, as on any address but
// loopback): file: URLs open the archives it knows and nothing else, answered
// alike whether the file named exists or not; its pages name no server path;
// the file dialog is not offered.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "host/tests/ServerProcess.h"

namespace {

class RemoteClientsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string name : {"Manual", "Reg", "Other"})
      PackFiles(m_scratch, name + ".vxb", name, 3, {{"index.htm", "<p>" + name + "</p>"}});
    RegisterDocument(m_scratch, "HKLM", "Reg", 3, m_scratch / "Reg.vxb");
    RegisterDocument(m_scratch, "HKLM", "Gone", 3, m_scratch / "gone.vxb");
    ASSERT_EQ(::mkfifo((m_scratch / "fifo.vxb").c_str(), 0600), 0);
  }

  TempFolder m_scratch;
};

TEST_F(RemoteClientsTest, KnownArchivesOnlyAndNoServerPathOrFileDialog) {
  ServerProcess server({m_scratch / "Manual.vxb"}, m_scratch, {"--public"},
                       {"VXST_PROBE=" + m_scratch.Path()});
  ASSERT_FALSE(server.Urls().empty());
  const std::string root = server.Origin() + "/vexost://";
  struct Case {
    std::string url, body;  // body "" for the answer of a file the host does not know
  };
  const std::string folder = m_scratch.Path();
  const std::string name = folder.substr(folder.rfind('/') + 1);
  const Case cases[] = {
      {root + "Manual/index.htm", "<p>Manual</p>"},
      {root + "Reg/index.htm", "<p>Reg</p>"},
      {root + "file:" + folder + "/Manual.vxb/index.htm", "<p>Manual</p>"},
      {root + "file:" + folder + "/Reg.vxb/index.htm", "<p>Reg</p>"},
      {root + "file:" + folder + "/Other.vxb/", ""},  // an archive, but unknown
      {root + "file:" + folder + "/missing.vxb/", ""},
      {root + "file:" + folder + "/fifo.vxb/", ""},
      {root + "file:" + folder + "/../" + name + "/Manual.vxb/", ""},
      {root + "file:%25VXST_PROBE%25/Other.vxb/", ""},  // the server's environment
      {root + "file:$VXST_PROBE/Other.vxb/", ""},
      {root + "file:/etc/passwd", ""},
      {root + "Manual::file:" + folder + "/Other.vxb/", ""},
  };
  std::string refused;  // the same answer for every unknown file
  for (const Case& c : cases) {
    CurlResult answer = Curl(c.url);
    EXPECT_EQ(answer.status, c.body.empty() ? 404 : 200) << c.url;
    if (refused.empty() && c.body.empty()) refused = answer.body;
    EXPECT_EQ(answer.body, c.body.empty() ? refused : c.body) << c.url;
    EXPECT_EQ(answer.body.find(folder), std::string::npos) << c.url;
  }
  // Still serving: the FIFO was never opened.
  EXPECT_EQ(Curl(root + "Manual/index.htm").body, "<p>Manual</p>");

  // Pages name no server path and offer no file dialog.
  const std::string moduleFolder = BuiltProgram("reader");
  CurlResult list = Curl(server.Origin() + "/");
  EXPECT_EQ(list.status, 200);
  EXPECT_NE(list.body.find("Reg.vxb"), std::string::npos) << list.body;
  // The reader's page for a registered file that is gone, and on the next
  // request its page again: no form to enter a server path into.
  CurlResult gone = Curl(root + "Gone/index.htm");
  CurlResult again = Curl(root + "Gone/index.htm");
  EXPECT_EQ(again.status, 404);
  EXPECT_EQ(again.body.find("<form"), std::string::npos) << again.body;
  EXPECT_NE(again.body.find("gone.vxb"), std::string::npos) << again.body;
  CurlResult unknown = Curl(root + "Nobody/");
  for (const CurlResult* page : {&list, &gone, &again, &unknown}) {
    EXPECT_EQ(page->body.find(m_scratch.Path()), std::string::npos) << page->body;
    EXPECT_EQ(page->body.find(moduleFolder), std::string::npos) << page->body;
  }
  EXPECT_NE(unknown.body.find("src=\"/res://libvxstrd.so/stow.gif\""), std::string::npos)
      << unknown.body;
  CurlResult image = Curl(server.Origin() + "/res://libvxstrd.so/stow.gif");
  EXPECT_EQ(image.status, 200);
  EXPECT_EQ(HeaderValue(image.headers, "Content-Type"), "image/gif");
  EXPECT_EQ(Curl(root + "Gone/index.htm", "-H " + Quote("Origin: " + server.Origin()) +
                                              " --data " + Quote("path=" + m_scratch / "Reg.vxb"))
                .status,
            403);
}

}  // namespace
