#include "cli/command_line.h"

#include <string_view>

namespace tesmira {
namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool IsExportOption(std::string_view a) {
    return a == "--export" || StartsWith(a, "--export=") || a == "--output" ||
           StartsWith(a, "--output=") || StartsWith(a, "-o");
}

CommandLine Fail(std::string message) {
    CommandLine c;
    c.action = CommandLine::Action::Error;
    c.error = std::move(message);
    return c;
}

CommandLine ParseExport(const std::vector<std::string>& args) {
    CommandLine c;
    c.action = CommandLine::Action::Export;
    std::optional<std::string> format;
    std::vector<std::string> films;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // Takes the value of "--name=value", "--name value", "-ovalue" or "-o value".
        const auto value = [&](std::string_view name, std::optional<std::string>& into) {
            if (into) return "option " + std::string(name) + " given twice";
            if (a.size() > name.size()) {
                into = a.substr(name.size() + (a[name.size()] == '=' ? 1 : 0));
            } else if (i + 1 < args.size()) {
                into = args[++i];
            } else {
                return "option " + std::string(name) + " needs a value";
            }
            return std::string();
        };
        std::string error;
        if (optionsEnded || a == "-" || !StartsWith(a, "-")) {
            films.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a == "--export" || StartsWith(a, "--export=")) {
            error = value("--export", format);
        } else if (a == "--output" || StartsWith(a, "--output=")) {
            error = value("--output", c.output);
        } else if (StartsWith(a, "-o")) {
            error = value("-o", c.output);
        } else {
            error = "unknown option '" + a + "'";
        }
        if (!error.empty()) return Fail(error);
    }
    if (!format) return Fail("--export needs a format: json, csv, gpx or kml");
    const auto parsed = ParseExportFormat(*format);
    if (!parsed) return Fail("unknown export format '" + *format + "' (json, csv, gpx or kml)");
    c.format = *parsed;
    if (films.empty()) return Fail("--export needs a film");
    if (films.size() > 1) return Fail("--export takes one film, got '" + films[1] + "' too");
    c.film = films.front();
    if (c.output && c.output->empty()) return Fail("the output file name is empty");
    return c;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    bool help = false;
    bool version = false;
    bool exportMode = false;
    for (const std::string& a : args) {
        if (a == "--") break;
        help = help || a == "--help" || a == "-h";
        version = version || a == "--version";
        exportMode = exportMode || IsExportOption(a);
    }
    CommandLine c;
    if (help) {
        c.action = CommandLine::Action::Help;
    } else if (version) {
        c.action = CommandLine::Action::Version;
    } else if (exportMode) {
        return ParseExport(args);
    } else {
        bool optionsEnded = false;
        for (const std::string& a : args) {
            if (!optionsEnded && a == "--") {
                optionsEnded = true;
            } else if (StartsWith(a, "-") && a != "-") {
                if (!optionsEnded) return Fail("unknown option '" + a + "'");
                c.films.push_back("./" + a);
            } else {
                c.films.push_back(a);
            }
        }
    }
    return c;
}

const char* UsageText() {
    return "Usage: tesmira [FILM|FOLDER...]\n"
           "       tesmira --export FORMAT FILM [-o OUT]\n"
           "\n"
           "Plays dashcam films with their GPS track, speed and G-sensor readings;\n"
           "several films are listed oldest first and played one after another;\n"
           "a folder stands for every film in it and its sub-folders.\n"
           "\n"
           "  --export FORMAT   write the film's GPS and G-sensor records and exit;\n"
           "                    FORMAT is json, csv, gpx or kml; no window is opened\n"
           "  -o, --output OUT  write the export to OUT instead of standard output\n"
           "  -h, --help        show this help and exit\n"
           "      --version     show the version and exit\n"
           "  --                the arguments after it are films, even when they\n"
           "                    start with '-'\n"
           "\n"
           "Exit status: 0 on success, 1 when the film cannot be read, the output\n"
           "cannot be written or there is no display to play on, 2 for a wrong\n"
           "command line.\n";
}

}  // namespace tesmira
