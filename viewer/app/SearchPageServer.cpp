#include "viewer/app/SearchPageServer.h"

#include "base/HtmlEscape.h"
#include "search/ResultsHtml.h"
#include "viewer/BrowserUrl.h"

namespace {

constexpr std::size_t kResults = 20;
constexpr std::size_t kLongestQuery = 1000;
// Seconds between two looks at an archive whose index is being built.
constexpr int kPendingRefresh = 1;
constexpr std::string_view kFileHome = "vexost://file:";
constexpr std::string_view kHome = "vexost://";

std::string Parameter(GHashTable* parameters, const char* name) {
  const auto* value = parameters ? static_cast<const char*>(g_hash_table_lookup(parameters, name)) : nullptr;
  return value ? value : "";
}

std::string FileLabel(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

SearchScope SearchScope::OfHome(const std::string& home, const std::string& name) {
  if (home.starts_with(kFileHome)) {
    const std::string file = vxs::UnescapeUrlComponent(home.substr(kFileHome.size()));
    return {name, file};
  }
  if (home.starts_with(kHome) && home.size() > kHome.size())
    return {vxs::UnescapeUrlComponent(home.substr(kHome.size())), ""};
  return {};
}

SearchPageServer::SearchPageServer() : m_service({}, {{}, search::RegisteredArchives}) {}

void SearchPageServer::Register(WebKitWebContext* context) {
  webkit_web_context_register_uri_scheme(context, kScheme, &SearchPageServer::Serve, this, nullptr);
}

std::string SearchPageServer::UrlOf(const std::string& words, const SearchScope& scope) {
  std::string url = std::string(kScheme) + ":results?q=" + vxs::EscapeUrlComponent(words);
  if (!scope.name.empty()) url += "&archive=" + vxs::EscapeUrlComponent(scope.name);
  if (!scope.file.empty()) url += "&file=" + vxs::EscapeUrlComponent(scope.file);
  return url;
}

std::string SearchPageServer::TopicUrlOf(const std::string& archiveFile, const std::string& path) {
  return ToBrowserUrl(std::string(kFileHome) + vxs::EscapeUrlComponent(archiveFile, "/") + "::/" +
                      vxs::EscapeUrlComponent(path, "/"));
}

void SearchPageServer::Cover(const SearchScope& scope) {
  if (scope.file.empty()) return;
  // A name the archive does not hold would make its index look stale: a file
  // whose name is not known goes without one.
  m_service.SetArchives({{scope.name, scope.file}});
}

std::vector<search::Suggestion> SearchPageServer::Suggest(const std::string& text,
                                                          const SearchScope& scope) {
  constexpr std::size_t kSuggestions = 10;
  if (text.size() > kLongestQuery) return {};
  Cover(scope);
  return m_service.Suggest(text, scope.file.empty() ? scope.name : "", kSuggestions, scope.file);
}

std::string SearchPageServer::ResultsPage(const std::string& uri) {
  const std::size_t mark = uri.find('?');
  GHashTable* parameters =
      mark == std::string::npos
          ? nullptr
          : g_uri_parse_params(uri.c_str() + mark + 1, -1, "&", G_URI_PARAMS_WWW_FORM, nullptr);
  const std::string words = Parameter(parameters, "q");
  const SearchScope scope{Parameter(parameters, "archive"), Parameter(parameters, "file")};
  if (parameters) g_hash_table_unref(parameters);
  search::SearchResults results;
  if (words.find_first_not_of(" \t") != std::string::npos && words.size() <= kLongestQuery) {
    Cover(scope);
    // Words sent whole: the last one is complete, not a prefix still being typed.
    results = m_service.Search(words + ' ', scope.file.empty() ? scope.name : "", kResults,
                               scope.file);
  }
  search::ResultsPageParts parts;
  parts.linkOf = [](const search::SearchHit& hit) { return TopicUrlOf(hit.archivePath, hit.path); };
  parts.refreshWhilePending = kPendingRefresh;
  const std::string where = scope.name.empty() && scope.file.empty()
                                ? "all registered archives"
                                : (scope.name.empty() ? FileLabel(scope.file) : scope.name);
  parts.top = "<p class=\"note\">Searched in " + vxs::EscapeHtml(where) + ". " +
              (scope.name.empty() && scope.file.empty()
                   ? std::string()
                   : "<a id=\"all\" href=\"" + vxs::EscapeHtml(UrlOf(words, {})) +
                         "\">Search all registered archives</a>") +
              "</p>\n";
  return search::ResultsPageHtml(words, results, parts);
}

void SearchPageServer::Serve(WebKitURISchemeRequest* request, gpointer self) {
  const std::string page =
      static_cast<SearchPageServer*>(self)->ResultsPage(webkit_uri_scheme_request_get_uri(request));
  GBytes* data = g_bytes_new(page.data(), page.size());
  GInputStream* stream = g_memory_input_stream_new_from_bytes(data);
  webkit_uri_scheme_request_finish(request, stream, static_cast<gint64>(page.size()),
                                   "text/html");
  g_object_unref(stream);
  g_bytes_unref(data);
}
