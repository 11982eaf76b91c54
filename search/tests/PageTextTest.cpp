// Text taken from HTML pages: what is kept, what is dropped, and pages in other
// character sets, damaged or odd.
#include <gtest/gtest.h>

#include "search/PageCharset.h"
#include "search/PageText.h"

namespace search {
namespace {

std::string Joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : "|") + part;
  return out;
}

struct PageCase {
  const char* name;
  std::string html;
  std::string title, headings, anchors, body;
};

TEST(PageText, KeepsWhatReadersSeeAndTheNamesOfAnchors) {
  const PageCase cases[] = {
      {"title, headings and body",
       "<html><head><title> The  Manual </title></head><body><h1>Intro</h1><p>First "
       "words.</p><h2>More <code>os</code>.path</h2></body></html>",
       "The Manual", "Intro|More os.path", "", "Intro First words. More os.path"},
      {"scripts, styles, templates and navigation dropped",
       "<title>T</title><style>p{}</style><script>var x = '<p>no</p>';</script><nav>menu</nav>"
       "<div role=\"navigation\">next <b>page</b></div><template>t</template><p>kept</p>",
       "T", "", "", "kept"},
      {"character references decoded",
       "<title>a &amp; b &#8212; c</title><p>&lt;tag&gt; caf&eacute; &#x263A; &nbsp;x</p>",
       "a & b \xE2\x80\x94 c", "", "", "<tag> caf\xC3\xA9 \xE2\x98\xBA \xC2\xA0x"},
      {"anchors by id and name, generated ones kept too, each once",
       "<p id=\"os.path.join\">j</p><a name=\"top\"></a><span id=\"index-3\"></span>"
       "<dt id=\"os.path.join\">again</dt>",
       "", "", "os.path.join|top|index-3", "j again"},
      {"no title: the first h1",
       "<body><h2>Sub</h2><h1>Main <i>one</i></h1><h1>Second</h1>", "Main one", "Sub|Main one|Second", "",
       "Sub Main one Second"},
      {"damaged markup read as browsers read it",
       "<title>Broken</title><p>text <b>bold <i>both</b> after</i><div><table><td>cell</p>",
       "Broken", "", "", "text bold both after cell"},
      {"inline edges join words, block edges part them",
       "<p>one</p><p>two<br>three</p><ul><li>a</li><li>b</li></ul><em>x</em><em>y</em>", "", "", "",
       "one two three a b xy"},
      {"no HTML at all", "just text", "", "", "", "just text"},
      {"empty", "", "", "", "", ""},
  };
  for (const PageCase& c : cases) {
    const PageText text = ExtractPageText(c.html);
    EXPECT_EQ(text.title, c.title) << c.name;
    EXPECT_EQ(Joined(text.headings), c.headings) << c.name;
    EXPECT_EQ(Joined(text.anchors), c.anchors) << c.name;
    EXPECT_EQ(text.body, c.body) << c.name;
  }
}

TEST(PageText, DeclaredCharacterSetsBecomeUtf8) {
  const struct {
    const char* name;
    std::string page;
    std::string body;
  } cases[] = {
      {"windows-1252 by http-equiv",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\"><p>caf\xE9 \x80</p>",
       "caf\xC3\xA9 \xE2\x82\xAC"},
      {"latin1 read as windows-1252", "<meta charset=ISO-8859-1><p>\x93q\x94</p>",
       "\xE2\x80\x9Cq\xE2\x80\x9D"},
      {"shift_jis", "<meta charset=\"shift_jis\"><p>\x93\xfa\x96\x7b</p>", "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"XML declaration", "<?xml version=\"1.0\" encoding=\"iso-8859-15\"?><p>\xA4</p>", "\xE2\x82\xAC"},
      {"UTF-16 by its byte-order mark", std::string("\xFF\xFE<\0p\0>\0\xE9\0", 10), "\xC3\xA9"},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF<p>\xC3\xA9</p>", "\xC3\xA9"},
      {"undeclared, valid UTF-8", "<p>\xE2\x82\xAC</p>", "\xE2\x82\xAC"},
      {"undeclared, not UTF-8: windows-1252", "<p>caf\xE9</p>", "caf\xC3\xA9"},
      {"declared UTF-8 with bad bytes", "<meta charset=utf-8><p>a\xFF" "b</p>", "a\xEF\xBF\xBD" "b"},
      {"unknown charset: as if none", "<meta charset=x-nonsense><p>caf\xE9</p>", "caf\xC3\xA9"},
      {"UTF-16 claimed in ASCII", "<meta charset=utf-16><p>ok</p>", "ok"},
  };
  for (const auto& c : cases) {
    const PageText text = ExtractPageText(c.page);
    EXPECT_EQ(text.body, c.body) << c.name;
    EXPECT_TRUE(IsValidUtf8(text.body)) << c.name;
  }
}

TEST(PageText, NoInputStopsIt) {
  std::string deep;
  for (int i = 0; i < 20000; ++i) deep += "<div><span>";
  std::string noise;
  for (int i = 0; i < 200000; ++i) noise += static_cast<char>((i * 7919) % 256);
  for (const std::string& page : {deep + "end", noise, std::string(3000000, '<'),
                                  std::string("<p>a\0b</p>", 10), "<title>" + std::string(100000, 'x')}) {
    const PageText text = ExtractPageText(page);
    EXPECT_TRUE(IsValidUtf8(text.body) && IsValidUtf8(text.title));
  }
}

TEST(PageText, HtmlTopicsByExtension) {
  for (const char* path : {"a.htm", "b/c.HTML", "d.xhtml", "e.shtml"}) EXPECT_TRUE(IsHtmlTopic(path)) << path;
  for (const char* path : {"a.css", "htm", "a.htm/b", "a.html.gz", "x.js"}) EXPECT_FALSE(IsHtmlTopic(path)) << path;
}

}  // namespace
}  // namespace search
