#include "filelist/list_order.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <numeric>
#include <string>

namespace tesmira {
namespace {

// glibc's C.UTF-8 carries the full Unicode case tables and, as a locale object of
// its own, leaves the process locale alone. Without it only ASCII letters fold.
locale_t unicodeCtype() {
    static const locale_t ctype = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return ctype;
}

char16_t foldUnit(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    // Halves of surrogate pairs stand as they are.
    if (c >= 0xD800 && c <= 0xDFFF) return c;
    const locale_t ctype = unicodeCtype();
    if (!ctype) return c;
    const wint_t lower = towlower_l(static_cast<wint_t>(c), ctype);
    // A letter whose lower case lies outside the basic plane keeps its code unit.
    return lower <= 0xFFFF ? static_cast<char16_t>(lower) : c;
}

int compareUnits(std::u16string_view a, std::u16string_view b) {
    const int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

std::u16string folded(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) c = foldUnit(c);
    return out;
}

}  // namespace

unsigned FlagsAfterClick(unsigned flags) {
    if (!(flags & kSortToggle)) return flags;
    if (!(flags & (kSortAscending | kSortDescending))) flags |= kSortDescending;
    return flags ^ (kSortAscending | kSortDescending);
}

int SortDirection(unsigned flags) {
    if (!(flags & kSortFlagMask)) return 0;
    return (flags & kSortAscending) ? 1 : -1;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t x = foldUnit(a[i]);
        const char16_t y = foldUnit(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareText(std::u16string_view a, std::u16string_view b, int sortType) {
    return sortType == kSortTextNoCase ? CompareNoCase(a, b) : compareUnits(a, b);
}

std::vector<std::size_t> SortedOrder(const std::vector<std::u16string_view>& texts, unsigned flags,
                                     int sortType) {
    std::vector<std::size_t> order(texts.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const int direction = SortDirection(flags);
    if (direction == 0) return order;

    // Each text is folded once rather than in every comparison.
    std::vector<std::u16string> keys;
    if (sortType == kSortTextNoCase) {
        keys.reserve(texts.size());
        for (const std::u16string_view text : texts) keys.push_back(folded(text));
    }
    const auto key = [&](std::size_t i) {
        return keys.empty() ? texts[i] : std::u16string_view(keys[i]);
    };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
        return direction * compareUnits(key(x), key(y)) < 0;
    });
    return order;
}

}  // namespace tesmira
