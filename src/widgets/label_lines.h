#pragma once
// Line breaking and vertical placement of the overlay label's text. Kept free of
// Qt so that the rules are tested without a window; the caller supplies the
// width measurement of its font.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tesmira {

// Width in pixels of a piece of text in the label's font.
using TextWidthFn = std::function<int(std::u16string_view)>;

// Breaks text into lines no wider than width. A CR LF or LF CR pair ends a line
// (the pair itself is dropped). A line that would overflow ends before the
// overflowing character, or at its last space (which is dropped) when it has
// one and does not end in one. A line always keeps at least one character, so
// a label narrower than a single character still terminates. Surrogate pairs
// are never split. A pair at the very end is followed by an empty last line
// (which counts when the lines are centred); an empty text has no lines.
std::vector<std::u16string> BreakLabelLines(std::u16string_view text, int width,
                                            const TextWidthFn& measure);

// Top of the first line inside a rectangle: half the free height below the top
// when centred vertically, otherwise the top itself. The free height may be
// negative, in which case the text overhangs both edges evenly.
int FirstLineTop(int rectTop, int rectHeight, int lineCount, int lineHeight, bool centreVertically);

}  // namespace tesmira
