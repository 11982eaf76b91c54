#include "host/SearchPages.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <map>

#include "base/HtmlEscape.h"
#include "host/FormData.h"
#include "search/ResultsHtml.h"
#include "search/Snippet.h"

namespace {

constexpr std::size_t kDefaultResults = 10;
constexpr std::size_t kMostResults = 100;
constexpr std::size_t kSuggestions = 10;
constexpr std::size_t kLongestQuery = 1000;

constexpr std::string_view kSearchBox =
    "<form class=\"vxsearch\" action=\"/search\" method=\"get\" role=\"search\" "
    "style=\"margin:6px 0\">"
    "<input type=\"search\" name=\"q\" size=\"40\" placeholder=\"%2\" "
    "list=\"vxsuggest\" autocomplete=\"off\" value=\"%1\">%3"
    "<datalist id=\"vxsuggest\"></datalist> <button type=\"submit\">Search</button></form>"
    "<script>(function(){var f=document.currentScript.previousElementSibling,"
    "i=f.elements.q,a=f.elements.archive,l=f.querySelector('datalist'),n=0;"
    "i.addEventListener('input',function(){var k=++n;if(!i.value){l.textContent='';return;}"
    "fetch('/suggest?q='+encodeURIComponent(i.value)+(a?'&archive='+encodeURIComponent(a.value):''))"
    ".then(function(r){return r.json();})"
    ".then(function(d){if(k!==n)return;l.textContent='';d.suggestions.forEach(function(s){"
    "var o=document.createElement('option');o.value=s.text;l.appendChild(o);});})"
    ".catch(function(){});});})();</script>\n";

// The search box with QUERY typed, searching the archive named ARCHIVE ("" for all).
std::string SearchBox(std::string_view query, std::string_view archive = {}) {
  std::string box(kSearchBox);
  const std::string hidden = archive.empty() ? std::string()
                                             : "<input type=\"hidden\" name=\"archive\" value=\"" +
                                                   vxs::EscapeHtml(archive) + "\">";
  box.replace(box.find("%3"), 2, hidden);
  box.replace(box.find("%2"), 2, archive.empty() ? "Search all archives" : "Search this archive");
  return box.replace(box.find("%1"), 2, vxs::EscapeHtml(query));
}

// The name of the archive of a vexost://NAME/... URL; "" for a file URL or none.
std::string ArchiveNameOf(std::string_view url) {
  constexpr std::string_view kPrefix = "vexost://";
  if (url.size() <= kPrefix.size() || url.substr(0, kPrefix.size()) != kPrefix) return {};
  const std::string_view rest = url.substr(kPrefix.size());
  const std::string name = vxs::UnescapeUrlComponent(rest.substr(0, rest.find('/')));
  return name.starts_with("file:") || name.find(':') != std::string::npos ? std::string() : name;
}

std::string Json(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == '<' || c == '>' || c == '&') {
          // Escaped as well where a page might embed the answer in a script.
          char code[8];
          std::snprintf(code, sizeof code, "\\u%04x", c);
          out += code;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + '"';
}

std::string JsonList(const std::vector<std::string>& items) {
  std::string out = "[";
  for (const std::string& item : items) out += (out.size() > 1 ? "," : "") + Json(item);
  return out + "]";
}

// The host's URL of a topic: the archive by name, each part of the path escaped.
std::string TopicUrl(const std::string& archive, const std::string& path) {
  std::string url = "/vexost://" + vxs::EscapeUrlComponent(archive) + "/";
  for (std::size_t start = 0;;) {
    const std::size_t slash = path.find('/', start);
    url += vxs::EscapeUrlComponent(path.substr(start, slash - start));
    if (slash == std::string::npos) return url;
    url += '/';
    start = slash + 1;
  }
}

std::size_t LimitOf(const std::string& text) {
  std::size_t limit = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), limit);
  if (error != std::errc() || end != text.data() + text.size() || limit == 0) return kDefaultResults;
  return std::min(limit, kMostResults);
}

HttpResponse Text(int status, std::string contentType, std::string text) {
  HttpResponse response;
  response.SetText(status, std::move(contentType), std::move(text));
  response.SetHeader("Cache-Control", "no-store");
  response.SetHeader("X-Content-Type-Options", "nosniff");
  return response;
}

