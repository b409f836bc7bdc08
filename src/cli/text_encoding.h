#pragma once
// Making arbitrary bytes safe for the export documents: record texts and file
// names can hold any bytes, while JSON, CSV and XML readers expect UTF-8.

#include <string>
#include <string_view>

namespace tesmira {

// Keeps well-formed UTF-8 sequences and replaces every other byte with U+FFFD.
std::string ToValidUtf8(std::string_view bytes);

// Appends a JSON string literal (quotes included) of ToValidUtf8(text).
void AppendJsonString(std::string& out, std::string_view text);

// Appends ToValidUtf8(text) escaped for XML character data and attribute values;
// characters XML 1.0 cannot carry (controls other than tab, LF, CR; U+FFFE, U+FFFF)
// become U+FFFD.
void AppendXmlText(std::string& out, std::string_view text);

// Appends an RFC 4180 field: always quoted, quotes doubled.
void AppendCsvField(std::string& out, std::string_view text);

}  // namespace tesmira
