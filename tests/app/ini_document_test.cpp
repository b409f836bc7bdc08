#include "app/ini_document.h"

#include <gtest/gtest.h>

#include "app/utf.h"
#include "temp_dir.h"

namespace tesmira {
namespace {

using testing::Utf16Bytes;

TEST(IniDocumentRead, NamesIgnoreCaseValuesAreTrimmedAndMissingGivesNothing) {
    const auto doc = IniDocument::Parse(
        Utf16Bytes("; Language=zz\r\n[ setting ]\r\n  LANGUAGE =  fr  \r\nMap=a=b\r\n"
                   "#Unit=MPH\r\nUnit\r\n[Other]\r\nUnit=KMH\r\n"));
    EXPECT_EQ(doc.encoding(), IniDocument::Encoding::Utf16Le);
    EXPECT_EQ(doc.Get(u"Setting", u"language"), u"fr");
    EXPECT_EQ(doc.Get(u"SETTING", u"map"), u"a=b");         // value starts after the first "="
    EXPECT_EQ(doc.Get(u"Setting", u"Unit"), std::nullopt);  // comment and "=" -less line
    EXPECT_EQ(doc.Get(u"other", u"UNIT"), u"KMH");
    EXPECT_EQ(doc.Get(u"Missing", u"Unit"), std::nullopt);
}

TEST(IniDocumentRead, LongValueIsCutAt999CodeUnitsWithoutSplittingAPair) {
    std::u16string value(1200, u'x');
    IniDocument doc;
    ASSERT_TRUE(doc.Set(u"S", u"K", value));
    const auto read = IniDocument::Parse(doc.Serialize()).Get(u"S", u"K");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->size(), 999u);
    // The whole value is kept in the file.
    EXPECT_NE(doc.Serialize().find(Utf16Bytes(std::string(1200, 'x'), false)), std::string::npos);

