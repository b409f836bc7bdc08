#include "map/map_pages.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(MapPagesTest, TheCheckLowersTheAddressAndAddsTheScheme) {
    EXPECT_EQ(NormalizeCheckUrl("Maps.Example.COM/Api?Key=AbC"),
              "http://maps.example.com/api?key=abc");
    EXPECT_EQ(NormalizeCheckUrl("HTTP://Host/x"), "http://host/x");
    // "http://" anywhere counts, as the check has it.
    EXPECT_EQ(NormalizeCheckUrl("x?u=http://y"), "x?u=http://y");
}

}  // namespace
}  // namespace tesmira
