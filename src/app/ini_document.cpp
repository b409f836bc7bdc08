#include "app/ini_document.h"

#include "app/utf.h"

namespace tesmira {
namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view trim(std::u16string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

char16_t foldAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c;
}

bool sameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    return true;
}

// The section name of a header line, or nullopt when the line is no header.
std::optional<std::u16string_view> sectionOf(std::u16string_view line) {
    auto t = trim(line);
    if (t.empty() || t.front() != u'[') return std::nullopt;
    t.remove_prefix(1);
    const auto close = t.find(u']');
    if (close != std::u16string_view::npos) t = t.substr(0, close);
    return trim(t);
}

// The key of a key line, or nullopt for comments and lines without "=".
std::optional<std::u16string_view> keyOf(std::u16string_view line) {
    const auto t = trim(line);
    if (t.empty() || t.front() == u';' || t.front() == u'#' || t.front() == u'[')
        return std::nullopt;
    const auto eq = line.find(u'=');
    if (eq == std::u16string_view::npos) return std::nullopt;
    return trim(line.substr(0, eq));
}

}  // namespace

IniDocument::IniDocument() : mark_("\xFF\xFE") {}

IniDocument IniDocument::Parse(std::string_view bytes) {
    IniDocument doc;
    doc.mark_.clear();
    if (bytes.empty()) {
        doc.mark_ = "\xFF\xFE";
        return doc;
    }
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        doc.encoding_ = Encoding::Utf16Le;
        doc.mark_ = "\xFF\xFE";
        bytes.remove_prefix(2);
        if (bytes.size() % 2 != 0) {
            doc.tail_.assign(1, bytes.back());
            bytes.remove_suffix(1);
        }
        const size_t units = bytes.size() / 2;
        auto unitAt = [&](size_t i) {
            return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        };
        size_t start = 0;
        for (size_t i = 0; i <= units; ++i) {
            const bool end = i == units;
            const char16_t c = end ? 0 : unitAt(i);
            if (!end && c != u'\r' && c != u'\n') continue;
            Line line;
            for (size_t k = start; k < i; ++k) line.text += unitAt(k);
            line.raw = bytes.substr(2 * start, 2 * (i - start));
            size_t next = i;
            if (!end) {
                next = i + 1;
                if (c == u'\r' && next < units && unitAt(next) == u'\n') ++next;
                line.eol = bytes.substr(2 * i, 2 * (next - i));
            }
            if (!end || !line.raw.empty()) doc.lines_.push_back(std::move(line));
            if (end) break;
            start = next;
            i = next - 1;
        }
        return doc;
    }
    doc.encoding_ = Encoding::Utf8;
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        doc.mark_ = "\xEF\xBB\xBF";
        bytes.remove_prefix(3);
    }
    size_t start = 0;
    while (start < bytes.size()) {
        const auto brk = bytes.find_first_of("\r\n", start);
        Line line;
        if (brk == std::string_view::npos) {
            line.raw = bytes.substr(start);
            start = bytes.size();
        } else {
            line.raw = bytes.substr(start, brk - start);
            size_t next = brk + 1;
            if (bytes[brk] == '\r' && next < bytes.size() && bytes[next] == '\n') ++next;
            line.eol = bytes.substr(brk, next - brk);
            start = next;
        }
        line.text = Utf8ToUtf16(line.raw);
        doc.lines_.push_back(std::move(line));
    }
    return doc;
}

std::optional<std::u16string> IniDocument::Get(std::u16string_view section,
                                               std::u16string_view key) const {
    bool inSection = false;
    for (const auto& line : lines_) {
        if (const auto name = sectionOf(line.text)) {
            inSection = sameName(*name, trim(section));
            continue;
        }
        if (!inSection) continue;
        const auto k = keyOf(line.text);
        if (!k || !sameName(*k, trim(key))) continue;
        const std::u16string_view text = line.text;
        const auto value = trim(text.substr(text.find(u'=') + 1));
        return std::u16string(CutUtf16(value, kMaxValueLength));
    }
    return std::nullopt;
}

bool IniDocument::Set(std::u16string_view section, std::u16string_view key,
                      std::u16string_view value) {
    auto hasBreak = [](std::u16string_view s) {
        return s.find_first_of(u"\r\n") != std::u16string_view::npos;
    };
    section = trim(section);
    key = trim(key);
    if (section.empty() || key.empty() || hasBreak(section) || hasBreak(key) || hasBreak(value) ||
        key.find(u'=') != std::u16string_view::npos ||
        section.find(u']') != std::u16string_view::npos)
        return false;

    bool inSection = false;
    std::optional<size_t> lastOfSection;  // last non-blank line of the first matching section
    bool sectionClosed = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        auto& line = lines_[i];
        if (const auto name = sectionOf(line.text)) {
            if (inSection) sectionClosed = true;
            inSection = sameName(*name, section);
            if (inSection && !lastOfSection) lastOfSection = i;
            continue;
        }
        if (!inSection) continue;
        if (const auto k = keyOf(line.text); k && sameName(*k, key)) {
            // Keep the key as spelt in the file; only the value changes.
            line.text = line.text.substr(0, line.text.find(u'=') + 1) + std::u16string(value);
            line.raw = encode(line.text);
            return true;
        }
        if (!sectionClosed && !trim(line.text).empty()) lastOfSection = i;
    }

    Line added;
    added.text = std::u16string(key) + u"=" + std::u16string(value);
    added.raw = encode(added.text);
    size_t insertAt = lines_.size();
    if (lastOfSection) {
        insertAt = *lastOfSection + 1;
    } else {
        Line header;
        header.text = u"[" + std::u16string(section) + u"]";
        header.raw = encode(header.text);
        if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = defaultEol();
        lines_.push_back(std::move(header));
        insertAt = lines_.size();
    }
    // The line before gets a line end if it had none (it was the file's last line);
    // the added line then becomes the last one and carries none either.
    auto& before = lines_[insertAt - 1];
    if (before.eol.empty()) {
        before.eol = defaultEol();
    } else {
        added.eol = defaultEol();
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(added));
    return true;
}

std::string IniDocument::Serialize() const {
    std::string out = mark_;
    for (const auto& line : lines_) {
        out += line.raw;
        out += line.eol;
    }
    out += tail_;
    return out;
}

std::string IniDocument::encode(std::u16string_view text) const {
    if (encoding_ == Encoding::Utf8) return Utf16ToUtf8(text);
    std::string out;
    out.reserve(text.size() * 2);
    for (const char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

std::string IniDocument::defaultEol() const {
    for (const auto& line : lines_)
        if (!line.eol.empty()) return line.eol;
    return encode(u"\r\n");
}

}  // namespace tesmira
