#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tesmira {

// One INI file in memory, read and edited with the rules the settings and language
// files need:
// - a file that starts with FF FE is UTF-16 little-endian, any other file UTF-8
//   (a UTF-8 mark is skipped); a new file is UTF-16 little-endian with its mark;
// - section and key names match without regard to ASCII letter case;
// - a value is the text after the first "=", blanks around it removed, cut at 999
//   UTF-16 code units;
// - Set replaces the value in place, or adds the key after the last non-blank line
//   of its section, or adds the section at the end of the file; every other line,
//   with its own line end, is serialised byte for byte as it was read.
// Lines are split at CR LF, LF and lone CR. A line whose first non-blank character
// is ";" or "#" is a comment and never a key.
class IniDocument {
public:
    enum class Encoding { Utf16Le, Utf8 };

    static constexpr size_t kMaxValueLength = 999;

    IniDocument();  // empty, UTF-16 little-endian with mark
    static IniDocument Parse(std::string_view bytes);

    Encoding encoding() const { return encoding_; }

    // The value, or nullopt when the section or key is missing.
    std::optional<std::u16string> Get(std::u16string_view section, std::u16string_view key) const;

    // False (and nothing changed) when a name is empty, a name or the value holds a
    // line break, the key holds "=" or the section "]": such a write would plant
    // extra lines or keys in the file.
    bool Set(std::u16string_view section, std::u16string_view key, std::u16string_view value);

    std::string Serialize() const;

private:
    struct Line {
        std::u16string text;  // decoded content, without the line end
        std::string raw;      // content bytes as read or last written
        std::string eol;      // line-end bytes as read, maybe empty
    };

    std::string encode(std::u16string_view text) const;
    std::string defaultEol() const;

    Encoding encoding_ = Encoding::Utf16Le;
    std::string mark_;  // byte-order mark as read (or to be written)
    std::vector<Line> lines_;
    std::string tail_;  // a stray odd byte at the end of a UTF-16 file, kept
};

}  // namespace tesmira
