// The stow program on a private X server, driven by its test script: archives
// built by vxb pack, pages with their images, links, back, the error box of a
// file that is no archive, the window placement and zoom kept between runs, the
// archive shown after opening another, find in page, keys, mouse buttons, drops,
// recent archives, links that leave the archive, and the command line without
// a window.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cairo.h>

#include <algorithm>
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

const KelAppDescriptor kReaderDescriptor{"VxStRd", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS", 0x300};

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

  // Packs FILE (in the scratch folder) named NAME, whose start topic guide/start.htm
  // shows LABEL with links to guide/next.htm (with a form), out of the archive and to a mailer.
  std::string PackGuide(const std::string& file, const std::string& name,
                        const std::string& label) {
    const std::string source = m_folder / ("source-" + file);
    std::filesystem::create_directories(source + "/guide");
    std::ofstream(source + "/guide/start.htm")
        << "<html><head><title>" << label << " start</title></head><body><h1>" << label
        << " start</h1>"
        << "<p>Reading " << label << " is pleasant; " << label << " pages are small.</p>"
        << "<p><a href=\"next.htm\">Next</a> <a "
           "href=\"https://example.invalid/outside?q=1\">Outside</a> "
        << "<a href=\"mailto:help@example.invalid\">Mail</a></p></body></html>";
    std::ofstream(source + "/guide/next.htm")
        << "<html><head><title>" << label << " next</title></head>"
        << "<body><a href=\"start.htm\">Start</a> <input id=\"field\">"
        << "</body></html>";
    const std::string archive = m_folder / file;
    const std::string command = Quoted(VXST_VXB) + " pack " + Quoted(source) + " -o " +
                                Quoted(archive) + " --name " + Quoted(name) +
                                " --firm-code 7 --start guide/start.htm > /dev/null";
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
    // Started in the scratch folder, where a relative file name finds its archive.
    std::string command = "cd " + Quoted(m_folder.Path()) + " && " + Quoted(VXST_STOW);
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

// Whether the PNG at PATH holds COLOUR (0xRRGGBB) in at least 100 pixels of the
// rectangle at LEFT, TOP of WIDTH and HEIGHT.
bool HasColour(const std::string& path, std::uint32_t colour, int left, int top, int width,
               int height) {
  cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
  int count = 0;
  if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(image);
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int bottom = std::min(top + height, cairo_image_surface_get_height(image));
    const int right = std::min(left + width, cairo_image_surface_get_width(image));
    for (int y = std::max(0, top); y < bottom; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
      for (int x = std::max(0, left); x < right; ++x) count += (row[x] & 0xFFFFFF) == colour;
    }
  }
  cairo_surface_destroy(image);
  return count >= 100;
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
  const std::string start = "vexost://file%3A" + archive + "::/index.htm";
  const std::string page = "vexost://file%3A" + archive + "::/intro/page.htm";
  EXPECT_EQ(All(values, "uri"), (std::vector<std::string>{start, page, start, page}));
  EXPECT_EQ(All(values, "images"), (std::vector<std::string>{"1/1", "1/1"}));
  EXPECT_EQ(All(values, "home"), std::vector<std::string>(4, "vexost://file:" + archive));
  EXPECT_EQ(All(values, "title").front(), "vexost://file:" + archive + " - SwDocViewer");
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
  EXPECT_EQ(All(values, "uri").back(), "vexost://file%3A" + archive + "::/intro/page.htm");
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
  ThisDocumentProfiling catalog(kReaderDescriptor);
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
  ThisDocumentProfiling catalog(kReaderDescriptor);
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
  EXPECT_EQ(m_errors.find("CRITICAL"), std::string::npos) << m_errors;
}

TEST_F(StowProgram, ZoomKeysStepAndTheZoomIsKeptForTheNextStart) {
  const std::string report = Report();
  ASSERT_EQ(RunStow({}, {"key ctrl+plus", "key ctrl+equal", "report " + report, "key ctrl+minus",
                         "report " + report, "quit"}),
            0)
      << m_errors;
  ASSERT_EQ(RunStow({}, {"report " + report, "key ctrl+0", "report " + report, "quit"}), 0)
      << m_errors;
  EXPECT_EQ(All(ReadReport(report), "zoom"),
            (std::vector<std::string>{"125", "110", "110", "100"}));
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
  EXPECT_EQ(All(values, "uri"),
            (std::vector<std::string>{"vexost://file%3A" + manual + "::/index.htm",
                                      "vexost://file%3A" + guide + "::/index.htm"}));
  EXPECT_EQ(All(values, "loads"), (std::vector<std::string>{"2", "3"}));
  EXPECT_EQ(All(values, "title").back(), "vexost://file:" + guide + " - SwDocViewer");
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

// Script-driven cases on a set of archives: Alpha (alpha.vxb, and again as
// vexost-alpha.vxb), a second file of the name Alpha (alpha-v2.vxb) and Beta,
// which is registered in the catalog too. Each case starts with a fresh
// registry; {name} stands for a file's path, {url:name} for the address of its
// start page and {home:name} for its home.
class StowScriptCases : public StowProgram {
 protected:
  void SetUp() override {
    StowProgram::SetUp();
    m_files = {{"alpha", PackGuide("alpha.vxb", "Alpha", "Alpha")},
               {"valpha", PackGuide("vexost-alpha.vxb", "Alpha", "Alpha")},
               {"alpha2", PackGuide("alpha-v2.vxb", "Alpha", "Alpha v2")},
               {"beta", PackGuide("beta.vxb", "Beta", "Beta")}};
  }

  std::string Expand(std::string text) const {
    for (const auto& [name, path] : m_files) {
      for (const auto& [mark, value] :
           {std::pair{"{" + name + "}", path},
            {"{url:" + name + "}", "vexost://file%3A" + path + "::/guide/"},
            {"{home:" + name + "}", "vexost://file:" + path},
            {"{folder}", m_folder.Path()},
            {"{artefacts}", std::string(VXST_BINARY_DIR) + "/viewer/artefacts"}})
        for (std::size_t at = text.find(mark); at != std::string::npos;
             at = text.find(mark, at + value.size()))
          text.replace(at, mark.size(), value);
    }
    return text;
  }

  std::map<std::string, std::string> m_files;
};

TEST_F(StowScriptCases, FaultsAndHabitsOfADailyReader) {
  using Values = std::map<std::string, std::vector<std::string>>;
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    std::vector<std::string> lines;  // "report" and friends write into the case's report
    Values expected;
  } cases[] = {
      {"home after opening another archive goes to that one",
       {"{alpha}"},
       {"wait", "follow-link next.htm", "open {beta}", "follow-link next.htm", "home", "report",
        "page"},
       {{"uri", {"{url:beta}start.htm"}}, {"home", {"{home:beta}"}}, {"page", {"Beta start"}}}},
      {"a second archive of the same name shows its own pages",
       {"{alpha}"},
       {"wait", "page", "open {alpha2}", "page", "follow-link next.htm", "home", "page"},
       {{"page", {"Alpha start", "Alpha v2 start", "Alpha v2 start"}}}},
      {"a file whose name begins with vexost is a file",
       {"vexost-alpha.vxb"},
       {"wait", "page", "report"},
       {{"page", {"Alpha start"}}, {"uri", {"{url:valpha}start.htm"}}}},
      {"a file URL without topic goes to the start topic's real path, its links resolve there",
       {"vexost://file:{alpha}/"},
       {"wait", "report", "follow-link next.htm", "report", "navigate vexost://file:{alpha}",
        "report"},
       {{"uri", {"{url:alpha}start.htm", "{url:alpha}next.htm", "{url:alpha}start.htm"}}}},
      {"a name without topic goes to the start topic's real path, and so does home",
       {"vexost://Beta"},
       {"wait", "report", "follow-link next.htm", "home", "report"},
       {{"uri", {"vexost://Beta/guide/start.htm", "vexost://Beta/guide/start.htm"}},
        {"home", {"vexost://Beta", "vexost://Beta"}}}},
      {"find bar: Ctrl+F opens it, matches are counted, Esc closes it",
       {"{alpha}"},
       {"wait", "key ctrl+f", "report", "find alpha", "report",
        "window-screenshot {artefacts}/stow-find.png", "find nowhere-to-be-found", "report",
        "key Escape", "report"},
       {{"find", {"shown ", "shown 3 matches", "shown No matches", "hidden "}}}},
      {"Alt+Left, Alt+Right and the mouse's back and forward buttons",
       {"{alpha}"},
       {"wait", "follow-link next.htm", "key alt+Left", "await-load", "page", "key alt+Right",
        "await-load", "page", "button 8", "await-load", "page", "button 9", "await-load", "page"},
       {{"page", {"Alpha start", "Alpha next", "Alpha start", "Alpha next"}}}},
      {"Backspace edits a form and does not go back",
       {"{alpha}"},
       {"wait", "follow-link next.htm", "focus-page",
        "eval document.getElementById('field').focus() || 'focused'", "type abc", "key BackSpace",
        "eval document.getElementById('field').value",
        "eval document.activeElement.blur() || 'blurred'", "key BackSpace", "page"},
       {{"eval", {"focused", "ab", "blurred"}}, {"page", {"Alpha next"}}}},
      {"a dropped archive opens; recent archives: files opened lately, then the catalog's",
       {"{alpha}"},
       {"wait", "drop {beta}", "page", "recent", "open-recent 2", "page", "drop {folder}/notes.txt",
        "page", "navigate file://{beta}", "page"},  // as the view loads a file dropped on it
       {{"page", {"Beta start", "Alpha start", "Alpha start", "Beta start"}},
        {"recent",
         {"beta.vxb - {folder}|{beta}", "alpha.vxb - {folder}|{alpha}",
          "Beta (7) - {beta}|{beta}"}}}},
      {"search: Ctrl+K, a results page that waits for the index, a result and back to it, "
       "suggestions, all archives",
       {"{alpha}"},
       {"wait", "key ctrl+k", "report", "navigate vexost-search:results?q=pleasant&file={alpha}",
        "eval document.body.innerText.includes('alpha.vxb is being indexed')", "search-idle",
        "navigate vexost-search:results?q=pleasant&file={alpha}",
        "eval [...document.querySelectorAll('.hit a')].map(a => a.textContent).join('|')",
        "key ctrl+k", "type pleasant", "key Return", "await-load",
        "eval [...document.querySelectorAll('.hit a')].map(a => a.textContent).join('|')",
        "window-screenshot {artefacts}/stow-search.png", "follow-link start.htm", "page", "back", "page", "key ctrl+k", "type Alpha n",
        "suggestions", "choose-suggestion 1", "page", "search-all on", "key ctrl+k",
        "type pleasant", "key Return", "await-load", "search-idle", "key ctrl+k", "key Return",
        "await-load", "eval document.querySelectorAll('.hit').length"},
       {{"search", {"focused shown"}},
        {"eval", {"true", "Alpha start", "Alpha start", "2"}},
        {"page", {"Alpha start", "pleasant - Search", "Alpha next"}},
        {"suggestion", {"Alpha next"}}}},
  };
  m_folder.Write("notes.txt", "no archive");
  std::filesystem::create_directories(std::string(VXST_BINARY_DIR) + "/viewer/artefacts");
  int number = 0;
  for (const auto& c : cases) {
    const std::string registry = m_folder / ("registry-" + std::to_string(++number));
    std::filesystem::create_directories(registry);
    setenv("VXST_REGISTRY_DIR", registry.c_str(), 1);
    ThisDocumentProfiling catalog(kReaderDescriptor);
    ASSERT_TRUE(
        catalog.RegisterArchive({true, "Beta", 7, m_files["beta"]}, stow::Placement::CurrentUser));
    const std::string report = m_folder / ("report-" + std::to_string(number));
    std::vector<std::string> arguments, lines;
    for (const std::string& argument : c.arguments) arguments.push_back(Expand(argument));
    for (const std::string& line : c.lines) {
      const bool reports = line == "report" || line == "page" || line == "recent" ||
                           line == "suggestions" || line.starts_with("eval ");
      lines.push_back(Expand(
          reports ? line.substr(0, line.find(' ')) + " " + report +
                        (line.find(' ') == std::string::npos ? "" : line.substr(line.find(' ')))
                  : line));
    }
    lines.push_back("quit");
    ASSERT_EQ(RunStow(arguments, lines), 0) << c.name << "\n" << m_errors;
    EXPECT_EQ(m_errors.find("CRITICAL"), std::string::npos) << c.name << "\n" << m_errors;
    const auto values = ReadReport(report);
    for (const auto& [key, expected] : c.expected) {
      std::vector<std::string> wanted;
      for (const std::string& value : expected) wanted.push_back(Expand(value));
      EXPECT_EQ(All(values, key), wanted) << c.name << ": " << key << "\n" << m_errors;
    }
  }
}

// Links that leave the archives go to the desktop's opener (here a stand-in
// registered for the schemes) and the view stays where it is.
TEST_F(StowScriptCases, LinksOutOfTheArchiveGoToTheDesktopsOpener) {
  const std::string opened = m_folder / "opened";
  const std::string opener =
      m_folder.Write("opener.sh", "#!/bin/sh\necho \"$1\" >> '" + opened + "'\n");
  std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  for (const char* scheme : {"https", "mailto"}) {
    HKEY key = nullptr;
    const std::string path = std::string(scheme) + "\\Shell\\Open\\Command";
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const std::string command = opener + " \"%1\"";
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
    RegCloseKey(key);
  }
  const std::string report = Report();
  ASSERT_EQ(RunStow({m_files["alpha"]}, {"wait", "click-link example.invalid/outside",
                                         "click-link mailto:", "report " + report, "quit"}),
            0)
      << m_errors;
  EXPECT_EQ(All(ReadReport(report), "uri"),
            std::vector<std::string>{Expand("{url:alpha}start.htm")});
  EXPECT_EQ(All(ReadReport(report), "loads"), std::vector<std::string>{"1"});
  std::string handed;
  for (int i = 0; i < 100 && std::count(handed.begin(), handed.end(), '\n') < 2; ++i) {
    usleep(100000);
    handed = TempFolder::ReadAll(opened);
  }
  EXPECT_EQ(handed, "https://example.invalid/outside?q=1\nmailto:help@example.invalid\n");
}

// The sample manual's figure, an SVG topic, shows in the window in its colours.
TEST_F(StowProgram, SampleManualShowsItsSvgFigure) {
  const std::string archive = m_folder / "sample.vxb";
  const std::string pack =
      Quoted(VXST_VXB) + " pack " + Quoted(std::string(VXST_SOURCE_DIR) + "/sample/manual") +
      " -o " + Quoted(archive) + " --name SampleManual --firm-code 1 --start index.htm > /dev/null";
  ASSERT_EQ(std::system(pack.c_str()), 0);
  const std::string artefacts = std::string(VXST_BINARY_DIR) + "/viewer/artefacts";
  std::filesystem::create_directories(artefacts);
  const std::string shot = artefacts + "/stow-sample-figure.png";
  std::filesystem::remove(shot);
  const std::string report = Report();
  // The figure is scrolled into view; its place in the view bounds the colours looked for,
  // as the page's style uses them too.
  const std::string place =
      "(function(){const i=document.querySelector('img[src$=\".svg\"]'); i.scrollIntoView();"
      " const r=i.getBoundingClientRect(); return "
      "[r.x,r.y,r.width,r.height].map(Math.round).join(' ');})()";
  ASSERT_EQ(RunStow({archive}, {"wait", "images " + report, "eval " + report + " " + place,
                                "screenshot " + shot, "quit"}),
            0)
      << m_errors;
  const auto values = ReadReport(report);
  ASSERT_EQ(All(values, "images").size(), 1u);
  const std::string images = All(values, "images").front();
  EXPECT_EQ(images.substr(0, images.find('/')), images.substr(images.find('/') + 1))
      << "not every image loaded";
  int left = 0, top = 0, width = 0, height = 0;
  ASSERT_EQ(All(values, "eval").size(), 1u);
  std::istringstream(All(values, "eval").front()) >> left >> top >> width >> height;
  EXPECT_GE(width, 600) << All(values, "eval").front();
  EXPECT_TRUE(HasColour(shot, 0xE4EBF2, left, top, width, height))
      << "no boxes of the figure in " << shot;
  EXPECT_TRUE(HasColour(shot, 0x23405E, left, top, width, height))
      << "no lines of the figure in " << shot;
}

// What stow does without opening a window: help, a wrong option, no display, and
// a start from the build tree with nothing registered.
TEST_F(StowProgram, CommandLinesThatNeedNoWindowOrFindTheModuleInTheBuildTree) {
  const struct {
    const char* name;
    std::string environment;
    std::vector<std::string> arguments;
    int exitCode;
    std::string output;  // the start of standard output
    std::string errors;  // standard error, all of it
  } cases[] = {
      {"help", "env -u DISPLAY", {"--help"}, 0, "Usage: stow [ARCHIVE.vxb | vexost:URL]", ""},
      {"unknown option",
       "",
       {"--frobnicate"},
       2,
       "",
       "stow: unknown option --frobnicate\nUsage: stow"},
      {"no display",
       "env -u DISPLAY -u WAYLAND_DISPLAY",
       {},
       1,
       "",
       "stow: there is no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not "
       "set)\n"},
      {"unopenable display",
       "env -u WAYLAND_DISPLAY DISPLAY=:4095",
       {},
       1,
       "",
       "stow: the display :4095 cannot be opened\n"},
      {"module from the build tree", "env -u VXST_READER_MODULE", {}, 0, "", ""},
  };
  for (const auto& c : cases) {
    // The leak checker's summary (a sanitizer build) is no message of stow's.
    std::string command = "cd " + Quoted(m_folder.Path()) + " && " + c.environment +
                          " LSAN_OPTIONS=${LSAN_OPTIONS:+$LSAN_OPTIONS:}print_suppressions=0" +
                          " VXST_STOW_SCRIPT=" + Quoted(m_folder.Write("quit", "quit\n")) + " " +
                          Quoted(VXST_STOW);
    for (const std::string& argument : c.arguments) command += " " + Quoted(argument);
    command += " > " + Quoted(m_folder / "out") + " 2> " + Quoted(m_folder / "errors");
    const int status = std::system(command.c_str());
    const std::string out = TempFolder::ReadAll(m_folder / "out");
    const std::string errors = TempFolder::ReadAll(m_folder / "errors");
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.exitCode) << c.name << "\n" << errors;
    EXPECT_TRUE(out.starts_with(c.output)) << c.name << "\n" << out;
    if (c.errors.ends_with('\n') || c.errors.empty())
      EXPECT_EQ(errors, c.errors) << c.name;
    else
      EXPECT_TRUE(errors.starts_with(c.errors)) << c.name << "\n" << errors;
  }
}

}  // namespace
