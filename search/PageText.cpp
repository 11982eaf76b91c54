#include "search/PageText.h"

#include <libxml/HTMLparser.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <unordered_set>

#include "search/PageCharset.h"

namespace search {

namespace {

// Elements whose text no reader sees.
bool IsHidden(std::string_view name) {
  return name == "script" || name == "style" || name == "template" || name == "noscript";
}

// Elements inside a line of text: their edges join words ("<b>os</b>.path").
// Asked twice for every element of every page: the names are looked up among
// those of the same length only.
bool IsInline(std::string_view name) {
  static constexpr std::string_view kInline[][10] = {
      {},
      {"a", "b", "i", "q", "s", "u"},
      {"em", "tt"},
      {"bdi", "bdo", "dfn", "kbd", "sub", "sup", "var", "wbr", "del", "ins"},
      {"abbr", "cite", "code", "data", "font", "mark", "samp", "span", "time"},
      {"small"},
      {"strong"}};
  if (name.size() >= std::size(kInline)) return false;
  for (std::string_view candidate : kInline[name.size()]) {
    if (candidate.empty()) return false;
    if (std::memcmp(candidate.data(), name.data(), name.size()) == 0) return true;
  }
  return false;
}

int HeadingLevel(std::string_view name) {
  return name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6' ? name[1] - '0'
                                                                                  : 0;
}

// Appends TEXT to OUT with runs of white space collapsed into one blank.
void AppendCollapsed(std::string& out, const char* text, std::size_t length) {
  const auto isSpace = [](char c) {
    return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\f';
  };
  std::size_t i = 0;
  while (i < length) {
    if (isSpace(text[i])) {
      if (!out.empty() && out.back() != ' ') out += ' ';
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < length && !isSpace(text[i])) ++i;
    out.append(text + start, i - start);
  }
}

void Trim(std::string& text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  const std::size_t first = text.find_first_not_of(' ');
  text.erase(0, first == std::string::npos ? text.size() : first);
}

// Whether an element holds the site's navigation (menus, sidebars, links to the
// previous and next pages) rather than the page's own text.
bool IsNavigation(std::string_view name, const xmlChar** attributes) {
  if (name == "nav") return true;
  for (const xmlChar** attribute = attributes; attribute && attribute[0]; attribute += 2) {
    const auto* key = reinterpret_cast<const char*>(attribute[0]);
    const auto* value = reinterpret_cast<const char*>(attribute[1]);
    if (value && std::strcmp(key, "role") == 0 &&
        (std::strcmp(value, "navigation") == 0 || std::strcmp(value, "search") == 0))
      return true;
  }
  return false;
}

class Collector {
 public:
  void Start(std::string_view name, const xmlChar** attributes) {
    ++m_depth;
    if (m_hiddenFrom == 0 && (IsHidden(name) || IsNavigation(name, attributes)))
      m_hiddenFrom = m_depth;
    if (name == "title") m_inTitle = true;
    if (HeadingLevel(name)) {
      ++m_headingDepth;
      m_heading.clear();
    }
    for (const xmlChar** attribute = attributes; attribute && attribute[0]; attribute += 2) {
      const auto* key = reinterpret_cast<const char*>(attribute[0]);
      const auto* value = reinterpret_cast<const char*>(attribute[1]);
      if (value && (std::strcmp(key, "id") == 0 || (name == "a" && std::strcmp(key, "name") == 0)))
        AddAnchor(value);
    }
    if (!IsInline(name)) Separate();
  }

  void End(std::string_view name) {
    if (m_hiddenFrom == m_depth) m_hiddenFrom = 0;
    if (m_depth > 0) --m_depth;
    if (name == "title") m_inTitle = false;
    if (HeadingLevel(name) && m_headingDepth > 0 && --m_headingDepth == 0) {
      Trim(m_heading);
      if (!m_heading.empty()) {
        if (name == "h1" && m_firstH1.empty()) m_firstH1 = m_heading;
        m_text.headings.push_back(m_heading);
      }
    }
    if (!IsInline(name)) Separate();
  }

