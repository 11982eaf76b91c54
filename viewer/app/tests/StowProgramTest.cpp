// The stow program on a private X server, driven by its test script on archives
// built by vxb pack, and its command lines that need no window.
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
#include "platform/tests/ScratchRegistry.h"
#include "platform/tests/TempFolder.h"
#include "platform/gtk/tests/XvfbDisplay.h"

namespace {

const KelAppDescriptor kReaderDescriptor{"VxStRd", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS", 0x300};

// The scratch registry's helpers for keys, outside its fixture.
struct RegistryKeys : ScratchRegistry {
  using ScratchRegistry::GetText;
  using ScratchRegistry::PutText;
};

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The values of each key=value line of the report at PATH, in order.
std::map<std::string, std::vector<std::string>> ReadReport(const std::string& path) {
  std::map<std::string, std::vector<std::string>> values;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);)
    if (line.find('=') != std::string::npos)
      values[line.substr(0, line.find('='))].push_back(line.substr(line.find('=') + 1));
  return values;
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

  // Packs the folder SOURCE into ARCHIVE with vxb; ARCHIVE.
  static std::string Pack(const std::string& source, const std::string& archive,
                          const std::string& name, std::uint32_t firmCode, const char* start) {
    const std::string command = Quoted(VXST_VXB) + " pack " + Quoted(source) + " -o " +
                                Quoted(archive) + " --name " + Quoted(name) + " --firm-code " +
                                std::to_string(firmCode) + " --start " + start + " > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return archive;
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
    return Pack(source, m_folder / (file + ".vxb"), name, firmCode, "index.htm");
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
    return Pack(source, m_folder / file, name, 7, "guide/start.htm");
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
  // A fresh path for the screenshot NAME among the build's artefacts.
  static std::string Artefact(const std::string& name) {
    const std::string folder = std::string(VXST_BINARY_DIR) + "/viewer/artefacts";
    std::filesystem::create_directories(folder);
    std::filesystem::remove(folder + "/" + name);
    return folder + "/" + name;
  }

  TempFolder m_folder;
  std::string m_errors;
};

// Calls SEE(x, y, 0xRRGGBB) for each pixel of the PNG at PATH (none when it cannot be read).
template <typename See>
void ForEachPixel(const std::string& path, See see) {
  cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    for (int y = 0; y < cairo_image_surface_get_height(image); ++y) {
      const auto* row =
          reinterpret_cast<const std::uint32_t*>(data + y * cairo_image_surface_get_stride(image));
      for (int x = 0; x < cairo_image_surface_get_width(image); ++x) see(x, y, row[x] & 0xFFFFFF);
    }
  }
  cairo_surface_destroy(image);
}

// Distinct colours of the PNG at PATH and whether it holds the logo's red.
std::pair<std::size_t, bool> ColoursOf(const std::string& path) {
  std::set<std::uint32_t> colours;
  bool red = false;
  ForEachPixel(path, [&](int, int, std::uint32_t pixel) {
    colours.insert(pixel);
    red = red || (((pixel >> 16) & 0xFF) > 180 && ((pixel >> 8) & 0xFF) < 60 && (pixel & 0xFF) < 60);
  });
  return {colours.size(), red};
}

// Whether the PNG at PATH holds COLOUR (0xRRGGBB) in at least 100 pixels of the
// rectangle at LEFT, TOP of WIDTH and HEIGHT.
bool HasColour(const std::string& path, std::uint32_t colour, int left, int top, int width,
               int height) {
  int count = 0;
  ForEachPixel(path, [&](int x, int y, std::uint32_t pixel) {
    count += x >= left && x < left + width && y >= top && y < top + height && pixel == colour;
  });
  return count >= 100;
}

