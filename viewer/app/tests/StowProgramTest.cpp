// The stow program on a private X server, driven by its test script: archives
// built by vxb pack, pages with their images, links, back, the error box of a
// file that is no archive, and the window placement kept between runs.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cairo.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/KelAppDescriptor.h"
#include "catalog/ThisDocumentProfiling.h"
#include "platform/AppProfile.h"
#include "platform/Registry.h"
#include "platform/tests/TempFolder.h"
#include "platform/gtk/tests/XvfbDisplay.h"

namespace {

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// key=value lines of a report, each key with all its values in order.
std::multimap<std::string, std::string> ReadReport(const std::string& path) {
  std::multimap<std::string, std::string> values;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) values.emplace(line.substr(0, equals), line.substr(equals + 1));
  }
  return values;
}

std::vector<std::string> All(const std::multimap<std::string, std::string>& report, const std::string& key) {
  std::vector<std::string> out;
  for (auto [it, end] = report.equal_range(key); it != end; ++it) out.push_back(it->second);
  return out;
}

class StowProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(XvfbDisplay::Ensure()) << "Xvfb is needed";
    setenv("VXST_REGISTRY_DIR", (m_folder / "registry").c_str(), 1);
    setenv("VXST_CACHE_DIR", (m_folder / "cache").c_str(), 1);
    setenv("VXST_READER_MODULE", VXST_READER_MODULE, 1);
    setenv("VXST_UI", "none", 1);
    setenv("GSETTINGS_BACKEND", "memory", 1);
    setenv("XDG_CACHE_HOME", (m_folder / "xdg-cache").c_str(), 1);
    setenv("XDG_DATA_HOME", (m_folder / "xdg-data").c_str(), 1);
    std::filesystem::create_directories(m_folder / "registry");
  }
  void TearDown() override {
    for (const char* name : {"VXST_REGISTRY_DIR", "VXST_CACHE_DIR", "VXST_READER_MODULE", "VXST_UI",
                             "VXST_STOW_SCRIPT", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
      unsetenv(name);
  }

  // Packs a manual with a start page (an image and a link) and a second page.
  std::string PackManual(const std::string& name = "Manual", std::uint32_t firmCode = 7,
                         const std::string& stem = "") {
    const std::string file = stem.empty() ? name : stem;
    const std::string source = m_folder / ("source-" + file);
    std::filesystem::create_directories(source + "/intro");
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 120, 80);
    cairo_t* painter = cairo_create(image);
    cairo_set_source_rgb(painter, 0.8, 0.1, 0.1);
    cairo_paint(painter);
    cairo_destroy(painter);
    cairo_surface_write_to_png(image, (source + "/logo.png").c_str());
    cairo_surface_destroy(image);
    std::ofstream(source + "/index.htm")
        << "<html><head><title>" << file << "</title></head><body style=\"background:#fff\"><h1>" << name
        << " start page</h1>"
        << "<img src=\"logo.png\" width=\"120\" height=\"80\"><p><a href=\"intro/page.htm\">Introduction</a></p>"
        << "</body></html>";
    std::ofstream(source + "/intro/page.htm")
        << "<html><body><h1>Introduction</h1><a href=\"../index.htm\">Start</a>"
        // A query (a cache-busting version) names no other topic.
        << "<img src=\"../logo.png?v=2\" width=\"12\" height=\"8\"></body></html>";
    const std::string archive = m_folder / (file + ".vxb");
    const std::string command = Quoted(VXST_VXB) + " pack " + Quoted(source) + " -o " + Quoted(archive) +
                                " --name " + Quoted(name) + " --firm-code " + std::to_string(firmCode) +
                                " --start index.htm > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return archive;
  }

  // Runs stow with ARGUMENTS and the script LINES; its exit code. Standard error
  // is kept in m_errors, the script's report file is m_report.
  int RunStow(const std::vector<std::string>& arguments, const std::vector<std::string>& lines) {
    std::ofstream script(m_folder / "script");
    for (const std::string& line : lines) script << line << "\n";
    script.close();
    setenv("VXST_STOW_SCRIPT", (m_folder / "script").c_str(), 1);
    std::string command = Quoted(VXST_STOW);
    for (const std::string& argument : arguments) command += " " + Quoted(argument);
    command += " 2> " + Quoted(m_folder / "errors");
    const int status = std::system(command.c_str());
    m_errors = TempFolder::ReadAll(m_folder / "errors");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string Report() const { return m_folder / "report"; }

  static void SavePlacement(int showCmd, int left, int top, int right, int bottom) {
    const AppProfile profile("VEXO-SYSTEMS\\Stowra", "stow");
    for (auto [entry, value] : {std::pair{"flags", 0}, {"showCmd", showCmd}, {"x1", left},
                                {"y1", top}, {"x2", right}, {"y2", bottom}})
      ASSERT_TRUE(profile.WriteProfileInt("MainWnd", entry, value));
  }
  static std::string SavedPlacement() {
    const AppProfile profile("VEXO-SYSTEMS\\Stowra", "stow");
    std::string text;
    for (const char* entry : {"showCmd", "x1", "y1", "x2", "y2"})
      text += (text.empty() ? "" : " ") + std::to_string(profile.GetProfileInt("MainWnd", entry).value_or(-999));
    return text;
  }

  TempFolder m_folder;
  std::string m_errors;
};

// Distinct colours of the PNG at PATH and whether it holds the logo's red.
std::pair<std::size_t, bool> ColoursOf(const std::string& path) {
  cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
  std::set<std::uint32_t> colours;
  bool red = false;
  if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(image);
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    for (int y = 0; y < cairo_image_surface_get_height(image); ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
      for (int x = 0; x < cairo_image_surface_get_width(image); ++x) {
        const std::uint32_t pixel = row[x] & 0xFFFFFF;
        colours.insert(pixel);
        red = red || (((pixel >> 16) & 0xFF) > 180 && ((pixel >> 8) & 0xFF) < 60 && (pixel & 0xFF) < 60);
      }
    }
  }
  cairo_surface_destroy(image);
  return {colours.size(), red};
}

