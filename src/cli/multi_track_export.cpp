#include "cli/multi_track_export.h"

#include "cli/text_encoding.h"

namespace tesmira {
namespace {

// The body of a one-film XML document: what stands after its own <name> line and
// before `closing`. A name is escaped, so its text never holds "</name>".
std::string_view XmlBody(std::string_view document, std::string_view closing) {
    constexpr std::string_view kNameEnd = "</name>\n";
    const std::size_t start = document.find(kNameEnd);
    const std::size_t end = document.rfind(closing);
    if (start == std::string_view::npos || end == std::string_view::npos ||
        end < start + kNameEnd.size())
        return {};
    return document.substr(start + kNameEnd.size(), end - start - kNameEnd.size());
}

// Every line of `text` moved right by `indent`.
void AppendIndented(std::string& out, std::string_view text, std::string_view indent) {
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && c != '\n') out += indent;
        out += c;
        lineStart = c == '\n';
    }
}

std::string Gpx(const std::vector<TrackExportInput>& films, std::string_view name) {
    std::string out(kGpxHead);
    AppendXmlText(out, name);
    out += "</name>\n";
    for (const TrackExportInput& film : films) out += XmlBody(ExportGpx(film), "  </trk>\n");
    out += "  </trk>\n</gpx>\n";
    return out;
}

std::string Kml(const std::vector<TrackExportInput>& films, std::string_view name) {
    std::string out(kKmlHead);
    AppendXmlText(out, name);
    out += "</name>\n";
    for (const TrackExportInput& film : films) {
        out += "    <Folder>\n      <name>";
        AppendXmlText(out, film.name);
        out += "</name>\n";
        AppendIndented(out, XmlBody(ExportKml(film), "  </Document>\n"), "  ");
        out += "    </Folder>\n";
    }
    out += "  </Document>\n</kml>\n";
    return out;
}

std::string Csv(const std::vector<TrackExportInput>& films) {
    // The header is the one-film header, whatever films there are.
    const FilmSamples none;
    TrackExportInput empty;
    empty.film = &none;
    std::string out = "film," + ExportCsv(empty);
    for (const TrackExportInput& film : films) {
        const std::string document = ExportCsv(film);
        std::string field;
        AppendCsvField(field, film.name);
        field += ',';
        // Rows end in a line feed; a text field's own line breaks stay inside its quotes,
        // so the film's field goes only before the rows' starts.
        bool quoted = false;
        bool rowStart = true;
        for (std::size_t i = document.find('\n') + 1; i < document.size(); ++i) {
            const char c = document[i];
            if (rowStart) out += field;
            rowStart = false;
            out += c;
            if (c == '"') quoted = !quoted;
            if (c == '\n' && !quoted) rowStart = true;
        }
    }
    return out;
}

std::string Json(const std::vector<TrackExportInput>& films) {
    std::string out = "{\n  \"films\": [";
    for (std::size_t f = 0; f < films.size(); ++f) {
        out += f == 0 ? "\n    {\n      \"film\": " : ",\n    {\n      \"film\": ";
        AppendJsonString(out, films[f].name);
        out += ",\n      \"track\": ";
        std::string document = ExportJson(films[f]);
        while (!document.empty() && document.back() == '\n') document.pop_back();
        // The document's own lines start at the line of its key.
        bool first = true;
        std::size_t row = 0;
        while (row <= document.size()) {
            std::size_t next = document.find('\n', row);
            if (next == std::string::npos) next = document.size();
            if (!first) out += "\n      ";
            out.append(document, row, next - row);
            first = false;
            row = next + 1;
        }
        out += "\n    }";
    }
    out += films.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

}  // namespace

std::string ExportTracks(ExportFormat format, const std::vector<TrackExportInput>& films,
                         std::string_view name) {
    switch (format) {
        case ExportFormat::Json:
            return Json(films);
        case ExportFormat::Csv:
            return Csv(films);
        case ExportFormat::Gpx:
            return Gpx(films, name);
        case ExportFormat::Kml:
            return Kml(films, name);
    }
    return {};
}

}  // namespace tesmira