TEST_F(StowProgram, PackedArchiveShowsItsStartPageWithImageFollowsALinkAndGoesBack) {
  const std::string archive = PackManual();
  const std::string shot = Artefact("stow-start-page.png");
  const std::string report = Report();
  ASSERT_EQ(RunStow({archive}, {"wait", "report " + report, "images " + report, "screenshot " + shot,
                                "follow-link intro/page.htm", "report " + report, "images " + report, "back",
                                "report " + report, "forward", "report " + report, "quit"}),
            0)
      << m_errors;
  EXPECT_EQ(m_errors.find("Error Number"), std::string::npos) << m_errors;
  auto values = ReadReport(report);
  const std::string start = "vexost://file%3A" + archive + "::/index.htm";
  const std::string page = "vexost://file%3A" + archive + "::/intro/page.htm";
  EXPECT_EQ(values["uri"], (std::vector<std::string>{start, page, start, page}));
  EXPECT_EQ(values["images"], (std::vector<std::string>{"1/1", "1/1"}));
  EXPECT_EQ(values["home"], std::vector<std::string>(4, "vexost://file:" + archive));
  EXPECT_EQ(values["title"].front(), "vexost://file:" + archive + " - SwDocViewer");
  const auto [colours, red] = ColoursOf(shot);
  EXPECT_GT(colours, 3u) << "the screenshot is blank: " << shot;
  EXPECT_TRUE(red) << "the page's image is not in the screenshot: " << shot;
}

// A file that is no archive: error 1600, then the empty window. Without a chosen
// front-end (a window program on the desktop) the error is a GTK message box.
TEST_F(StowProgram, FileThatIsNoArchiveShowsError1600ThenTheEmptyWindow) {
  const std::string notes = m_folder.Write("notes.txt", "no archive at all");
  const std::string report = Report();
  ASSERT_EQ(RunStow({notes}, {"report " + report, "quit"}), 0);
  EXPECT_NE(m_errors.find("Error Number 1600"), std::string::npos) << m_errors;
  EXPECT_NE(m_errors.find(notes + " could not be opened"), std::string::npos) << m_errors;
  auto values = ReadReport(report);
  EXPECT_EQ(values["uri"], std::vector<std::string>{""});
  EXPECT_EQ(values["loads"], std::vector<std::string>{"0"});
  EXPECT_EQ(values["title"], std::vector<std::string>{"Untitled - SwDocViewer"});

  unsetenv("VXST_UI");
  std::filesystem::remove(report);
  ASSERT_EQ(RunStow({notes}, {"dialogs " + report, "report " + report, "about", "quit"}), 0) << m_errors;
  EXPECT_EQ(m_errors.find("Error Number"), std::string::npos) << "shown on the terminal: " << m_errors;
  values = ReadReport(report);
  EXPECT_EQ(values["dialog"], (std::vector<std::string>{"stow", "Stowra Reader"}));
  EXPECT_EQ(values["text"], std::vector<std::string>{"Error Number 1600||" + notes + " could not be opened| "});
  EXPECT_EQ(values["uri"], std::vector<std::string>{""});
}

// The reader module's dialogs come up in stow's GTK front-end on the second
// request: the firm-code dialog for a name registered under two codes (the
// first code, selected at the start, is served), and the file dialog for an
// archive whose file is gone (cancelled, the page about the file comes again).
TEST_F(StowProgram, ModulesDialogsAreShownWithGtk) {
  setenv("VXST_UI", "gtk", 1);
  ThisDocumentProfiling catalog(kReaderDescriptor);
  for (auto [code, stem] : {std::pair{7u, "seven"}, {9u, "nine"}})
    ASSERT_TRUE(catalog.RegisterArchive({true, "Manual", code, PackManual("Manual", code, stem)},
                                        stow::Placement::CurrentUser));
  ASSERT_TRUE(catalog.RegisterArchive({true, "Gone", 7, m_folder / "gone.vxb"},
                                      stow::Placement::CurrentUser));
  for (const char* name : {"Manual", "Gone"}) {
    const std::string report = Report() + name;
    const std::string url = std::string("vexost://") + name;
    ASSERT_EQ(RunStow({url + "/"}, {"dialogs " + report, "answer 2 Document File not found", "wait",
                                    "page " + report, "navigate " + url + "/index.htm",
                                    "page " + report, "quit"}),
              0)
        << m_errors;
    auto values = ReadReport(report);
    const std::vector<std::string> pages = values["page"];
    ASSERT_EQ(pages.size(), 2u) << name;
    EXPECT_NE(pages[0], "seven") << name;  // the first request reports what is wrong
    EXPECT_NE(pages[0], "") << name;
    EXPECT_EQ(values["dialog"], std::vector<std::string>{name == std::string("Gone")
                                                                  ? "Document File not found"
                                                                  : "Stowra Firm Code Request"})
        << name;
    EXPECT_EQ(pages[1], name == std::string("Gone") ? pages[0] : "seven") << name;
  }
}