  void Characters(const char* text, int length) {
    if (m_hiddenFrom > 0 || length <= 0) return;
    const auto count = static_cast<std::size_t>(length);
    if (m_inTitle) {
      if (!m_titleDone) AppendCollapsed(m_title, text, count);
      return;
    }
    if (m_headingDepth > 0) AppendCollapsed(m_heading, text, count);
    AppendCollapsed(m_text.body, text, count);
  }

  PageText Finish() {
    Trim(m_title);
    Trim(m_text.body);
    m_text.title = m_title.empty() ? m_firstH1 : m_title;
    return std::move(m_text);
  }

  void TitleEnded() { m_titleDone = m_titleDone || !m_title.empty(); }

 private:
  void Separate() {
    if (!m_text.body.empty() && m_text.body.back() != ' ') m_text.body += ' ';
    if (m_headingDepth > 0 && !m_heading.empty() && m_heading.back() != ' ') m_heading += ' ';
  }
  void AddAnchor(const char* value) {
    std::string anchor = value;
    Trim(anchor);
    if (!anchor.empty() && m_seenAnchors.insert(anchor).second)
      m_text.anchors.push_back(std::move(anchor));
  }

  PageText m_text;
  std::string m_title;
  std::string m_heading;
  std::string m_firstH1;
  std::unordered_set<std::string> m_seenAnchors;
  int m_depth = 0;       // of the element open now
  int m_hiddenFrom = 0;  // depth of the element whose text is dropped; 0 for none
  int m_headingDepth = 0;
  bool m_inTitle = false;
  bool m_titleDone = false;
};

void OnStart(void* context, const xmlChar* name, const xmlChar** attributes) {
  static_cast<Collector*>(context)->Start(reinterpret_cast<const char*>(name), attributes);
}

void OnEnd(void* context, const xmlChar* name) {
  auto* collector = static_cast<Collector*>(context);
  const std::string_view element = reinterpret_cast<const char*>(name);
  collector->End(element);
  if (element == "title") collector->TitleEnded();
}

void OnCharacters(void* context, const xmlChar* text, int length) {
  static_cast<Collector*>(context)->Characters(reinterpret_cast<const char*>(text), length);
}

// Script and style bodies come as CDATA blocks: they are dropped.
void OnCdata(void*, const xmlChar*, int) {}

// libxml2 reports through these; the index wants no messages.
void Quiet(void*, const char*, ...) {}

}  // namespace

PageText ExtractPageText(std::string_view page) {
  const std::string utf8 = PageToUtf8(page);
  htmlSAXHandler handler{};
  handler.startElement = OnStart;
  handler.endElement = OnEnd;
  handler.characters = OnCharacters;
  handler.cdataBlock = OnCdata;
  handler.warning = Quiet;
  handler.error = Quiet;
  Collector collector;
  htmlParserCtxtPtr parser =
      htmlCreatePushParserCtxt(&handler, &collector, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8);
  if (!parser) return collector.Finish();
  htmlCtxtUseOptions(parser, HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                 HTML_PARSE_NONET | HTML_PARSE_IGNORE_ENC);
  // Fed in pieces: the parser's int lengths never overflow, whatever the size.
  constexpr std::size_t kPiece = 1 << 20;
  for (std::size_t at = 0; at < utf8.size(); at += kPiece)
    htmlParseChunk(parser, utf8.data() + at, static_cast<int>(std::min(kPiece, utf8.size() - at)),
                   0);
  htmlParseChunk(parser, nullptr, 0, 1);
  htmlFreeParserCtxt(parser);
  return collector.Finish();
}

bool IsHtmlTopic(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) return false;
  std::string extension(path.substr(dot + 1));
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == "htm" || extension == "html" || extension == "xhtml" || extension == "shtml";
}

}  // namespace search
