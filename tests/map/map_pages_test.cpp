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

TEST(MapPagesTest, AKeyGoesEscapedIntoTheProviderScriptAddressOnly) {
    const std::string google =
        "<script src=\"https://maps.googleapis.com/maps/api/js?v=3.1&amp;language=en\"></script>"
        "<p>https://maps.googleapis.com/maps/api/js?</p>";
    const std::string baidu = "<script src=\"https://api.map.baidu.com/api?v=1.3\"></script>";
    struct Case {
        int page;
        const std::string* text;
        const char* key;
        const char* address;  // the script address the page then has
    };
    const Case cases[] = {
        {156, &google, "AIza-Sy_0.9~z",
         "https://maps.googleapis.com/maps/api/js?key=AIza-Sy_0.9~z&amp;v=3.1&amp;language=en"},
        {158, &google, "a b&c=\"d'<>/?#%+\xc3\xa9",
         "https://maps.googleapis.com/maps/api/js?key=a%20b%26c%3D%22d%27%3C%3E%2F%3F%23%25%2B%C3%"
         "A9&amp;v=3.1&amp;language=en"},
        {156, &google, "", "https://maps.googleapis.com/maps/api/js?v=3.1&amp;language=en"},
        {160, &baidu, "Bd1+2", "https://api.map.baidu.com/api?ak=Bd1%2B2&amp;v=1.3"},
        // Pages of other providers take no key.
        {kOsmPageId, &baidu, "k", "https://api.map.baidu.com/api?v=1.3"},
        {kOfflinePageId, &google, "k",
         "https://maps.googleapis.com/maps/api/js?v=3.1&amp;language=en"},
    };
    for (const Case& c : cases) {
        const std::string page = PageWithKey(*c.text, *FindMapPage(c.page), c.key);
        const std::size_t at = page.find("src=\"");
        EXPECT_EQ(page.substr(at + 5, page.find('"', at + 5) - at - 5), c.address) << c.key;
        // Nothing else in the page changes.
        EXPECT_EQ(page.size() - c.text->size(),
                  std::string_view(c.address).size() - (c.text->find('"', at + 5) - at - 5));
    }
    EXPECT_STREQ(KeyParameterFor(*FindMapPage(176)), "key");
    EXPECT_STREQ(KeyParameterFor(*FindMapPage(160)), "ak");
    EXPECT_EQ(KeyParameterFor(*FindMapPage(kOsmPageId)), nullptr);
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
