#include "search/ResultsHtml.h"

#include "base/HtmlEscape.h"
#include "search/Snippet.h"

namespace search {

namespace {

constexpr std::string_view kStyle =
    "<style>body{font-family:Arial,Helvetica,sans-serif;max-width:60em;margin:1em auto;"
    "padding:0 1em}.hit{margin:1em 0}.hit a{font-size:115%}.where{color:#060;font-size:90%}"
    ".note{color:#555}b{background:#ffa}</style>";

std::string Notes(std::string_view query, const SearchResults& results) {
  std::string notes;
  const auto note = [&](const std::string& text) {
    notes += "<p class=\"note\">" + vxs::EscapeHtml(text) + "</p>\n";
  };
  if (!results.respelled.empty()) note("Nothing holds these words; results for: " + results.respelled);
  if (results.partial) note("No page holds every word; these hold some of them.");
  for (const std::string& name : results.pending)
    note(name + " is being indexed; its pages are not searched yet.");
  for (const std::string& failure : results.failures) note(failure);
  if (results.hits.empty()) note("Nothing found for " + std::string(query) + ".");
  return notes;
}

}  // namespace

std::string ResultsPageHtml(std::string_view query, const SearchResults& results,
                            const ResultsPageParts& parts) {
  const bool refresh = parts.refreshWhilePending > 0 && !results.pending.empty();
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<meta name=\"viewport\" content=\"width=device-width\">" +
      (refresh ? "<meta http-equiv=\"refresh\" content=\"" +
                     std::to_string(parts.refreshWhilePending) + "\">"
               : std::string()) +
      "<title>" + vxs::EscapeHtml(query) + " - Search</title>" + std::string(kStyle) +
      "</head><body>\n" + parts.top + Notes(query, results);
  for (const SearchHit& hit : results.hits) {
    const std::string where = (hit.archive.empty() ? hit.archivePath : hit.archive) +
                              " \xE2\x80\xBA " + hit.path;
    page += "<div class=\"hit\"><a href=\"" + vxs::EscapeHtml(parts.linkOf(hit)) + "\">" +
            vxs::EscapeHtml(hit.title.empty() ? hit.path : hit.title) +
            "</a><div class=\"where\">" + vxs::EscapeHtml(where) + "</div><div>" +
            SnippetHtml(hit.snippet) + "</div></div>\n";
  }
  return page + "</body></html>\n";
}

}  // namespace search
