// The manual page and the usage text describe one command line: the same options,
// export formats and exit statuses.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "cli/command_line.h"
#include "cli/track_export.h"

namespace tesmira {
namespace {

using Words = std::set<std::string>;

// Splits at blanks, commas and quotes; roff's "\-" is a minus.
Words Split(const std::string& text) {
    Words words;
    std::string word;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : ' ';
        if (c == '\\' && i + 1 < text.size() && text[i + 1] == '-') continue;
        if (c != ' ' && c != ',' && c != '"') {
            word += c;
        } else if (!word.empty()) {
            words.insert(std::exchange(word, {}));
        }
    }
    return words;
}

bool IsOption(const std::string& word) {
    return word.size() >= 2 && word[0] == '-' &&
           word.find_first_not_of("-abcdefghijklmnopqrstuvwxyz") == std::string::npos;
}

class ManualPageTest : public testing::Test {
protected:
    void SetUp() override {
        std::ifstream in(TESMIRA_SOURCE_DIR "/data/tesmira.1.in");
        ASSERT_TRUE(in) << "no manual page";
        std::string section;
        std::string previous;
        for (std::string line; std::getline(in, line); previous = line) {
            if (line.rfind(".SH ", 0) == 0) section = line.substr(4);
            if (previous == ".TP") tags_[section].merge(Split(line));  // a tagged item's words
            if (line.rfind(".B ", 0) == 0) bold_[section].insert(line.substr(3));
        }
    }

    std::map<std::string, Words> tags_;
    std::map<std::string, Words> bold_;  // whole ".B" lines
};

TEST_F(ManualPageTest, ListsTheOptionsOfTheUsageText) {
    Words usage;
    std::istringstream text(UsageText());
    for (std::string line; std::getline(text, line);) {
        const std::size_t first = line.find_first_not_of(' ');
        if (first == 0 || first == std::string::npos || line[first] != '-') continue;
        // The option column ends where two blanks start the description.
        for (const std::string& word : Split(line.substr(first, line.find("  ", first) - first)))
            if (IsOption(word)) usage.insert(word);
    }
    Words manual;
    for (const std::string& word : tags_["OPTIONS"])
        if (IsOption(word)) manual.insert(word);
    EXPECT_FALSE(usage.empty());
    EXPECT_EQ(manual, usage);
}

TEST_F(ManualPageTest, NamesTheExportFormatsOfTheUsageText) {
    const Words all = {"json", "csv", "gpx", "kml"};
    Words named;
    for (const std::string& word : bold_["OPTIONS"])
        if (ParseExportFormat(word)) named.insert(word);
    EXPECT_EQ(named, all);
    for (const std::string& format : all) {
        EXPECT_TRUE(ParseExportFormat(format)) << format;
        EXPECT_NE(std::string(UsageText()).find(format), std::string::npos) << format;
    }
}

TEST_F(ManualPageTest, GivesTheExitStatusesOfTheUsageText) {
    const std::string usage = UsageText();
    const std::string statuses = usage.substr(usage.find("Exit status:"));
    Words inUsage;
    for (const std::string& word : Split(statuses))
        if (word.size() == 1 && std::isdigit(static_cast<unsigned char>(word[0])))
            inUsage.insert(word);
    EXPECT_EQ(inUsage.size(), 3u);
    Words inManual;
    for (const std::string& word : tags_["EXIT STATUS"])
        if (word != ".B") inManual.insert(word);
    EXPECT_EQ(inManual, inUsage);
}

}  // namespace
}  // namespace tesmira
