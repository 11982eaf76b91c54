#include "reader/ReaderPages.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <regex>

#include "HtmlInspection.h"
#include "base/KelException.h"
#include "reader/PagePaths.h"

using html_inspection::AttributeValues;
using html_inspection::Skeleton;
using html_inspection::Title;
using html_inspection::VisibleText;

namespace {

const ReaderModuleInfo kModule{"4.11", "/opt/vexost/lib/libvxstrd.so", "/opt/vexost/lib", 2004};

std::string Page(unsigned page, std::initializer_list<std::string> args,
                 std::string_view lastUrl = "vexost://Manual/") {
  return FormatPage(page, args, lastUrl, kModule);
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

#define EXPECT_SHOWS(html, part) \
  EXPECT_PRED2(Contains, VisibleText(html), std::string(part))

// What every page carries: header image, footer, no placeholder left over.
void ExpectCommonLayout(const std::string& html) {
  EXPECT_EQ(AttributeValues(html, "src"),
            std::vector<std::string>{"res:///opt/vexost/lib/libvxstrd.so/stow.gif"});
  EXPECT_SHOWS(html, "Stowra Reader Version 4.11");
  EXPECT_SHOWS(html, "2004");
  EXPECT_FALSE(std::regex_search(html, std::regex("%[0-9]"))) << html;
  EXPECT_EQ(Skeleton(html).front(), "!doctype html");
  EXPECT_TRUE(Contains(html, "<meta charset=\"utf-8\">"));
}

// Each failure page with its arguments: the texts it shows, the links it holds.
TEST(ReaderPages, EachPageShowsItsArgumentsAndRemedies) {
  struct Case {
    unsigned page;
    std::vector<std::string> args;
    const char* lastUrl;
    std::vector<std::string> shown;
    std::vector<std::string> links;
  };
  // The texts that carry the arguments and the URL; the rest of each page is its template.
  const Case cases[] = {
      {kPageWrongSyntax, {"x"}, "VEXOST:/x",
       {"URL \"VEXOST:/x\" wrong", "has a wrong syntax at location x Please modify",
        "vexost://file:/MyPath/MyFile.vxb", "vexost://FirmCode:10::MyArchive"}, {}},
      {kPageWithoutName, {}, "vexost://",
       {"URL \"vexost://\" without name", "does not contain a archive or file name."}, {}},
      {kPageArchiveNotFound, {"Manual"}, "vexost://Manual/",
       {"Archive \"Manual\" not found", "example: /opt/vexost/lib/vxstreg MyFile.vxb"}, {}},
      {kPageWrongFirmCode, {"Manual", "10"}, "vexost://FirmCode:10::Manual/",
       {"Firm Code 10 wrong",
        "URL vexost://FirmCode:10::Manual/ has a valid archive name Manual but a wrong Firm Code 10.",
        "company with Firm Code 10", "call: /opt/vexost/lib/vxstreg MyFile.vxb",
        "Delete the sequence FirmCode:10::."}, {}},
      {kPageAmbiguousFirmCode, {"Manual", "7"}, "vexost://Manual/a.htm",
       {"Ambiguous Firm Code", "URL vexost://Manual/a.htm has a valid archive name Manual but",
        "Reenter the vexost://Manual/a.htm URL", "for Firm Code 7 for example insert: FirmCode:7::"},
       {"vexost://Manual/a.htm"}},
      {kPageRegisteredFileFails, {"/data/manual.vxb", "Manual", "file /data/manual.vxb not found"},
       "vexost://Manual/",
       {"Archive Manual is registered as file /data/manual.vxb, which cannot be opened. Original "
        "error: file /data/manual.vxb not found",
        "Select the vexost://Manual/ URL again", "/opt/vexost/lib/vxstreg MyFile.vxb"},
       {"vexost://Manual/"}},
      {kPageFileFails, {"/data/m.vxb", "", "file is corrupt (bad header)"}, "vexost://file:/data/m.vxb/",
       {"Archive file /data/m.vxb cannot be opened. Original error: file is corrupt (bad header)",
        "Select the vexost://file:/data/m.vxb/ URL again", "Copy your desired Stowra archive as /data/m.vxb."},
       {"vexost://file:/data/m.vxb/"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("page " + std::to_string(c.page));
    std::vector<PageArgument> args;
    for (const std::string& arg : c.args) args.push_back({arg, false});
    const std::string html = FormatPage(c.page, args, c.lastUrl, kModule);
    if (c.page <= kPageWithoutName) {
      EXPECT_EQ(Title(html), "Error - Stowra ");
    }
    for (const std::string& text : c.shown) EXPECT_SHOWS(html, text);
    EXPECT_EQ(AttributeValues(html, "href"), c.links);
    EXPECT_FALSE(Contains(html, ".exe"));
    ExpectCommonLayout(html);
  }
}

TEST(ReaderPages, UnknownPagesAndExtraArguments) {
  try {
    Page(8, {});
    FAIL() << "page 8 exists";
  } catch (CKelException* e) {
    std::unique_ptr<CKelException> owned(e);
    EXPECT_EQ(e->m_code, 1000u);
  }
  // Arguments beyond the sixth never reach the fixed placeholders.
  std::string html = Page(kPageWrongSyntax, {"1", "2", "3", "4", "5", "6", "SEVENTH"});
  EXPECT_FALSE(Contains(html, "SEVENTH"));
  EXPECT_SHOWS(html, "URL \"vexost://Manual/\" wrong");
}

// The header image, a GIF of 35 by 29, is addressed in the file that holds the reader.
TEST(ReaderPages, HeaderImageIsAGifOf35By29InTheReadersFile) {
  std::string_view gif = FindReaderResource("STOW.GIF");
  ASSERT_GE(gif.size(), 13u);
  EXPECT_EQ(gif.substr(0, 6), "GIF89a");
  auto word = [&](std::size_t at) {
    return static_cast<unsigned char>(gif[at]) | static_cast<unsigned char>(gif[at + 1]) << 8;
  };
  EXPECT_EQ(word(6), 35);
  EXPECT_EQ(word(8), 29);
  EXPECT_EQ(gif.back(), ';');
  EXPECT_EQ(FindReaderResource("stow.gif"), gif);
  EXPECT_TRUE(FindReaderResource("page1.html").empty());
  EXPECT_TRUE(FindReaderResource("../pages/stow.gif").empty());
  EXPECT_TRUE(FindReaderResource("missing.gif").empty());
  const ReaderModuleInfo& module = ReaderModuleInfo::Current();
  EXPECT_EQ(module.version, "4.11");
  EXPECT_EQ(module.buildYear, 2004);
  // Linked statically into this program, the reader lives in the program's file.
  std::filesystem::path program = std::filesystem::canonical("/proc/self/exe");
  EXPECT_EQ(module.path, program.string());
  EXPECT_EQ(module.folder, program.parent_path().string());
  std::string html = FormatPage(kPageWithoutName, {}, "vexost://");
  EXPECT_EQ(AttributeValues(html, "src"),
            std::vector<std::string>{"res://" + module.path + "/stow.gif"});
}

// --- Hostile input ---------------------------------------------------------

const char* const kHostileTexts[] = {
    "<script>alert(1)</script>",
    "\"><img src=x onerror=alert(1)>",
    "' onmouseover='alert(1)' x='",
    "</td></tr></table><iframe src=javascript:alert(1)>",
    "&lt;b&gt;bold&lt;/b&gt;",
    "%1%7%%",
};
const char* const kHostileUrls[] = {
    "vexost://x/\"><script>alert(1)</script>",
    "javascript:alert(1)//",
    "vexost://a/<svg onload=alert(1)>",
    "vexost://a/' onclick='alert(1)",
    " javascript:alert(1)",
};

void ExpectInert(unsigned page, const std::string& text, const std::string& url) {
  std::string benign = Page(page, {"a", "b", "c"}, "u");
  std::string hostile = Page(page, {text, text, text}, url);
  EXPECT_EQ(Skeleton(hostile), Skeleton(benign)) << "page " << page << ": " << hostile;
  for (const std::string& href : AttributeValues(hostile, "href"))
    EXPECT_TRUE(href.starts_with("vexost:") || href.starts_with("./") || href.starts_with("%20"))
        << href;
  if (page != kPageWithoutName) {
    EXPECT_SHOWS(hostile, text);
  }
}

TEST(ReaderPages, HostileNamesAndUrlsStayText) {
  for (unsigned page : {1u, 2u, 3u, 4u, 5u, 6u, 7u})
    for (const char* text : kHostileTexts)
      for (const char* url : kHostileUrls) ExpectInert(page, text, url);
}

// A hostile URL shows as received and is escaped in links; a hostile module
// path stays inside the image address.
TEST(ReaderPages, HostileUrlAndModulePathStayInTheirPlaces) {
  std::string url = "vexost://x/\"><script>alert(1)</script>";
  std::string html = Page(kPageAmbiguousFirmCode, {"Manual", "7"}, url);
  EXPECT_SHOWS(html, "The specified Stowra URL " + url + " has a valid archive name");
  EXPECT_EQ(AttributeValues(html, "href"),
            std::vector<std::string>{"vexost://x/%22%3E%3Cscript%3Ealert(1)%3C/script%3E"});
  ReaderModuleInfo module{"4.11", "/opt/a\" onerror=\"alert(1)/lib.so", "/opt", 2004};
  html = FormatPage(kPageWithoutName, {}, "u", module);
  EXPECT_EQ(AttributeValues(html, "src"),
            std::vector<std::string>{"res:///opt/a%22%20onerror=%22alert(1)/lib.so/stow.gif"});
}

// --- The list page ---------------------------------------------------------

class FakeArchiveList : public ArchiveListSource {
 public:
  std::vector<std::string> ListArchiveNames() override { return names; }
  std::vector<std::uint32_t> ListFirmCodes(const std::string& name) override {
    return firmCodes[name];
  }
  std::string ResolveArchive(const std::string& name, std::uint32_t firmCode) override {
    resolved.push_back(name + "/" + std::to_string(firmCode));
    return paths[name + "/" + std::to_string(firmCode)];
  }

  std::vector<std::string> names;
  std::map<std::string, std::vector<std::uint32_t>> firmCodes;
  std::map<std::string, std::string> paths;
  std::vector<std::string> resolved;
};

TEST(ArchiveListPage, OneRowPerNameAndFirmCodeInCatalogOrder) {
  FakeArchiveList list;
  list.names = {"Manual", "Guide"};
  list.firmCodes = {{"Manual", {10, 7}}, {"Guide", {3}}};
  list.paths = {{"Manual/10", "/data/manual.vxb"},
                {"Manual/7", "/data/manual7.vxb"},
                {"Guide/3", "/data/guide.vxb"}};
  std::string rows = BuildArchiveRows(list);
  EXPECT_EQ(rows,
            "<tr><td align=\"left\"><a href=\"vexost://Manual\">Manual</a></td> "
            "<td align=\"left\">10</td> <td align=\"left\">/data/manual.vxb</td></tr>\n"
            "<tr><td align=\"left\"><a href=\"vexost://Manual\">Manual</a></td> "
            "<td align=\"left\">7</td> <td align=\"left\">/data/manual7.vxb</td></tr>\n"
            "<tr><td align=\"left\"><a href=\"vexost://Guide\">Guide</a></td> "
            "<td align=\"left\">3</td> <td align=\"left\">/data/guide.vxb</td></tr>\n");
  EXPECT_EQ(list.resolved, (std::vector<std::string>{"Manual/10", "Manual/7", "Guide/3"}));

  std::string html = FormatArchiveListPage(list, "vexost:", kModule);
  EXPECT_EQ(Title(html), "Stowra Archive selection");
  EXPECT_SHOWS(html, "Stowra archive list: Here is a list of all registered archives: Title "
                     "Firm Code Path Manual 10 /data/manual.vxb Manual 7 /data/manual7.vxb "
                     "Guide 3 /data/guide.vxb");
  EXPECT_EQ(AttributeValues(html, "href"),
            (std::vector<std::string>{"vexost://Manual", "vexost://Manual", "vexost://Guide"}));
  ExpectCommonLayout(html);
  // No archives give the header rows only; links carry the name so that
  // unescaping gives it back.
  list = {};
  html = FormatArchiveListPage(list, "vexost:", kModule);
  std::vector<std::string> skeleton = Skeleton(html);
  EXPECT_EQ(std::count(skeleton.begin(), skeleton.end(), "tr"), 2) << "the page's and the list's";
  EXPECT_SHOWS(html, "Here is a list of all registered archives: Title Firm Code Path Stowra");
  list.names = {"My Manual 100%", "Handbuch \xc3\x84"};
  list.firmCodes = {{"My Manual 100%", {1}}, {"Handbuch \xc3\x84", {2}}};
  html = FormatArchiveListPage(list, "vexost:", kModule);
  EXPECT_EQ(AttributeValues(html, "href"),
            (std::vector<std::string>{"vexost://My%20Manual%20100%25",
                                      "vexost://Handbuch%20%C3%84"}));
  EXPECT_SHOWS(html, "My Manual 100% 1");
}

TEST(ArchiveListPage, HostileNamesAndPathsStayText) {
  FakeArchiveList benign, hostile;
  for (const char* text : kHostileTexts) {
    std::string plain = "a" + std::to_string(benign.names.size());
    benign.names.push_back(plain);
    benign.firmCodes[plain] = {1};
    hostile.names.push_back(text);
    hostile.firmCodes[text] = {1};
    hostile.paths[std::string(text) + "/1"] = text;
  }
  std::string html = FormatArchiveListPage(hostile, "vexost:", kModule);
  EXPECT_EQ(Skeleton(html), Skeleton(FormatArchiveListPage(benign, "vexost:", kModule)));
  for (const char* text : kHostileTexts) EXPECT_SHOWS(html, std::string(text) + " 1 " + text);
  for (const std::string& href : AttributeValues(html, "href"))
    EXPECT_TRUE(href.starts_with("vexost://")) << href;
}

// For browsers on other machines the pages name files without their folders.
TEST(ReaderPages, WithoutServerPathsFilesAreNamedByTheirFileName) {
  struct ShownAgain {
    ~ShownAgain() { PagePaths::SetShown(true); }
  } restore;
  PagePaths::SetShown(false);
  std::string html = Page(kPageRegisteredFileFails, {PagePaths::Path("/data/manual.vxb"), "Manual",
                                                     PagePaths::Message(
                                                         "file /data/manual.vxb not found",
                                                         "/data/manual.vxb")});
  EXPECT_SHOWS(html, "registered as file manual.vxb, which cannot be opened. Original error: "
                     "file manual.vxb not found");
  EXPECT_SHOWS(html, "\u2026/vxstreg MyFile.vxb");
  EXPECT_EQ(AttributeValues(html, "src"), std::vector<std::string>{"res://libvxstrd.so/stow.gif"});
  EXPECT_FALSE(Contains(html, "/data")) << html;
  EXPECT_FALSE(Contains(html, "/opt")) << html;

  char folder[4096];
  ASSERT_TRUE(::getcwd(folder, sizeof folder));
  const std::string full = std::string(folder) + "/sub dir/m.vxb";
  EXPECT_EQ(PagePaths::Message("\"sub dir/m.vxb\", " + full + ", sub dir/m.vxb: bad", full),
            "\"m.vxb\", m.vxb, m.vxb: bad");
  EXPECT_EQ(PagePaths::Message("nothing of it", ""), "nothing of it");

  FakeArchiveList list;
  list.names = {"Manual"};
  list.firmCodes = {{"Manual", {10}}};
  list.paths = {{"Manual/10", "/data/manual.vxb"}};
  EXPECT_EQ(BuildArchiveRows(list),
            "<tr><td align=\"left\"><a href=\"vexost://Manual\">Manual</a></td> "
            "<td align=\"left\">10</td> <td align=\"left\">manual.vxb</td></tr>\n");
}

}  // namespace
