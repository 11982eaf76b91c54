// The viewer's driver of the reader control against the real reader module,
// registered into a scratch registry: hand-over, browser object, and the URL of
// a handed-over archive served through the broker.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>

#include "platform/ProtocolBroker.h"
#include "platform/tests/ScratchRegistry.h"
#include "reader/client/ModuleSetup.h"
#include "viewer/CurrentArchive.h"
#include "viewer/ReaderControl.h"
#include "viewer/tests/ViewerTestSupport.h"

namespace {

class ControlView : public ArchiveView {
 public:
  explicit ControlView(viewer::IVexoStReaderCtl& control) : m_control(control) {}
  void HandOver(const std::string& name, const std::string& path, std::uint32_t firmCode,
                const std::string&) override {
    m_control.HandOver(name, path, firmCode);
  }
  void Navigate(const std::string& url) override { navigated = url; }
  std::string navigated;

 private:
  viewer::IVexoStReaderCtl& m_control;
};

class ReaderControl : public ScratchRegistry {
 protected:
  void SetUp() override {
    ScratchRegistry::SetUp();
    setenv("VXST_READER_MODULE", VXST_READER_MODULE, 1);
    setenv("VXST_CACHE_DIR", (m_files / "cache").c_str(), 1);
    setenv("VXST_UI", "none", 1);
    std::string error;
    ASSERT_FALSE(EnsureReaderModule(error).empty()) << error;
  }
  void TearDown() override {
    unsetenv("VXST_READER_MODULE");
    unsetenv("VXST_CACHE_DIR");
    unsetenv("VXST_UI");
    ScratchRegistry::TearDown();
  }

  TempFolder m_files;
};

TEST_F(ReaderControl, HandedOverArchiveIsServedByItsFileAndByName) {
  const std::string path = WriteTestArchive(m_files, "guide.vxb", "Guide", 5,
                                            {{"start.htm", "<html><body>Hello</body></html>"}},
                                            "start.htm");
  viewer::IVexoStReaderCtl control;
  control.CreateDispatch();
  CurrentArchive archive;
  archive.Set(path);
  ControlView view(control);
  archive.Show(view);
  EXPECT_EQ(view.navigated, "vexost://file:" + path);
  // The view goes to the file; links by the archive's name find it through the hand-over.
  ProtocolBroker broker;
  for (const std::string& url :
       {view.navigated + "::/start.htm", std::string("vexost://Guide/start.htm")}) {
    const ProtocolResponse response = broker.Fetch(url);
    EXPECT_EQ(response.result, S_OK) << url;
    EXPECT_EQ(response.mimeType, "text/html") << url;
    EXPECT_EQ(response.bytes, "<html><body>Hello</body></html>") << url;
  }
}

TEST_F(ReaderControl, BrowserObjectIsHeldAndReleased) {
  WebBrowserObject* browser = WebBrowserObject::Create();
  {
    viewer::IVexoStReaderCtl control;
    control.CreateDispatch();
    control.PutWebBrowser(browser);
    EXPECT_EQ(browser->AddRef(), 3u);
    browser->Release();
  }
  EXPECT_EQ(browser->Release(), 0u);
}

TEST_F(ReaderControl, UnregisteredModuleRaisesOnCreation) {
  unsetenv("VXST_READER_MODULE");
  ScratchRegistry::TearDown();
  ScratchRegistry::SetUp();
  viewer::IVexoStReaderCtl control;
  try {
    control.CreateDispatch();
    FAIL() << "no exception";
  } catch (ReaderControlException* failure) {
    EXPECT_TRUE(FAILED(failure->m_result));
    failure->Delete();
  }
}

}  // namespace