TEST_F(StowProgram, PlacementIsBroughtInsideTheScreenAndSavedAtTheEnd) {
  const struct {
    const char* name;
    std::vector<int> saved;  // showCmd and edges; none: nothing saved
    const char* end;
    const char* placement;  // as opened; "" when not asked
    const char* window;
    const char* written;
  } cases[] = {
      {"larger than the screen", {1, -200, -100, 3000, 2500}, "quit", "1 0 0 1024 768",
       "0 0 1024 768", "1 0 0 1024 768"},
      {"minimized", {2, 100, 80, 700, 580}, "quit", "1 100 80 700 580", "100 80 600 500",
       "1 100 80 700 580"},
      {"nothing saved", {}, "quit", "", "", "1 0 0 900 700"},
      {"session ends", {2, 10, 20, 610, 520}, "end-session", "", "", "1 10 20 610 520"},
  };
  int number = 0;
  for (const auto& c : cases) {
    const std::string registry = m_folder / ("registry-" + std::to_string(++number));
    std::filesystem::create_directories(registry);
    setenv("VXST_REGISTRY_DIR", registry.c_str(), 1);
    const AppProfile profile("VEXO-SYSTEMS\\Stowra", "stow");
    const char* entries[] = {"flags", "showCmd", "x1", "y1", "x2", "y2"};
    for (std::size_t i = 0; i < c.saved.size(); ++i)
      ASSERT_TRUE(profile.WriteProfileInt("MainWnd", entries[i + 1], c.saved[i])) << c.name;
    if (!c.saved.empty()) {
      ASSERT_TRUE(profile.WriteProfileInt("MainWnd", "flags", 0));
    }
    const std::string report = Report() + std::to_string(number);
    std::vector<std::string> lines{c.end};
    if (*c.placement) lines.insert(lines.begin(), "placement " + report);
    ASSERT_EQ(RunStow({}, lines), 0) << c.name << "\n" << m_errors;
    EXPECT_EQ(m_errors.find("CRITICAL"), std::string::npos) << c.name << "\n" << m_errors;
    std::string written;
    for (const char* entry : std::vector<const char*>(entries + 1, entries + 6))
      written += (written.empty() ? "" : " ") +
                 std::to_string(profile.GetProfileInt("MainWnd", entry).value_or(-999));
    EXPECT_EQ(written, c.written) << c.name;
    if (!*c.placement) continue;
    auto values = ReadReport(report);
    EXPECT_EQ(values["placement"], std::vector<std::string>{c.placement}) << c.name;
    EXPECT_EQ(values["window"], std::vector<std::string>{c.window}) << c.name;
  }
}

TEST_F(StowProgram, ZoomKeysStepAndTheZoomIsKeptForTheNextStart) {
  const std::string report = Report();
  ASSERT_EQ(RunStow({}, {"key ctrl+plus", "key ctrl+equal", "report " + report, "key ctrl+minus",
                         "report " + report, "quit"}),
            0)
      << m_errors;
  ASSERT_EQ(RunStow({}, {"report " + report, "key ctrl+0", "report " + report, "quit"}), 0)
      << m_errors;
  EXPECT_EQ(ReadReport(report)["zoom"],
            (std::vector<std::string>{"125", "110", "110", "100"}));
}

