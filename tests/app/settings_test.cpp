#include "app/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/app_paths.h"
#include "app/ini_profile.h"
#include "app/language_pack.h"
#include "extract/g_events.h"
#include "temp_dir.h"

namespace tesmira {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::Utf16Bytes;
using testing::WriteBytes;

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        ClearProfileCache();
        SetDataFolder(dir.path());
        SetMapProvider(kMapGoogle);
    }
    void TearDown() override { SetDataFolder(""); }
    TempDir dir;
};

TEST_F(Settings, FirstReadWritesTheDefaultFileByteForByte) {
    EXPECT_EQ(SettingsPath(), dir.path() + "/setting.ini");
    EXPECT_EQ(ReadUnit(), "KMH");
    const std::string bytes = ReadBytes(SettingsPath());
    ASSERT_EQ(bytes.size(), 90u);
    EXPECT_EQ(bytes, Utf16Bytes("[Setting]\r\nLanguage=en\r\nMap=google\r\nUnit=KMH"));
    EXPECT_EQ(ReadLanguage(), "en");
    EXPECT_EQ(ReadMap(), "google");

    // A deleted file comes back with the defaults on the next access.
    ASSERT_TRUE(WriteUnit("MPH"));
    ::unlink(SettingsPath().c_str());
    EXPECT_EQ(ReadUnit(), "KMH");
    EXPECT_EQ(ReadBytes(SettingsPath()).size(), 90u);
}

TEST_F(Settings, EveryReadReflectsTheLastWrite) {
    ASSERT_TRUE(WriteUnit("MPH"));
    EXPECT_EQ(ReadUnit(), "MPH");
    ASSERT_TRUE(WriteLanguage("zh-TW"));
    EXPECT_EQ(ReadLanguage(), "zh-TW");
    ASSERT_TRUE(WriteMap("baidu"));
    EXPECT_EQ(ReadMap(), "baidu");
    EXPECT_EQ(ReadBytes(SettingsPath()),
              Utf16Bytes("[Setting]\r\nLanguage=zh-TW\r\nMap=baidu\r\nUnit=MPH"));
    // An edit by someone else shows at the next read.
    WriteBytes(SettingsPath(), Utf16Bytes("[Setting]\r\nUnit=mph\r\n"));
    EXPECT_EQ(ReadUnit(), "mph");  // kept as written; callers find it is neither unit
    EXPECT_EQ(ReadLanguage(), "en");
}

TEST_F(Settings, MapValueSetsTheProviderOnlyWhenExact) {
    ASSERT_TRUE(WriteMap("baidu"));
    ReadMap();
    EXPECT_EQ(MapProvider(), kMapBaidu);
    ASSERT_TRUE(WriteMap("Google"));  // capital letter: no change
    ReadMap();
    EXPECT_EQ(MapProvider(), kMapBaidu);
    ASSERT_TRUE(WriteMap("google"));
    ReadMap();
    EXPECT_EQ(MapProvider(), kMapGoogle);
    ASSERT_TRUE(WriteMap("Baidu"));
    ReadMap();
    EXPECT_EQ(MapProvider(), kMapGoogle);
    // A missing key reads as "google".
    SetMapProvider(kMapBaidu);
    WriteBytes(SettingsPath(), Utf16Bytes("[Setting]\r\nUnit=KMH"));
    EXPECT_EQ(ReadMap(), "google");
    EXPECT_EQ(MapProvider(), kMapGoogle);
}

TEST_F(Settings, OsmChoiceAndTileTemplateSurviveARestart) {
    ASSERT_TRUE(WriteMap("osm"));
    EXPECT_EQ(ReadMap(), "osm");
    EXPECT_EQ(MapProvider(), kMapOsm);
    EXPECT_EQ(ReadTileUrl(), "");  // not in the file: the page's default tiles
    ASSERT_TRUE(WriteProfileString(SettingsPath(), "Setting", "tileurl",
                                   " file:///home/me/tiles/{z}/{x}/{y}.png "));
    // A new process: nothing in memory but what the file holds.
    ClearProfileCache();
    SetMapProvider(kMapGoogle);
    ApplyLanguage("");
    EXPECT_EQ(MapProvider(), kMapOsm);
    EXPECT_EQ(ReadTileUrl(), "file:///home/me/tiles/{z}/{x}/{y}.png");
    ASSERT_TRUE(WriteMap("OSM"));  // capitals: no change
    ReadMap();
    EXPECT_EQ(MapProvider(), kMapOsm);
}

TEST_F(Settings, EventThresholdIsOptionalAndFallsBackOnBadValues) {
    EXPECT_EQ(ReadEventG(), kDefaultEventG);  // not in the default file
    const std::vector<std::pair<std::string, double>> cases = {
        {"0.5", 0.5},
        {" 1.25 ", 1.25},
        {"0", kDefaultEventG},
        {"-1", kDefaultEventG},
        {"abc", kDefaultEventG},
        {"0.5g", kDefaultEventG},
        {"nan", kDefaultEventG},
        {"", kDefaultEventG},
    };
    for (const auto& [text, expected] : cases) {
        ASSERT_TRUE(WriteProfileString(SettingsPath(), "Setting", "EventG", text));
        EXPECT_EQ(ReadEventG(), expected) << text;
    }
}

TEST_F(Settings, WritingAMissingUnitAddsItToTheSettingSection) {
    WriteBytes(SettingsPath(),
               Utf16Bytes("[Setting]\r\nLanguage=fr\r\nMap=google\r\n\r\n[Extra]\r\n"));
    ASSERT_TRUE(WriteUnit("MPH"));
    EXPECT_EQ(ReadBytes(SettingsPath()),
              Utf16Bytes("[Setting]\r\nLanguage=fr\r\nMap=google\r\nUnit=MPH\r\n\r\n[Extra]\r\n"));
    EXPECT_EQ(ReadUnit(), "MPH");
}

TEST_F(Settings, NoDataFolderMeansNoFilesInTheWorkingFolder) {
    const std::string cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    SetDataFolder("");
    EXPECT_EQ(ReadUnit(), "KMH");
    EXPECT_FALSE(WriteUnit("MPH"));
    EXPECT_EQ(ApplyLanguage(""), "en");
    EXPECT_EQ(UiText("IDS_MENU_FILE"), "Not found");
    std::filesystem::current_path(cwd);
    EXPECT_EQ(testing::CountEntries(dir.path()), 0u);
}

TEST_F(Settings, MissingDataFolderGivesDefaultsAndFailedWrites) {
    SetDataFolder(dir.path() + "/gone");
    EXPECT_EQ(ReadUnit(), "KMH");
    EXPECT_EQ(ReadLanguage(), "en");
    EXPECT_FALSE(WriteUnit("MPH"));
    EXPECT_EQ(ReadUnit(), "KMH");
}

}  // namespace
}  // namespace tesmira
