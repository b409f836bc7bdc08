#include "mainwnd/window_rules.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <tuple>

namespace tesmira {

std::string TrimQuotes(std::string text) {
    const std::size_t first = text.find_first_not_of('"');
    if (first == std::string::npos) return {};
    text.erase(0, first);
    text.erase(text.find_last_not_of('"') + 1);
    return text;
}

std::vector<std::size_t> OldestFirst(const std::vector<std::tm>& created) {
    std::vector<std::size_t> order(created.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    const auto key = [&created](std::size_t i) {
        const std::tm& t = created[i];
        return std::tie(t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    };
    std::stable_sort(order.begin(), order.end(),
                     [&key](std::size_t a, std::size_t b) { return key(a) < key(b); });
    return order;
}

std::string TitleTail(const std::string& title) {
    const std::size_t bar = title.find('|');
    if (bar == std::string::npos) return title;
    // Two characters on: past the bar and the blank after it.
    std::size_t start = bar + 1;
    if (start < title.size()) {
        // One whole character, however many bytes it takes.
        ++start;
        while (start < title.size() && (static_cast<unsigned char>(title[start]) & 0xC0) == 0x80)
            ++start;
    }
    return title.substr(std::min(start, title.size()));
}

int ParsePositionText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

}  // namespace tesmira
