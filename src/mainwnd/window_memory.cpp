#include "mainwnd/window_memory.h"

#include <algorithm>
#include <charconv>

namespace tesmira {
namespace {

constexpr int kGripWidth = 100;
constexpr int kGripHeight = 16;
// The settings file keeps at most this many UTF-16 units of a value; an encoded path
// is ASCII-heavy but may hold any character, so its UTF-8 length stands in safely.
constexpr std::size_t kMaxValueBytes = 999;
// No widget grows beyond Qt's limit (QWIDGETSIZE_MAX); anything larger is a damaged
// value, and two of them summed as a splitter's length would overflow.
constexpr int kMaxWidgetSize = (1 << 24) - 1;

// The comma-separated whole numbers of `text`; nullopt for anything else.
std::optional<std::vector<int>> ParseInts(std::string_view text) {
    std::vector<int> values;
    const char* p = text.data();
    const char* end = p + text.size();
    while (true) {
        int value = 0;
        const auto [next, ec] = std::from_chars(p, end, value);
        if (ec != std::errc()) return std::nullopt;
        values.push_back(value);
        if (next == end) return values;
        if (*next != ',') return std::nullopt;
        p = next + 1;
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::optional<KeptRect> ParseKeptRect(std::string_view text) {
    const auto values = ParseInts(text);
    if (!values || values->size() != 4 || (*values)[2] <= 0 || (*values)[3] <= 0)
        return std::nullopt;
    return KeptRect{(*values)[0], (*values)[1], (*values)[2], (*values)[3]};
}

std::string FormatKeptRect(const KeptRect& r) {
    return FormatSizes({r.x, r.y, r.width, r.height});
}

std::optional<KeptRect> PlaceKeptRect(const KeptRect& rect, const std::vector<KeptRect>& screens) {
    const long long needWidth = std::min(kGripWidth, rect.width);
    const long long needHeight = std::min(kGripHeight, rect.height);
    const long long left = rect.x;
    const long long right = left + rect.width;
    const long long top = rect.y;
    const long long bottom = top + needHeight;  // the band across the top
    for (const KeptRect& s : screens) {
        const long long width =
            std::min(right, static_cast<long long>(s.x) + s.width) - std::max(left, 0LL + s.x);
        const long long height =
            std::min(bottom, static_cast<long long>(s.y) + s.height) - std::max(top, 0LL + s.y);
        if (width >= needWidth && height >= needHeight) {
            // Kept on a larger screen, or at another resolution: it shrinks to fit.
            KeptRect placed = rect;
            placed.width = std::min(rect.width, s.width);
            placed.height = std::min(rect.height, s.height);
            return placed;
        }
    }
    return std::nullopt;
}

std::optional<std::vector<int>> ParseSizes(std::string_view text, std::size_t count) {
    auto values = ParseInts(text);
    if (!values || values->size() != count ||
        std::any_of(values->begin(), values->end(),
                    [](int v) { return v <= 0 || v > kMaxWidgetSize; }))
        return std::nullopt;
    return values;
}

std::string FormatSizes(const std::vector<int>& sizes) {
    std::string text;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (i > 0) text += ',';
        text += std::to_string(sizes[i]);
    }
    return text;
}

std::optional<int> ParseVolume(std::string_view text) {
    const auto values = ParseInts(text);
    if (!values || values->size() != 1 || values->front() < -10000 || values->front() > 0)
        return std::nullopt;
    return values->front();
}

bool RecentList::Add(const std::string& path) {
    if (path.empty() || EncodeIniPath(path).size() > kMaxValueBytes) return false;
    Remove(path);
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > kMaxRecent) paths_.resize(kMaxRecent);
    return true;
}

bool RecentList::Remove(const std::string& path) {
    const auto it = std::find(paths_.begin(), paths_.end(), path);
    if (it == paths_.end()) return false;
    paths_.erase(it);
    return true;
}

std::vector<std::string> RecentList::Values() const {
    std::vector<std::string> values(kMaxRecent);
    for (std::size_t i = 0; i < paths_.size(); ++i) values[i] = EncodeIniPath(paths_[i]);
    return values;
}

RecentList RecentList::FromValues(const std::vector<std::string>& values) {
    RecentList list;
    // Oldest first, so that each Add puts the newer one in front; gaps and damaged
    // values are passed over.
    for (auto it = values.rbegin(); it != values.rend(); ++it)
        if (const auto path = DecodeIniPath(*it); path && !path->empty()) list.Add(*path);
    return list;
}

std::string EncodeIniPath(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        const bool edgeBlank = (c == ' ' || c == '\t') && (i == 0 || i + 1 == path.size());
        if (c == '%' || c == '\r' || c == '\n' || edgeBlank) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::optional<std::string> DecodeIniPath(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '%') {
            out += value[i];
            continue;
        }
        if (i + 2 >= value.size()) return std::nullopt;
        const int high = HexDigit(value[i + 1]);
        const int low = HexDigit(value[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

}  // namespace tesmira
