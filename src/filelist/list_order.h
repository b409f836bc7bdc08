#pragma once
// How the extended list control orders its rows, without Qt: the sort settings of a
// column, what a header click does to them, the text comparison and the order of the
// rows after a sort.

#include <cstddef>
#include <string_view>
#include <vector>

namespace tesmira {

// Sort flags of a column (3 bits). 0: the column does not sort.
inline constexpr unsigned kSortAscending = 1;
inline constexpr unsigned kSortDescending = 2;
inline constexpr unsigned kSortToggle = 4;  // each click reverses the direction
inline constexpr unsigned kSortFlagMask = 7;

// Sort type 5 compares text without regard to case; every other type compares the
// UTF-16 code units as they are.
inline constexpr int kSortTextNoCase = 5;

// The flags after a click on the column's header. A toggling column starts
// ascending and reverses on each further click; other columns keep their flags.
unsigned FlagsAfterClick(unsigned flags);

// +1 when the ascending bit is set, -1 otherwise, 0 when the column does not sort.
int SortDirection(unsigned flags);

// Negative, zero or positive. Letters are folded to lower case (Unicode simple
// mapping), then the texts are compared code unit by code unit: "a.mp4" equals
// "A.MP4", and "100" comes before "20".
int CompareNoCase(std::u16string_view a, std::u16string_view b);
int CompareText(std::u16string_view a, std::u16string_view b, int sortType);

// The order of the rows after sorting by one column whose texts are `texts`:
// element k is the current index of the row that goes to place k. Rows that compare
// equal keep their relative order; a column that does not sort keeps every row.
std::vector<std::size_t> SortedOrder(const std::vector<std::u16string_view>& texts, unsigned flags,
                                     int sortType);

}  // namespace tesmira
