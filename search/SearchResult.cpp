#include "search/SearchResult.h"

namespace search {

bool RanksBefore(const SearchHit& a, const SearchHit& b) {
  if (a.tier != b.tier) return a.tier < b.tier;
  if (a.coverage != b.coverage) return a.coverage > b.coverage;
  return a.score < b.score;
}

}  // namespace search