TEST_F(StowProgram, RegisteringSwitchesWriteAndRemoveTheShellSettings) {
  constexpr const char* kOpen =
      "SOFTWARE\\VEXO-SYSTEMS\\Shell Extension\\01.00\\Setting\\0009\\"
      "{00030002-0000-1101-8002-0000C06B5161}\\Open";
  ASSERT_EQ(RunStow({"/RegServer"}, {}), 0) << m_errors;
  EXPECT_EQ(RegistryKeys::GetText(HKEY_LOCAL_MACHINE, kOpen, "Command"),
            std::filesystem::canonical(VXST_STOW).string() + " \"%1\"");
  EXPECT_EQ(RegistryKeys::GetText(HKEY_CLASSES_ROOT, "SwDocViewer.Document", nullptr),
            "Lumet Document");
  ASSERT_EQ(RunStow({"-unregserver"}, {}), 0) << m_errors;
  EXPECT_EQ(RegistryKeys::GetText(HKEY_LOCAL_MACHINE, kOpen, "Command"), "#2");
  EXPECT_EQ(RegistryKeys::GetText(HKEY_CLASSES_ROOT, "SwDocViewer.Document", nullptr), "#2");
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
      {"open hands over the chosen archive; cancelled, it shows the current one again",
       {"{alpha}"},
       {"wait", "open-cancel", "report", "open {beta}", "report", "about"},
       {{"uri", {"{url:alpha}start.htm", "{url:beta}start.htm"}},
        {"loads", {"2", "3"}},
        {"title", {"{home:alpha} - SwDocViewer", "{home:beta} - SwDocViewer"}}}},
      {"a second archive of the same name shows its own pages",
       {"{alpha}"},
       {"wait", "page", "open {alpha2}", "page", "follow-link next.htm", "home", "page"},
       {{"page", {"Alpha start", "Alpha v2 start", "Alpha v2 start"}}}},
      {"a vexost URL is navigated unchanged; the reader's own pages show its image",
       {"vexost://Nobody/intro/page.htm"},
       {"wait", "report", "images", "home", "report"},
       {{"uri", {"vexost://Nobody/intro/page.htm", "vexost://Nobody"}}, {"images", {"1/1"}}}},
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
      const bool reports = line == "report" || line == "page" || line == "recent" || line == "images" ||
                           line == "suggestions" || line.starts_with("eval ");
      lines.push_back(Expand(
          reports ? line.substr(0, line.find(' ')) + " " + report +
                        (line.find(' ') == std::string::npos ? "" : line.substr(line.find(' ')))
                  : line));
    }
    lines.push_back("quit");
    ASSERT_EQ(RunStow(arguments, lines), 0) << c.name << "\n" << m_errors;
    EXPECT_EQ(m_errors.find("CRITICAL"), std::string::npos) << c.name << "\n" << m_errors;
    auto values = ReadReport(report);
    for (const auto& [key, expected] : c.expected) {
      std::vector<std::string> wanted;
      for (const std::string& value : expected) wanted.push_back(Expand(value));
      EXPECT_EQ(values[key], wanted) << c.name << ": " << key << "\n" << m_errors;
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
  for (const char* scheme : {"https", "mailto"})
    RegistryKeys::PutText(HKEY_CLASSES_ROOT, (scheme + std::string("\\Shell\\Open\\Command")).c_str(),
                             "", opener + " \"%1\"");
  const std::string report = Report();
  ASSERT_EQ(RunStow({m_files["alpha"]}, {"wait", "click-link example.invalid/outside",
                                         "click-link mailto:", "report " + report, "quit"}),
            0)
      << m_errors;
  EXPECT_EQ(ReadReport(report)["uri"],
            std::vector<std::string>{Expand("{url:alpha}start.htm")});
  EXPECT_EQ(ReadReport(report)["loads"], std::vector<std::string>{"1"});
  std::string handed;
  for (int i = 0; i < 100 && std::count(handed.begin(), handed.end(), '\n') < 2; ++i) {
    usleep(100000);
    handed = TempFolder::ReadAll(opened);
  }
  EXPECT_EQ(handed, "https://example.invalid/outside?q=1\nmailto:help@example.invalid\n");
}

// The sample manual's figure, an SVG topic, shows in the window in its colours.
TEST_F(StowProgram, SampleManualShowsItsSvgFigure) {
  const std::string archive = Pack(std::string(VXST_SOURCE_DIR) + "/sample/manual",
                                    m_folder / "sample.vxb", "SampleManual", 1, "index.htm");
  const std::string shot = Artefact("stow-sample-figure.png");
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
  auto values = ReadReport(report);
  ASSERT_EQ(values["images"].size(), 1u);
  const std::string images = values["images"].front();
  EXPECT_EQ(images.substr(0, images.find('/')), images.substr(images.find('/') + 1))
      << "not every image loaded";
  int left = 0, top = 0, width = 0, height = 0;
  ASSERT_EQ(values["eval"].size(), 1u);
  std::istringstream(values["eval"].front()) >> left >> top >> width >> height;
  EXPECT_GE(width, 600) << values["eval"].front();
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
      {"unknown option", "", {"--frobnicate"}, 2, "", "stow: unknown option --frobnicate\nUsage: stow"},
      {"no display", "env -u DISPLAY -u WAYLAND_DISPLAY", {}, 1, "",
       "stow: there is no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set)\n"},
      {"unopenable display", "env -u WAYLAND_DISPLAY DISPLAY=:4095", {}, 1, "",
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