TEST_F(StowProgram, PackedArchiveShowsItsStartPageWithImageFollowsALinkAndGoesBack) {
  const std::string archive = PackManual();
  const std::string artefacts = std::string(VXST_BINARY_DIR) + "/viewer/artefacts";
  std::filesystem::create_directories(artefacts);
  const std::string shot = artefacts + "/stow-start-page.png";
  std::filesystem::remove(shot);
  const std::string report = Report();
  ASSERT_EQ(RunStow({archive}, {"wait", "report " + report, "images " + report, "screenshot " + shot,
                                "follow-link intro/page.htm", "report " + report, "images " + report, "back",
                                "report " + report, "forward", "report " + report, "quit"}),
            0)
      << m_errors;
  EXPECT_EQ(m_errors.find("Error Number"), std::string::npos) << m_errors;
  const auto values = ReadReport(report);
  EXPECT_EQ(All(values, "uri"), (std::vector<std::string>{"vexost://Manual", "vexost://Manual/intro/page.htm",
                                                          "vexost://Manual", "vexost://Manual/intro/page.htm"}));
  EXPECT_EQ(All(values, "images"), (std::vector<std::string>{"1/1", "1/1"}));
  EXPECT_EQ(All(values, "home"), (std::vector<std::string>{"", "vexost://Manual", "vexost://Manual",
                                                           "vexost://Manual"}));
  EXPECT_EQ(All(values, "title").front(), "vexost://Manual - SwDocViewer");
  const auto [colours, red] = ColoursOf(shot);
  EXPECT_GT(colours, 3u) << "the screenshot is blank: " << shot;
  EXPECT_TRUE(red) << "the page's image is not in the screenshot: " << shot;
}

TEST_F(StowProgram, VexostUrlIsNavigatedUnchangedAndReaderPagesShowTheModulesImage) {
  const std::string report = Report();
  const std::string url = "vexost://Nobody/intro/page.htm";
  ASSERT_EQ(RunStow({url}, {"wait", "report " + report, "images " + report, "home", "report " + report,
                            "quit"}),
            0)
      << m_errors;
  const auto values = ReadReport(report);
  EXPECT_EQ(All(values, "uri"), (std::vector<std::string>{url, "vexost://Nobody"}));
  EXPECT_EQ(All(values, "images"), std::vector<std::string>{"1/1"});  // the header image from res:
  EXPECT_EQ(All(values, "title").front(), url + " - SwDocViewer");
}

