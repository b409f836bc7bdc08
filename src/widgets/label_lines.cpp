#include "widgets/label_lines.h"

namespace tesmira {
namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';

bool isLineBreakPair(std::u16string_view text, std::size_t i) {
    if (i + 1 >= text.size()) return false;
    const char16_t a = text[i];
    const char16_t b = text[i + 1];
    return (a == kCr && b == kLf) || (a == kLf && b == kCr);
}

// Length in code units of the character starting at i.
std::size_t charLength(std::u16string_view text, std::size_t i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
        const char16_t d = text[i + 1];
        if (d >= 0xDC00 && d <= 0xDFFF) return 2;
    }
    return 1;
}

}  // namespace

std::vector<std::u16string> BreakLabelLines(std::u16string_view text, int width,
                                            const TextWidthFn& measure) {
    std::vector<std::u16string> lines;
    std::size_t lineStart = 0;
    std::size_t i = 0;
    bool afterPair = false;
    while (i < text.size()) {
        if (isLineBreakPair(text, i)) {
            lines.emplace_back(text.substr(lineStart, i - lineStart));
            i += 2;
            lineStart = i;
            afterPair = true;
            continue;
        }
        afterPair = false;
        const std::size_t next = i + charLength(text, i);
        if (measure(text.substr(lineStart, next - lineStart)) <= width) {
            i = next;
            continue;
        }
        const std::u16string_view line = text.substr(lineStart, i - lineStart);
        if (line.empty()) {
            // Not even one character fits: take it anyway, or the scan would
            // never move on.
            lines.emplace_back(text.substr(lineStart, next - lineStart));
            i = next;
            lineStart = i;
            continue;
        }
        const std::size_t space = line.rfind(u' ');
        if (space != std::u16string_view::npos && line.back() != u' ') {
            lines.emplace_back(line.substr(0, space));
            i = lineStart + space + 1;
        } else {
            lines.emplace_back(line);
        }
        lineStart = i;
    }
    // What is left is the last line, even when a pair at the very end leaves nothing.
    if (lineStart < text.size() || afterPair) lines.emplace_back(text.substr(lineStart));
    return lines;
}

int FirstLineTop(int rectTop, int rectHeight, int lineCount, int lineHeight,
                 bool centreVertically) {
    if (!centreVertically) return rectTop;
    const long long freeHeight =
        static_cast<long long>(rectHeight) - static_cast<long long>(lineCount) * lineHeight;
    return rectTop + static_cast<int>(freeHeight / 2);
}

}  // namespace tesmira
