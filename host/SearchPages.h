// Search over HTTP: "/search?q=WORDS[&archive=NAME][&format=json][&limit=N]"
// answers a page of results (title, archive, snippet with the words marked, link)
// or JSON {"results":[{"archive","path","title","snippet","url"}], ...};
// "/suggest?q=PREFIX[&archive=NAME]" answers titles and symbols as JSON while a
// user types. Both search every archive the service covers, merged by rank.
// The archive list page gets a search box.
#pragma once

#include <string>
#include <string_view>

#include "host/HttpExchange.h"
#include "search/SearchService.h"

class SearchPages {
 public:
  explicit SearchPages(search::SearchService& service) : m_service(service) {}

  // Whether TARGET (as requested, query included) is one of these pages.
  static bool Handles(std::string_view target);
  HttpResponse Serve(const HttpRequest& request);

  // HTML (the archive list page, or with --search-bar an archive's page) with a
  // search box at the top of its body; a page of the archive named in TOPICURL
  // (vexost://NAME/...) searches that archive.
  static std::string WithSearchBox(std::string_view html, std::string_view topicUrl = {});

 private:
  HttpResponse ServeSearch(const HttpRequest& request, std::string_view query);
  HttpResponse ServeSuggest(std::string_view query);

  search::SearchService& m_service;
};