    std::u16string pairs = std::u16string(998, u'a') + u"\U0001F600tail";
    ASSERT_TRUE(doc.Set(u"S", u"K", pairs));
    const auto cut = IniDocument::Parse(doc.Serialize()).Get(u"S", u"K");
    EXPECT_EQ(*cut, std::u16string(998, u'a'));  // no lone high surrogate at the end
}

TEST(IniDocumentWrite, ReplacingAValueLeavesEveryOtherByteAlone) {
    // Mixed line ends, comments, blank lines, unknown keys and a last line without end.
    const std::string before = Utf16Bytes(
        "; settings\r\n\r\n[Other]\nx = 1\r[Setting]\r\nLanguage=en\r\n  unit =  KMH ;c\n"
        "Extra=keep\r\n\r\n[Tail]\r\nz=9");
    auto doc = IniDocument::Parse(before);
    EXPECT_EQ(doc.Serialize(), before);  // parsing alone changes nothing
    ASSERT_TRUE(doc.Set(u"setting", u"UNIT", u"MPH"));
    const std::string expected = Utf16Bytes(
        "; settings\r\n\r\n[Other]\nx = 1\r[Setting]\r\nLanguage=en\r\n  unit =MPH\n"
        "Extra=keep\r\n\r\n[Tail]\r\nz=9");
    EXPECT_EQ(doc.Serialize(), expected);
}

TEST(IniDocumentWrite, NewKeyGoesToTheEndOfItsSectionAndNewSectionToTheEndOfTheFile) {
    auto doc = IniDocument::Parse(Utf16Bytes("[Setting]\r\nLanguage=en\r\n\r\n[Other]\r\na=1"));
    ASSERT_TRUE(doc.Set(u"Setting", u"Unit", u"MPH"));
    EXPECT_EQ(doc.Serialize(),
              Utf16Bytes("[Setting]\r\nLanguage=en\r\nUnit=MPH\r\n\r\n[Other]\r\na=1"));
    // The last line had no line end: it gets one and the new section follows.
    ASSERT_TRUE(doc.Set(u"New", u"k", u"v"));
    EXPECT_EQ(doc.Serialize(), Utf16Bytes("[Setting]\r\nLanguage=en\r\nUnit=MPH\r\n\r\n[Other]"
                                          "\r\na=1\r\n[New]\r\nk=v"));
    // A key added to the last section of the file.
    ASSERT_TRUE(doc.Set(u"new", u"k2", u"w"));
    EXPECT_EQ(doc.Get(u"New", u"k2"), u"w");
    EXPECT_EQ(
        doc.Serialize().substr(doc.Serialize().size() - Utf16Bytes("k=v\r\nk2=w", false).size()),
        Utf16Bytes("k=v\r\nk2=w", false));

    // An empty document becomes a UTF-16 file with its mark; LF-only files keep LF.
    IniDocument fresh;
    ASSERT_TRUE(fresh.Set(u"Setting", u"Unit", u"MPH"));
    EXPECT_EQ(fresh.Serialize(), Utf16Bytes("[Setting]\r\nUnit=MPH"));
    auto lf = IniDocument::Parse(Utf16Bytes("[A]\nx=1\n"));
    ASSERT_TRUE(lf.Set(u"A", u"y", u"2"));
    EXPECT_EQ(lf.Serialize(), Utf16Bytes("[A]\nx=1\ny=2\n"));
}

TEST(IniDocumentWrite, ValuesThatWouldPlantLinesAreRefused) {
    auto doc = IniDocument::Parse(Utf16Bytes("[Setting]\r\nUnit=KMH\r\n"));
    const std::string before = doc.Serialize();
    EXPECT_FALSE(doc.Set(u"Setting", u"Unit", u"MPH\r\nLanguage=xx"));
    EXPECT_FALSE(doc.Set(u"Setting", u"Un=it", u"MPH"));
    EXPECT_FALSE(doc.Set(u"Set]ting", u"Unit", u"MPH"));
    EXPECT_FALSE(doc.Set(u"", u"Unit", u"MPH"));
    EXPECT_FALSE(doc.Set(u"Setting", u" ", u"MPH"));
    EXPECT_EQ(doc.Serialize(), before);
}

TEST(IniDocumentEncoding, FileWithoutMarkIsUtf8AndStaysUtf8) {
    const std::string before = "[String]\nIDS_MENU_FILE=Fichier\r\nIDD104_1001=Arr\xC3\xAAter\n";
    auto doc = IniDocument::Parse(before);
    EXPECT_EQ(doc.encoding(), IniDocument::Encoding::Utf8);
    EXPECT_EQ(doc.Get(u"string", u"idd104_1001"), u"Arr\u00EAter");
    ASSERT_TRUE(doc.Set(u"String", u"IDS_MENU_FILE", u"Fi\u00E7"));
    EXPECT_EQ(doc.Serialize(),
              "[String]\nIDS_MENU_FILE=Fi\xC3\xA7\r\nIDD104_1001=Arr\xC3\xAAter\n");

    // A UTF-8 mark is skipped for reading and kept; bad bytes survive a write elsewhere.
    const std::string marked = "\xEF\xBB\xBF[A]\r\nk=\xFF\xFE\r\nj=1";
    auto withMark = IniDocument::Parse(marked);
    EXPECT_EQ(withMark.Get(u"A", u"j"), u"1");
    ASSERT_TRUE(withMark.Set(u"A", u"j", u"2"));
    EXPECT_EQ(withMark.Serialize(), "\xEF\xBB\xBF[A]\r\nk=\xFF\xFE\r\nj=2");

    // Non-ASCII UTF-16 text and a stray odd byte at the end of a UTF-16 file.
    std::string odd = Utf16Bytes("[A]\r\nk=");
    odd += std::string("\x1F\x04", 2);  // U+041F
    odd += '\x7F';
    auto oddDoc = IniDocument::Parse(odd);
    EXPECT_EQ(oddDoc.Get(u"A", u"k"), u"\u041F");
    EXPECT_EQ(oddDoc.Serialize(), odd);
}

TEST(Utf, ConversionsRoundTripAndReplaceMalformedInput) {
    const std::string text = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    EXPECT_EQ(Utf8ToUtf16(text).size(), 5u);
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAFz"), u"\uFFFDz");        // overlong "/"
    EXPECT_EQ(Utf8ToUtf16("x\xE4\xB8"), u"x\uFFFD\uFFFD");  // cut short
    EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");    // lone surrogate
}

}  // namespace
}  // namespace tesmira
