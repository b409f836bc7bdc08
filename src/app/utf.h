#pragma once

#include <string>
#include <string_view>

namespace tesmira {

// Conversions between the UTF-8 text the code passes around and the UTF-16 text
// the settings and language files hold. Malformed input becomes U+FFFD; nothing throws.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Keeps at most `limit` UTF-16 code units without splitting a surrogate pair.
std::u16string_view CutUtf16(std::u16string_view text, size_t limit);

}  // namespace tesmira
