#pragma once
// What the window remembers between runs, as the texts of its optional settings keys:
// where it stood, its splitters and the films and folders opened last. Qt-free: the
// rules are tested without a window.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tesmira {

struct KeptRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const KeptRect&) const = default;
};

// "x,y,width,height"; nullopt for anything else or a size that is not positive.
std::optional<KeptRect> ParseKeptRect(std::string_view text);
std::string FormatKeptRect(const KeptRect& rect);

// Where a window kept at `rect` may stand again: nullopt unless it can still be seen and
// taken hold of, that is a piece of the band across its top (where the title bar is
// dragged), 100 x 16 pixels or all of it when it is smaller, lies on one of the screens
// (a window kept on a screen that is gone gives nullopt); else `rect`, made no larger
// than that screen.
std::optional<KeptRect> PlaceKeptRect(const KeptRect& rect, const std::vector<KeptRect>& screens);

// Whole numbers separated by commas ("699,165,864,278,466,233"); nullopt unless there
// are exactly `count` of them and each is positive and no larger than a widget can be.
std::optional<std::vector<int>> ParseSizes(std::string_view text, std::size_t count);
std::string FormatSizes(const std::vector<int>& sizes);

// A volume of the film pane's scale, -10000 (silent) to 0 (full); nullopt otherwise.
std::optional<int> ParseVolume(std::string_view text);

// The films and folders opened last, newest first, at most kMaxRecent.
class RecentList {
public:
    static constexpr std::size_t kMaxRecent = 10;

    // Puts `path` first (moving it when it is there already) and drops the oldest
    // beyond the limit; false, and nothing changed, when the path cannot be kept in the
    // settings file (empty, or too long once encoded).
    bool Add(const std::string& path);
    bool Remove(const std::string& path);
    const std::vector<std::string>& paths() const { return paths_; }

    // The settings values, one per key "Recent1".."Recent10" (empty where there is no
    // entry), and back.
    std::vector<std::string> Values() const;
    static RecentList FromValues(const std::vector<std::string>& values);

private:
    std::vector<std::string> paths_;
};

// A path as an INI value: the file's lines are split at line breaks and a value loses
// its outer blanks, while a Linux path may hold any byte but NUL. "%", CR, LF and
// blanks at either end are written as %25, %0D, %0A, %20; everything else as it is
// ("=" and ";" are safe after the key's "=").
std::string EncodeIniPath(std::string_view path);
// nullopt for text that EncodeIniPath does not make (a "%" without two hex digits).
std::optional<std::string> DecodeIniPath(std::string_view value);

}  // namespace tesmira
