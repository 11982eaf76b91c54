// The secret that the file dialog's form carries: made once per process and
// checked on every post, so that only a form this host has served can repoint
// a catalog entry (a form written into an archive page cannot know it).
#pragma once

#include <string>
#include <string_view>

// 32 hexadecimal digits from the system's random source; "" when it gives none.
std::string NewFormToken();

// Whether GIVEN is TOKEN, in a time that does not tell how much of it matched.
// An empty TOKEN matches nothing.
bool FormTokenMatches(std::string_view token, std::string_view given);
