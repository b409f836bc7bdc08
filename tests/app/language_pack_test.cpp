#include "app/language_pack.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "app/app_paths.h"
#include "app/ini_document.h"
#include "app/ini_profile.h"
#include "app/owner_data.h"
#include "app/settings.h"
#include "app/utf.h"
#include "temp_dir.h"

namespace tesmira {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::Utf16Bytes;
using testing::WriteBytes;

// UTF-16 bytes of UTF-8 text, with the mark.
std::string Utf16File(const std::string& utf8) {
    std::string out = "\xFF\xFE";
    for (const char16_t c : Utf8ToUtf16(utf8)) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

const std::map<std::string, int> kFiles = {{"Multi_eng.ini", 149},
                                           {"Multi_zhcn.ini", 148},
                                           {"Multi_zhtw.ini", 154},
                                           {"Multi_ru.ini", 155},
                                           {"Multi_fr.ini", 177}};

class Language : public ::testing::Test {
protected:
    void SetUp() override {
        ClearProfileCache();
        SetDataFolder(dir.path());
        SetMapProvider(kMapGoogle);
    }
    void TearDown() override { SetDataFolder(""); }
    std::string lang(const std::string& name) const { return dir.path() + "/Language/" + name; }
    bool allBuiltInFilesAsShipped() const {
        for (const auto& [name, id] : kFiles)
            if (ReadBytes(lang(name)) != *FindOwnerData(id)) return false;
        return true;
    }
    TempDir dir;
};

TEST_F(Language, FirstStartWritesTheFiveFilesAndSettlesOnEnglish) {
    EXPECT_EQ(UiText("IDS_MENU_FILE"), "Not found");  // nothing chosen yet
    EXPECT_EQ(ApplyLanguage(""), "en");
    EXPECT_TRUE(allBuiltInFilesAsShipped());
    EXPECT_EQ(CurrentLanguageFile(), lang("Multi_eng.ini"));
    EXPECT_EQ(ReadLanguage(), "en");
    EXPECT_EQ(UiText("IDS_MENU_FILE_OPEN"), "Open(&O)");

    // Settings without a "Language" key: "English" matches no file, so the files are
    // written again and the code becomes "en".
    WriteBytes(lang("Multi_eng.ini"), Utf16File("[Setting]\r\nLanguage=en\r\n[String]\r\n"));
    WriteBytes(SettingsPath(), Utf16Bytes("[Setting]\r\nMap=baidu\r\nUnit=KMH"));
    EXPECT_EQ(ApplyLanguage(""), "en");
    EXPECT_TRUE(allBuiltInFilesAsShipped());
    EXPECT_EQ(MapProvider(), kMapBaidu);  // the map choice is read on the way
    EXPECT_EQ(ReadBytes(SettingsPath()),
              Utf16Bytes("[Setting]\r\nMap=baidu\r\nUnit=KMH\r\nLanguage=en"));
}

TEST_F(Language, ADeletedFileBringsBackAllFiveAndIsUsed) {
    ApplyLanguage("");
    ASSERT_TRUE(WriteLanguage("fr"));
    WriteBytes(lang("Multi_eng.ini"), Utf16File("[Setting]\r\nLanguage=en\r\n"));  // user edit
    ASSERT_EQ(::unlink(lang("Multi_fr.ini").c_str()), 0);
    EXPECT_EQ(ApplyLanguage(""), "fr");
    EXPECT_TRUE(allBuiltInFilesAsShipped());  // overwritten, user edit included
    EXPECT_EQ(CurrentLanguageFile(), lang("Multi_fr.ini"));
    EXPECT_EQ(UiText("IDS_MENU_VIEW_UNIT"), "unit\xC3\xA9 de vitesse");
    EXPECT_EQ(ReadLanguage(), "fr");
    // With every file present nothing is written: a user edit survives.
    WriteBytes(lang("Multi_ru.ini"), Utf16File("[Setting]\r\nLanguage=ru\r\n[String]\r\nX=1"));
    EXPECT_EQ(ApplyLanguage("fr"), "fr");
    EXPECT_EQ(ReadBytes(lang("Multi_ru.ini")),
              Utf16File("[Setting]\r\nLanguage=ru\r\n[String]\r\nX=1"));
}

TEST_F(Language, TheLastFileInNameOrderWinsAmongFilesWithTheSameCode) {
    ApplyLanguage("");
    WriteBytes(lang("a_ru.ini"), Utf16File("[Setting]\r\nLanguage=ru\r\n[String]\r\nK=a"));
    WriteBytes(lang("z_ru.INI"), Utf16File("[Setting]\r\nLanguage=ru\r\n[String]\r\nK=z"));
    WriteBytes(lang("zz_ru.txt"), Utf16File("[Setting]\r\nLanguage=ru\r\n[String]\r\nK=txt"));
    ASSERT_EQ(::mkdir(lang("zzz.ini").c_str(), 0755), 0);  // a folder is no language file
    const auto files = EnumerateLanguageFiles();
    ASSERT_EQ(files.size(), 7u);
    EXPECT_EQ(files.front(), lang("Multi_eng.ini"));  // byte order: capitals first
    EXPECT_EQ(files.back(), lang("z_ru.INI"));
    EXPECT_EQ(ApplyLanguage("ru"), "ru");
    EXPECT_EQ(CurrentLanguageFile(), lang("z_ru.INI"));
    EXPECT_EQ(UiText("K"), "z");
}

TEST_F(Language, AUserMadeFileWithANewCodeIsUsedAndCodesAreCaseSensitive) {
    ApplyLanguage("");
    WriteBytes(lang("Multi_de.ini"),
               Utf16File("[Setting]\r\nLanguage=de\r\n[String]\r\nIDS_MENU_FILE=Datei\r\n"));
    EXPECT_EQ(ApplyLanguage("de"), "de");
    EXPECT_EQ(UiText("IDS_MENU_FILE"), "Datei");
    EXPECT_EQ(ReadLanguage(), "de");
    // Taken from the settings at the next start.
    ClearProfileCache();
    EXPECT_EQ(ApplyLanguage(""), "de");
    EXPECT_EQ(CurrentLanguageFile(), lang("Multi_de.ini"));
    // "DE" is not "de": nothing matches, English is chosen and stored.
    EXPECT_EQ(ApplyLanguage("DE"), "en");
    EXPECT_EQ(CurrentLanguageFile(), lang("Multi_eng.ini"));
    EXPECT_EQ(ReadLanguage(), "en");
    // Every built-in code has its file.
    EXPECT_EQ(ApplyLanguage("zh-TW"), "zh-TW");
    EXPECT_EQ(CurrentLanguageFile(), lang("Multi_zhtw.ini"));
}

TEST_F(Language, UiTextAndWindowTextLookups) {
    ApplyLanguage("");
    WriteBytes(lang("Multi_xx.ini"),
               Utf16File("[Setting]\r\nLanguage=xx\r\n[String]\r\nTwo=first\\nsecond\\n\r\n"
                         "Empty=\r\nLong=" +
                         std::string(1200, 'L') + "\\n\r\n"));
    ApplyLanguage("xx");
    EXPECT_EQ(UiText("two"), "first\nsecond\n");
    EXPECT_EQ(UiText("Missing"), "Not found");
    EXPECT_EQ(UiText("Empty"), "");
    EXPECT_EQ(UiText("Long"), std::string(999, 'L'));  // cut before the "\n" is reached
    EXPECT_EQ(WindowText("Two"), "first\\nsecond\\n");
    EXPECT_EQ(WindowText("Missing"), "");
}

// The shipped files: codes, keys, and a sample of the texts of every language.
TEST(LanguageFiles, ShipTheSameKeysWithTheirTranslations) {
    const std::map<int, std::string> codes = {
        {149, "en"}, {148, "zh-CN"}, {154, "zh-TW"}, {155, "ru"}, {177, "fr"}};
    auto text = [](int id, const char16_t* key) {
        const auto doc = IniDocument::Parse(*FindOwnerData(id));
        const auto value = doc.Get(u"String", key);
        return value ? Utf16ToUtf8(*value) : std::string("<missing>");
    };
    const char16_t* keys[] = {
        u"IDS_MENU_FILE", u"IDS_MENU_VIEW_LANG_CNS", u"IDS_MENU_HELP_ABOUT", u"IDD102_title",
        u"IDD104_1000_0", u"IDD104_1000_1",          u"IDD104_1011",         u"IDD105_1003_6",
        u"IDD157_title",  u"IDD100_title",           u"IDD100_1018",         u"IDD100_1019"};
    for (const auto& [id, code] : codes) {
        const auto bytes = FindOwnerData(id);
        ASSERT_TRUE(bytes) << id;
        ASSERT_EQ(bytes->substr(0, 2), "\xFF\xFE");
        const auto doc = IniDocument::Parse(*bytes);
        EXPECT_EQ(doc.Get(u"Setting", u"Language"), Utf8ToUtf16(code));
        for (const char16_t* key : keys) EXPECT_TRUE(doc.Get(u"String", key)) << id;
        EXPECT_EQ(text(id, u"IDD102_title"), "Tesmira");
        EXPECT_EQ(text(id, u"IDD100_1018"), "Tesmira");
        EXPECT_EQ(text(id, u"IDD100_1019"), "");
        EXPECT_EQ(text(id, u"IDD104_1011"), "00:00:00/00:00:00");
        EXPECT_EQ(text(id, u"IDS_MENU_VIEW_LANG_RU"),
                  "(ru)\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9");
        // Contact lines everywhere but in French.
        EXPECT_EQ(doc.Get(u"String", u"IDD100_1024").has_value(), code != "fr") << code;
    }
    EXPECT_EQ(text(149, u"IDD105_1003_3"), "Data,time");
    EXPECT_EQ(text(149, u"IDS_MENU_VIEW_MAP_BAIDU"), "Baidu Maps(detailed for china)");
    EXPECT_EQ(text(148, u"IDD105_1003_2"), "\xE8\xA7\x86\xE9\xA2\x91\xE9\x95\xBF\xE5\xBA\xA6");
    EXPECT_EQ(text(154, u"IDS_MENU_HELP_ABOUT"), "\xE9\x97\x9C\xE6\x96\xBC");
    EXPECT_EQ(text(155, u"IDD104_1000_1"), "\xD0\x9F\xD0\xB0\xD1\x83\xD0\xB7\xD0\xB0");
    EXPECT_EQ(text(177, u"IDD100_title"), "environ Tesmira");
    EXPECT_EQ(text(177, u"IDD157_1"), "ok");
    EXPECT_EQ(text(177, u"IDD104_1001"), "Arr\xC3\xAAter");
}

}  // namespace
}  // namespace tesmira
