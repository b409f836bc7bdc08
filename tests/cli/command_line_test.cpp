#include "cli/command_line.h"

#include <gtest/gtest.h>

namespace tesmira {
namespace {

using Action = CommandLine::Action;

TEST(CommandLineTest, ExportFormsAreRecognised) {
    const CommandLine a = ParseCommandLine({"--export", "gpx", "a.mp4"});
    EXPECT_EQ(a.action, Action::Export);
    EXPECT_EQ(a.format, ExportFormat::Gpx);
    EXPECT_EQ(a.film, "a.mp4");
    EXPECT_FALSE(a.output);

    const CommandLine b = ParseCommandLine({"--export=kml", "-o", "out.kml", "b.MOV"});
    EXPECT_EQ(b.action, Action::Export);
    EXPECT_EQ(b.format, ExportFormat::Kml);
    EXPECT_EQ(b.film, "b.MOV");
    EXPECT_EQ(b.output, "out.kml");

    const CommandLine c = ParseCommandLine({"-oout.csv", "--export", "csv", "--", "-film.mp4"});
    EXPECT_EQ(c.action, Action::Export);
    EXPECT_EQ(c.format, ExportFormat::Csv);
    EXPECT_EQ(c.film, "-film.mp4");
    EXPECT_EQ(c.output, "out.csv");

    const CommandLine d = ParseCommandLine({"--export", "json", "x.mp4", "--output=o.json"});
    EXPECT_EQ(d.format, ExportFormat::Json);
    EXPECT_EQ(d.output, "o.json");
}

TEST(CommandLineTest, WrongExportLinesAreErrors) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--export"},                             // no format
        {"--export", "xml", "a.mp4"},             // unknown format
        {"--export", "JSON", "a.mp4"},            // formats are lower case
        {"--export", "json"},                     // no film
        {"--export", "json", "a.mp4", "b.mp4"},   // two films
        {"--export", "json", "a.mp4", "-o"},      // -o without a value
        {"--export", "json", "a.mp4", "-o", ""},  // empty output name
        {"--export", "json", "a.mp4", "--frob"},  // unknown option
        {"--export", "json", "--export", "csv", "a.mp4"},
        {"-o", "x.json", "a.mp4"},  // output without --export
    };
    for (const auto& args : wrong) {
        const CommandLine c = ParseCommandLine(args);
        EXPECT_EQ(c.action, Action::Error) << args.size() << " " << args[0];
        EXPECT_FALSE(c.error.empty());
    }
}

TEST(CommandLineTest, HelpVersionAndPlayer) {
    EXPECT_EQ(ParseCommandLine({"--help"}).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"-h"}).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"--export", "json", "a.mp4", "--help"}).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"--version"}).action, Action::Version);

    const CommandLine none = ParseCommandLine({});
    EXPECT_EQ(none.action, Action::Player);
    EXPECT_EQ(none.playerTail, "");
    // Two words are one path to the player, as the raw command-line tail.
    const CommandLine two = ParseCommandLine({"a.mp4", "b.mp4"});
    EXPECT_EQ(two.action, Action::Player);
    EXPECT_EQ(two.playerTail, "a.mp4 b.mp4");
    // After "--" nothing is an option.
    const CommandLine dashed = ParseCommandLine({"--", "--help"});
    EXPECT_EQ(dashed.action, Action::Player);
    EXPECT_EQ(dashed.playerTail, "-- --help");
    EXPECT_NE(std::string(UsageText()).find("--export FORMAT FILM [-o OUT]"), std::string::npos);
}

}  // namespace
}  // namespace tesmira
