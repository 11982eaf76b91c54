// vxstserve for browsers on other machines (--public, as on any address but
// loopback): file: URLs open the archives it knows and nothing else, answered
// alike whether the file named exists or not; its pages name no server path;
// the file dialog is not offered.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "host/tests/ServerProcess.h"

namespace {

constexpr const char* kAllUsersCatalog =
    "HKLM\\Software\\VEXO-SYSTEMS\\VEXO-KEY\\Stowra\\03.00\\Documents\\";

class RemoteClientsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(m_scratch / "registry");
    Pack("Manual", "manual.vxb", "<p>handed</p>");
    Pack("Reg", "reg.vxb", "<p>registered</p>");
    Pack("Other", "other.vxb", "<p>neither</p>");
    Register("Reg", m_scratch / "reg.vxb");
    Register("Gone", m_scratch / "gone.vxb");
    ASSERT_EQ(::mkfifo((m_scratch / "fifo.vxb").c_str(), 0600), 0);
  }

  void Pack(const std::string& name, const std::string& file, const std::string& page) {
    std::filesystem::create_directories(m_scratch / (file + ".d"));
    m_scratch.Write(file + ".d/index.htm", page);
    std::string command = Quote(BuiltProgram("tools/vxb/vxb")) + " pack " +
                          Quote(m_scratch / (file + ".d")) + " -o " + Quote(m_scratch / file) +
                          " --name " + name + " --firm-code 3 --start index.htm >/dev/null";
    ASSERT_EQ(RunCommand(command), 0) << command;
  }
  void Register(const std::string& name, const std::string& path) {
    ASSERT_EQ(RunCommand("VXST_REGISTRY_DIR=" + Quote(m_scratch / "registry") + " " +
                         Quote(BuiltProgram("platform/tools/vxreg/vxreg")) + " add " +
                         Quote(std::string(kAllUsersCatalog) + name + "\\FC3") + " /v Doc /d " +
                         Quote(path) + " /f >/dev/null"),
              0);
  }

  TempFolder m_scratch;
};

TEST_F(RemoteClientsTest, FileUrlsOpenKnownArchivesOnlyAndTellNothingOfOthers) {
  ServerProcess server({m_scratch / "manual.vxb"}, m_scratch, {"--public"},
                       {"VXST_PROBE=" + m_scratch.Path()});
  ASSERT_FALSE(server.Urls().empty());
  const std::string root = server.Origin() + "/vexost://";
  struct Case {
    std::string url;
    std::string body;  // "" for the answer of a file the host does not know
  };
  const std::string folder = m_scratch.Path();
  const std::string name = folder.substr(folder.rfind('/') + 1);
  const Case cases[] = {
      {root + "Manual/index.htm", "<p>handed</p>"},
      {root + "Reg/index.htm", "<p>registered</p>"},
      {root + "file:" + folder + "/manual.vxb/index.htm", "<p>handed</p>"},
      {root + "file:" + folder + "/reg.vxb/index.htm", "<p>registered</p>"},
      {root + "file:" + folder + "/other.vxb/", ""},  // an archive, but unknown
      {root + "file:" + folder + "/missing.vxb/", ""},
      {root + "file:" + folder + "/fifo.vxb/", ""},
      {root + "file:" + folder + "/../" + name + "/manual.vxb/", ""},
      {root + "file:%25VXST_PROBE%25/other.vxb/", ""},  // the server's environment
      {root + "file:$VXST_PROBE/other.vxb/", ""},
      {root + "file:/etc/passwd", ""},
      {root + "Manual::file:" + folder + "/other.vxb/", ""},
  };
  std::string refused;
  for (const Case& c : cases) {
    CurlResult answer = Curl(c.url);
    if (!c.body.empty()) {
      EXPECT_EQ(answer.status, 200) << c.url;
      EXPECT_EQ(answer.body, c.body) << c.url;
      continue;
    }
    EXPECT_EQ(answer.status, 404) << c.url;
    if (refused.empty()) refused = answer.body;
    EXPECT_EQ(answer.body, refused) << c.url << ": the same answer for every unknown file";
    EXPECT_EQ(answer.body.find(folder), std::string::npos) << c.url;
  }
  // Still serving: the FIFO was never opened.
  EXPECT_EQ(Curl(root + "Manual/index.htm").body, "<p>handed</p>");
}

TEST_F(RemoteClientsTest, PagesShowNoServerPathsAndNoFileDialog) {
  ServerProcess server({m_scratch / "manual.vxb"}, m_scratch, {"--public"});
  const std::string root = server.Origin() + "/vexost://";
  const std::string moduleFolder = BuiltProgram("reader");
  CurlResult list = Curl(server.Origin() + "/");
  EXPECT_EQ(list.status, 200);
  EXPECT_NE(list.body.find("reg.vxb"), std::string::npos) << list.body;
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
                                              " --data " + Quote("path=" + m_scratch / "reg.vxb"))
                .status,
            403);
}

}  // namespace
