#include "cli/text_encoding.h"

#include <cstdint>

namespace tesmira {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the well-formed UTF-8 sequence at the start of s, or 0.
std::size_t ValidSequenceLength(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<uint8_t>(s[i]); };
    const auto cont = [&](std::size_t i) { return i < s.size() && (b(i) & 0xC0) == 0x80; };
    const uint8_t lead = b(0);
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return cont(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!cont(1) || !cont(2)) return 0;
        if (lead == 0xE0 && b(1) < 0xA0) return 0;  // overlong
        if (lead == 0xED && b(1) > 0x9F) return 0;  // surrogate
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3)) return 0;
        if (lead == 0xF0 && b(1) < 0x90) return 0;  // overlong
        if (lead == 0xF4 && b(1) > 0x8F) return 0;  // above U+10FFFF
        return 4;
    }
    return 0;
}

// Length of the lead of text made of printable ASCII (space to '~') that
// keep() accepts: bytes every document writes unchanged.
template <typename Keep>
std::size_t PlainAsciiLength(std::string_view text, Keep keep) {
    std::size_t n = 0;
    while (n < text.size() && text[n] >= ' ' && text[n] <= '~' && keep(text[n])) ++n;
    return n;
}

}  // namespace

std::string ToValidUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    // Runs of well-formed text are copied whole; ASCII needs no closer look.
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<uint8_t>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = ValidSequenceLength(bytes.substr(i));
        if (n != 0) {
            i += n;
            continue;
        }
        out.append(bytes.substr(runStart, i - runStart));
        out += kReplacement;
        runStart = ++i;
    }
    out.append(bytes.substr(runStart));
    return out;
}

void AppendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    // The printable ASCII lead (usually the whole text) is written as it is.
    const std::size_t plain = PlainAsciiLength(text, [](char c) { return c != '"' && c != '\\'; });
    out.append(text.substr(0, plain));
    if (plain == text.size()) {
        out += '"';
        return;
    }
    for (const char c : ToValidUtf8(text.substr(plain))) {
        const auto u = static_cast<uint8_t>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (u < 0x20 || u == 0x7F) {
                    out += "\\u00";
                    out += kHex[u >> 4];
                    out += kHex[u & 0xF];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

void AppendXmlText(std::string& out, std::string_view text) {
    const std::string valid = ToValidUtf8(text);
    for (std::size_t i = 0; i < valid.size(); ++i) {
        const char c = valid[i];
        const auto u = static_cast<uint8_t>(c);
        // U+FFFE and U+FFFF are well-formed UTF-8 but no XML 1.0 character.
        if (u == 0xEF && valid.compare(i + 1, 1, "\xBF") == 0 && i + 2 < valid.size() &&
            (static_cast<uint8_t>(valid[i + 2]) & 0xFE) == 0xBE) {
            out += kReplacement;
            i += 2;
            continue;
        }
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                if (u < 0x20 && c != '\t' && c != '\n' && c != '\r') {
                    out += kReplacement;
                } else {
                    out += c;
                }
        }
    }
}

void AppendCsvField(std::string& out, std::string_view text) {
    out += '"';
    const std::size_t plain = PlainAsciiLength(text, [](char c) { return c != '"'; });
    out.append(text.substr(0, plain));
    for (const char c : ToValidUtf8(text.substr(plain))) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace tesmira
