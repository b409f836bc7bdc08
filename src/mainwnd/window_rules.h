#pragma once
// The main window's small text rules, kept free of widgets so they are tested alone.
// Paths and titles are UTF-8.

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace tesmira {

// Every leading double quote removed, then every trailing one.
std::string TrimQuotes(std::string text);

// The order in which opened films are listed: oldest creation time first, compared
// to the second in local time. Returns indices into `created`; equal times keep
// their order.
std::vector<std::size_t> OldestFirst(const std::vector<std::tm>& created);

// What a language change keeps of the window title: the text two characters after
// the first "|" (the film after "| "), or the whole title when there is none.
std::string TitleTail(const std::string& title);

// A resume position given as decimal text: leading blanks and a sign allowed, 0 when
// no digit starts it; values beyond the integer range are held at its ends.
int ParsePositionText(std::string_view text);

}  // namespace tesmira