// An archive named by its path, without topic: its start page's relative links
// and images are topics of the archive; home returns to the start page.
TEST_F(StowProgram, FileUrlOfAnArchiveIsServedWithItsImagesAndLinks) {
  const std::string archive = PackManual("Handbook");
  const std::string report = Report();
  const std::string url = "vexost://file:" + archive;
  ASSERT_EQ(RunStow({url}, {"wait", "report " + report, "images " + report, "follow-link page.htm",
                            "report " + report, "home", "images " + report, "quit"}),
            0)
      << m_errors;
  const auto values = ReadReport(report);
  EXPECT_EQ(All(values, "images"), (std::vector<std::string>{"1/1", "1/1"}));
  EXPECT_EQ(All(values, "home"), (std::vector<std::string>{"vexost://file:" + archive,
                                                           "vexost://file:" + archive}));
  EXPECT_EQ(All(values, "uri").back(), "vexost://file%3A" + archive + "/intro/page.htm");
}

TEST_F(StowProgram, FileThatIsNoArchiveShowsError1600ThenTheEmptyWindow) {
  const std::string notes = m_folder.Write("notes.txt", "no archive at all");
  const std::string report = Report();
  ASSERT_EQ(RunStow({notes}, {"report " + report, "quit"}), 0);
  EXPECT_NE(m_errors.find("Error Number 1600"), std::string::npos) << m_errors;
  EXPECT_NE(m_errors.find(notes + " could not be opened"), std::string::npos) << m_errors;
  const auto values = ReadReport(report);
  EXPECT_EQ(All(values, "uri"), std::vector<std::string>{""});
  EXPECT_EQ(All(values, "loads"), std::vector<std::string>{"0"});
  EXPECT_EQ(All(values, "title"), std::vector<std::string>{"Untitled - SwDocViewer"});
}

TEST_F(StowProgram, OnTheDesktopTheErrorIsAGtkMessageBox) {
  unsetenv("VXST_UI");  // a window program chooses its windows by itself
  const std::string notes = m_folder.Write("notes.txt", "no archive at all");
  const std::string report = Report();
  ASSERT_EQ(RunStow({notes}, {"dialogs " + report, "report " + report, "about", "quit"}), 0) << m_errors;
  EXPECT_EQ(m_errors.find("Error Number"), std::string::npos) << "shown on the terminal: " << m_errors;
  const auto values = ReadReport(report);
  EXPECT_EQ(All(values, "dialog"), (std::vector<std::string>{"stow", "Stowra Reader"}));
  EXPECT_EQ(All(values, "text"), std::vector<std::string>{"Error Number 1600||" + notes + " could not be opened| "});
  EXPECT_EQ(All(values, "uri"), std::vector<std::string>{""});
}

// The reader module's firm-code dialog comes up in stow's GTK front-end: the
// second request for a name registered under two firm codes asks, and the
// first code, selected at the start, is served.
TEST_F(StowProgram, ModulesFirmCodeDialogIsShownWithGtk) {
  setenv("VXST_UI", "gtk", 1);
  const KelAppDescriptor descriptor{"VxStRd", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS", 0x300};
  ThisDocumentProfiling catalog(descriptor);
  ASSERT_TRUE(catalog.RegisterArchive({true, "Manual", 7, PackManual("Manual", 7, "seven")},
                                      stow::Placement::CurrentUser));
  ASSERT_TRUE(catalog.RegisterArchive({true, "Manual", 9, PackManual("Manual", 9, "nine")},
                                      stow::Placement::CurrentUser));
  const std::string report = Report();
  ASSERT_EQ(RunStow({"vexost://Manual/"}, {"dialogs " + report, "wait", "page " + report,
                                           "navigate vexost://Manual/index.htm", "page " + report, "quit"}),
            0)
      << m_errors;
  const auto values = ReadReport(report);
  EXPECT_EQ(All(values, "dialog"), std::vector<std::string>{"Stowra Firm Code Request"});
  const std::vector<std::string> pages = All(values, "page");
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_NE(pages[0], "seven");  // the first request reports the ambiguity
  EXPECT_EQ(pages[1], "seven") << TempFolder::ReadAll(report);
}

// The reader module's file dialog for a registered archive whose file is gone
// comes up in stow's GTK front-end on the second request; cancelled, the page
// about the file is shown again.
TEST_F(StowProgram, ModulesFileDialogIsShownWithGtk) {
  setenv("VXST_UI", "gtk", 1);
  const KelAppDescriptor descriptor{"VxStRd", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS", 0x300};
  ThisDocumentProfiling catalog(descriptor);
  ASSERT_TRUE(catalog.RegisterArchive({true, "Gone", 7, m_folder / "gone.vxb"}, stow::Placement::CurrentUser));
  const std::string report = Report();
  ASSERT_EQ(RunStow({"vexost://Gone/"}, {"dialogs " + report, "answer 2 Document File not found", "wait",
                                         "page " + report, "navigate vexost://Gone/index.htm",
                                         "page " + report, "quit"}),
            0)
      << m_errors;
  const auto values = ReadReport(report);
  EXPECT_EQ(All(values, "dialog"), std::vector<std::string>{"Document File not found"});
  const std::vector<std::string> pages = All(values, "page");
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0], pages[1]);
  EXPECT_NE(pages[0], "");
}

