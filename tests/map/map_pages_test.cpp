#include "map/map_pages.h"

#include <gtest/gtest.h>

#include <string>

#include "app/map_providers.h"

namespace tesmira {
namespace {

TEST(MapPagesTest, ProviderAndLanguageChooseThePage) {
    struct Case {
        int provider;
        const char* language;
        int page;
    };
    const Case cases[] = {
        {1, "en", 160},           {1, "ru", 160},    {1, "zh-CN", 160}, {0, "zh-CN", 158},
        {0, "zh-TW", 159},        {0, "ru", 157},    {0, "fr", 176},    {0, "en", 156},
        {0, "de", 156},           {0, "zh-cn", 156}, {0, "", 156},      {2, "en", kOsmPageId},
        {2, "zh-CN", kOsmPageId}, {3, "en", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MapPageIdFor(c.provider, c.language), c.page)
            << "provider " << c.provider << " language " << c.language;
    }
}

TEST(MapPagesTest, GoogleChecksAskForEnglishWithAKeyWhateverThePageLanguage) {
    for (int id : {156, 157, 158, 159, 176}) {
        const std::string url = CheckUrlFor(*FindMapPage(id));
        const std::string prefix = "http://maps.googleapis.com/maps/api/js?&key=";
        ASSERT_EQ(url.rfind(prefix, 0), 0u) << url;
        const size_t keyEnd = url.find('&', prefix.size());
        EXPECT_EQ(keyEnd - prefix.size(), 39u) << url;
        EXPECT_EQ(url.substr(keyEnd), "&sensor=false&language=en") << url;
    }
    EXPECT_EQ(CheckUrlFor(*FindMapPage(160)), "http://api.map.baidu.com/api?v=1.3");
}

TEST(MapPagesTest, OnlyProviderPagesAreChecked) {
    EXPECT_EQ(CheckUrlFor(*FindMapPage(kOfflinePageId)), "");
    EXPECT_EQ(CheckUrlFor(*FindMapPage(kOsmPageId)), "");
    EXPECT_EQ(FindMapPage(155), nullptr);
    EXPECT_EQ(CheckUrlFor(*FindMapPage(160), "127.0.0.1:8080"), "http://127.0.0.1:8080/api?v=1.3");
}

TEST(MapPagesTest, EveryProviderRowLeadsBackToItselfAndToAPageOfItsOwn) {
    for (const MapProviderEntry& row : kMapProviders) {
        EXPECT_EQ(MapProviderForCommand(row.menuCommand), &row) << row.settingsValue;
        EXPECT_EQ(MapProviderForSetting(row.settingsValue), &row) << row.settingsValue;
        const MapPageEntry* page = FindMapPage(MapPageIdFor(row.provider, "en"));
        ASSERT_NE(page, nullptr) << row.settingsValue;
        EXPECT_EQ(page->provider, row.provider);
        EXPECT_EQ(CheckUrlFor(*page).empty(), row.checkHost == nullptr) << row.settingsValue;
    }
    EXPECT_EQ(MapProviderForSetting("Baidu"), nullptr);
}

TEST(MapPagesTest, TileTemplatesTheMapCannotFillOrThatReadFilesAreKnown) {
    struct Case {
        const char* tiles;
        const char* unknown;
        bool readsFiles;
    };
    const Case cases[] = {
        {"https://tile.openstreetmap.org/{z}/{x}/{y}.png", "", false},
        {"https://{s}.tiles.example.org/{z}/{x}/{-y}{r}.png", "", false},
        {"https://tiles.example.org/{z}/{x}/{y}.png?key={apikey}", "{apikey}", false},
        {"https://tiles.example.org/{ z}/{x }/{y}.png", "{x }", false},
        {"https://tiles.example.org/{}/{ }/{y}.png", "{ }", false},
        {"https://tiles.example.org/{z}/{x}/{y}.png?q={\"a\":1}", "", false},
        {"FILE:///srv/tiles/{z}/{x}/{y}.png", "", true},
        {"file:/srv/tiles/{z}/{x}/{y}.png", "", true},
        {"/srv/file:/{z}/{x}/{y}.png", "", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UnknownTilePlaceholder(c.tiles), c.unknown) << c.tiles;
        EXPECT_EQ(TileTemplateReadsFiles(c.tiles), c.readsFiles) << c.tiles;
    }
}

TEST(MapPagesTest, TheCheckLowersTheAddressAndAddsTheScheme) {
    EXPECT_EQ(NormalizeCheckUrl("Maps.Example.COM/Api?Key=AbC"),
              "http://maps.example.com/api?key=abc");
    EXPECT_EQ(NormalizeCheckUrl("HTTP://Host/x"), "http://host/x");
    // "http://" anywhere counts, as the check has it.
    EXPECT_EQ(NormalizeCheckUrl("x?u=http://y"), "x?u=http://y");
}

}  // namespace
}  // namespace tesmira