std::string ResultsJson(const std::string& query, const search::SearchResults& results) {
  std::string json = "{\"query\":" + Json(query) + ",\"results\":[";
  for (std::size_t i = 0; i < results.hits.size(); ++i) {
    const search::SearchHit& hit = results.hits[i];
    json += (i ? "," : "") + std::string("{\"archive\":") + Json(hit.archive) +
            ",\"path\":" + Json(hit.path) + ",\"title\":" + Json(hit.title) +
            ",\"snippet\":" + Json(search::SnippetHtml(hit.snippet)) +
            ",\"url\":" + Json(TopicUrl(hit.archive, hit.path)) + "}";
  }
  json += "],\"partial\":" + std::string(results.partial ? "true" : "false");
  json += ",\"respelled\":" + Json(results.respelled);
  json += ",\"pending\":" + JsonList(results.pending);
  json += ",\"failures\":" + JsonList(results.failures) + "}\n";
  return json;
}

std::string ResultsPage(const std::string& query, const search::SearchResults& results) {
  search::ResultsPageParts parts;
  parts.linkOf = [](const search::SearchHit& hit) { return TopicUrl(hit.archive, hit.path); };
  parts.top = "<p><a href=\"/\">Archives</a></p>\n" + SearchBox(query);
  return search::ResultsPageHtml(query, results, parts);
}

}  // namespace

bool SearchPages::Handles(std::string_view target) {
  const std::string_view path = target.substr(0, target.find('?'));
  return path == "/search" || path == "/suggest";
}

HttpResponse SearchPages::Serve(const HttpRequest& request) {
  if (request.method != "GET" && request.method != "HEAD") {
    HttpResponse response = Text(405, "text/plain; charset=utf-8", "Only GET and HEAD are served.\n");
    response.SetHeader("Allow", "GET, HEAD");
    return response;
  }
  const std::size_t mark = request.target.find('?');
  const std::string_view path = std::string_view(request.target).substr(0, mark);
  const std::string_view query =
      mark == std::string::npos ? std::string_view() : std::string_view(request.target).substr(mark + 1);
  return path == "/suggest" ? ServeSuggest(query) : ServeSearch(request, query);
}

HttpResponse SearchPages::ServeSearch(const HttpRequest&, std::string_view query) {
  std::map<std::string, std::string> fields = ParseFormData(query);
  const std::string& words = fields["q"];
  const bool json = fields["format"] == "json";
  if (words.find_first_not_of(" \t") == std::string::npos)
    return Text(400, "text/plain; charset=utf-8", "No words to search: /search?q=WORDS\n");
  if (words.size() > kLongestQuery)
    return Text(400, "text/plain; charset=utf-8", "The words to search are too long.\n");
  // Words sent whole: the last one is complete, not a prefix still being typed.
  search::SearchResults results = m_service.Search(words + ' ', fields["archive"], LimitOf(fields["limit"]));
  if (!fields["archive"].empty() && results.archives == 0)
    return Text(404, "text/plain; charset=utf-8",
                "No archive named " + fields["archive"] + " is searched here.\n");
  if (json) return Text(200, "application/json", ResultsJson(words, results));
  return Text(200, "text/html; charset=utf-8", ResultsPage(words, results));
}

HttpResponse SearchPages::ServeSuggest(std::string_view query) {
  std::map<std::string, std::string> fields = ParseFormData(query);
  const std::string& typed = fields["q"];
  std::string json = "{\"suggestions\":[";
  if (typed.size() <= kLongestQuery) {
    const std::vector<search::Suggestion> suggestions =
        m_service.Suggest(typed, fields["archive"], kSuggestions);
    for (std::size_t i = 0; i < suggestions.size(); ++i) {
      const search::Suggestion& s = suggestions[i];
      json += (i ? "," : "") + std::string("{\"text\":") + Json(s.text) + ",\"kind\":" +
              (s.kind == search::NameKind::Title ? "\"title\"" : "\"symbol\"") +
              ",\"archive\":" + Json(s.archive) + ",\"path\":" + Json(s.path) +
              ",\"url\":" + Json(TopicUrl(s.archive, s.path)) + "}";
    }
  }
  return Text(200, "application/json", json + "]}\n");
}

std::string SearchPages::WithSearchBox(std::string_view html, std::string_view topicUrl) {
  std::string page(html);
  std::string lower(html);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::size_t body = lower.find("<body");
  if (body == std::string::npos) return page;
  body = page.find('>', body);
  if (body == std::string::npos) return page;
  return page.insert(body + 1, "\n" + SearchBox({}, ArchiveNameOf(topicUrl)));
}