TEST_F(StowProgram, SavedRectangleLargerThanTheScreenIsBroughtInside) {
  SavePlacement(1, -200, -100, 3000, 2500);
  const std::string report = Report();
  ASSERT_EQ(RunStow({}, {"placement " + report, "quit"}), 0) << m_errors;
  const auto values = ReadReport(report);
  EXPECT_EQ(All(values, "placement"), std::vector<std::string>{"1 0 0 1024 768"});
  EXPECT_EQ(All(values, "window"), std::vector<std::string>{"0 0 1024 768"});
  EXPECT_EQ(SavedPlacement(), "1 0 0 1024 768");
}

TEST_F(StowProgram, SavedMinimizedWindowOpensRestored) {
  SavePlacement(2, 100, 80, 700, 580);
  const std::string report = Report();
  ASSERT_EQ(RunStow({}, {"placement " + report, "quit"}), 0) << m_errors;
  const auto values = ReadReport(report);
  EXPECT_EQ(All(values, "placement"), std::vector<std::string>{"1 100 80 700 580"});
  EXPECT_EQ(All(values, "window"), std::vector<std::string>{"100 80 600 500"});
  EXPECT_EQ(SavedPlacement(), "1 100 80 700 580");
}

TEST_F(StowProgram, PlacementIsSavedWhenTheWindowCloses) {
  EXPECT_EQ(SavedPlacement(), "-999 -999 -999 -999 -999");
  ASSERT_EQ(RunStow({}, {"quit"}), 0) << m_errors;
  EXPECT_EQ(SavedPlacement(), "1 0 0 900 700");
}

TEST_F(StowProgram, PlacementIsSavedWhenTheSessionEnds) {
  SavePlacement(2, 10, 20, 610, 520);  // minimized: written back as restored
  ASSERT_EQ(RunStow({}, {"end-session"}), 0) << m_errors;
  EXPECT_EQ(SavedPlacement(), "1 10 20 610 520");
}

TEST_F(StowProgram, OpenCommandHandsOverTheChosenArchiveAndCancelShowsTheCurrentOneAgain) {
  const std::string manual = PackManual();
  const std::string guide = PackManual("Guide");
  const std::string report = Report();
  ASSERT_EQ(RunStow({manual}, {"wait", "open-cancel", "report " + report, "open " + guide,
                               "report " + report, "about", "quit"}),
            0)
      << m_errors;
  const auto values = ReadReport(report);
  EXPECT_EQ(All(values, "uri"), (std::vector<std::string>{"vexost://Manual", "vexost://Guide"}));
  EXPECT_EQ(All(values, "loads"), (std::vector<std::string>{"2", "3"}));
  EXPECT_EQ(All(values, "title").back(), "vexost://Guide - SwDocViewer");
}

TEST_F(StowProgram, RegisteringSwitchesWriteAndRemoveTheShellSettings) {
  constexpr const char* kOpen =
      "SOFTWARE\\VEXO-SYSTEMS\\Shell Extension\\01.00\\Setting\\0009\\{00030002-0000-1101-8002-0000C06B5161}\\Open";
  ASSERT_EQ(RunStow({"/RegServer"}, {}), 0) << m_errors;
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOpen, 0, KEY_READ, &key), ERROR_SUCCESS);
  char command[1024] = {};
  DWORD size = sizeof command - 1;
  EXPECT_EQ(RegQueryValueExA(key, "Command", nullptr, nullptr, reinterpret_cast<BYTE*>(command), &size),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(std::string(command), std::filesystem::canonical(VXST_STOW).string() + " \"%1\"");
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "SwDocViewer.Document", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_EQ(RunStow({"-unregserver"}, {}), 0) << m_errors;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOpen, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "SwDocViewer.Document", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

}  // namespace
