// Page titles as documentation generators write them: "4.2. Input and Output —
// The Manual 3.1". The part after the last separator that most pages share (the
// site's name) says nothing about a page, and neither does the section number;
// both are taken off titles before they are indexed, and off queries that carry
// them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace search {

// The ending, separator included (" — The Manual 3.1"), that at least half of
// TITLES (and two or more) share after one of the separators " — ", " – ",
// " - ", " | ", " :: " or " · "; "" when there is none.
std::string CommonTitleSuffix(const std::vector<std::string>& titles);

// TITLE without SUFFIX at its end (when something remains).
std::string WithoutSuffix(std::string_view title, std::string_view suffix);

// The part of TITLE before its first separator ("json" of "json — JSON encoder
// and decoder"), the name that such a title gives its subject; "" when TITLE has
// no separator.
std::string LeadingPart(std::string_view title);

// TITLE without a leading section number such as "4. ", "4.2. " or "A.1. ".
std::string WithoutSectionNumber(std::string_view title);

}  // namespace search
