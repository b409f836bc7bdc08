// The manual page and the usage text describe one command line: the same options,
// export formats and exit statuses.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/track_export.h"

namespace tesmira {
namespace {

using Words = std::set<std::string>;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Splits at blanks, commas and quotes.
std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::string token;
    for (const char c : text + ' ') {
        if (c == ' ' || c == ',' || c == '"') {
            if (!token.empty()) tokens.push_back(token);
            token.clear();
        } else {
            token += c;
        }
    }
    return tokens;
}

bool IsOption(const std::string& token) {
    return token.size() >= 2 && token[0] == '-' &&
           token.find_first_not_of("-abcdefghijklmnopqrstuvwxyz") == std::string::npos;
}

// Roff writes a minus as "\-".
std::string Unescaped(std::string line) {
    for (std::size_t at; (at = line.find("\\-")) != std::string::npos;) line.erase(at, 1);
    return line;
}

class ManualPageTest : public testing::Test {
protected:
    void SetUp() override {
        std::ifstream in(TESMIRA_SOURCE_DIR "/data/tesmira.1.in");
        ASSERT_TRUE(in) << "no manual page";
        std::ostringstream text;
        text << in.rdbuf();
        for (const std::string& line : Lines(text.str())) {
            if (line.rfind(".SH ", 0) == 0) section_ = line.substr(4);
            sections_[section_].push_back(Unescaped(line));
        }
    }

    // The words of the lines that follow ".TP" in a section: the tagged items.
    Words tags(const std::string& section) const {
        Words words;
        const auto found = sections_.find(section);
        if (found == sections_.end()) return words;
        const std::vector<std::string>& lines = found->second;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            if (lines[i - 1] != ".TP") continue;
            for (const std::string& token : Tokens(lines[i]))
                if (token[0] != '.') words.insert(token);
        }
        return words;
    }

    std::vector<std::string> section(const std::string& name) const {
        const auto found = sections_.find(name);
        return found == sections_.end() ? std::vector<std::string>{} : found->second;
    }

private:
    std::string section_;
    std::map<std::string, std::vector<std::string>> sections_;
};

TEST_F(ManualPageTest, ListsTheOptionsOfTheUsageText) {
    Words usage;
    for (const std::string& line : Lines(UsageText())) {
        const std::size_t first = line.find_first_not_of(' ');
        if (first == std::string::npos || first == 0 || line[first] != '-') continue;
        // The option column ends where two blanks start the description.
        const std::string column = line.substr(first, line.find("  ", first) - first);
        for (const std::string& token : Tokens(column))
            if (IsOption(token)) usage.insert(token);
    }
    Words manual;
    for (const std::string& word : tags("OPTIONS"))
        if (IsOption(word)) manual.insert(word);
    EXPECT_FALSE(usage.empty());
    EXPECT_EQ(manual, usage);
}

TEST_F(ManualPageTest, NamesEveryExportFormat) {
    Words named;
    for (const std::string& line : section("OPTIONS"))
        if (line.rfind(".B ", 0) == 0 && ParseExportFormat(line.substr(3)))
            named.insert(line.substr(3));
    const Words all = {"json", "csv", "gpx", "kml"};
    EXPECT_EQ(named, all);
    for (const std::string& format : all)
        EXPECT_NE(std::string(UsageText()).find(format), std::string::npos) << format;
}

TEST_F(ManualPageTest, GivesTheExitStatusesOfTheUsageText) {
    const std::string usage = UsageText();
    const std::string statuses = usage.substr(usage.find("Exit status:"));
    Words inUsage;
    for (std::size_t i = 0; i + 1 < statuses.size(); ++i)
        if (std::isdigit(static_cast<unsigned char>(statuses[i])) && statuses[i + 1] == ' ' &&
            (i == 0 || statuses[i - 1] == ' '))
            inUsage.insert(std::string(1, statuses[i]));
    EXPECT_EQ(tags("EXIT STATUS"), inUsage);
    EXPECT_EQ(inUsage.size(), 3u);
}

}  // namespace
}  // namespace tesmira
