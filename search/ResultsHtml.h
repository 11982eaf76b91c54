// Search results as an HTML page, for every front-end that shows them (the HTTP
// host, the viewer's window): a title, notes on what was searched (words
// respelled, only some words found, archives still being indexed or failing,
// nothing found), then each page found with its title linked, its archive and
// path, and a snippet with the words marked.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "search/SearchResult.h"

namespace search {

struct ResultsPageParts {
  // The address of a page found.
  std::function<std::string(const SearchHit&)> linkOf;
  // HTML placed at the top of the body (a search box, a way back), as it stands.
  std::string top;
  // Seconds after which the page asks for itself again while archives are being
  // indexed, so that their pages appear once they can; 0 for never.
  int refreshWhilePending = 0;
};

std::string ResultsPageHtml(std::string_view query, const SearchResults& results,
                            const ResultsPageParts& parts);

}  // namespace search
