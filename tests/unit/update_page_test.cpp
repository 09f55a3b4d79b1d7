#include "core/update_page.h"

#include "gbk_literal.h"

#include <gtest/gtest.h>

namespace vostrel {
namespace {

using test::gbk;

std::string page(std::string_view utf8Section) {
    return gbk("<html><body><p>说明</p>////开始") + gbk(utf8Section) + gbk("////结束<p>尾</p></body></html>");
}

TEST(TextBetween, CutsBetweenTheFirstLeftAndTheFirstRightAfterIt) {
    struct Case { const char* text; const char* left; const char* right; const char* expected; } cases[] = {
        {"a[x]b[y]", "[", "]", "x"},
        {"]a[x]", "[", "]", "x"},          // a right marker before the left one does not count
        {"[]", "[", "]", ""},
        {"[x", "[", "]", ""},              // no right marker: empty
        {"x]", "[", "]", ""},              // no left marker: empty, never a cut from the start
        {"", "[", "]", ""},
        {"<<a>>b>>", "<<", ">>", "a"},
        {"AbCaBC", "a", "C", "B"},         // case-sensitive: neither "A" nor the first "C" counts
    };
    for (const Case& c : cases) {
        EXPECT_EQ(textBetween(c.text, c.left, c.right), c.expected) << c.text << " " << c.left << " " << c.right;
    }
}

TEST(TextBetween, NeverMatchesAMarkerAcrossADoubleByteCharacter) {
    // 啊 is B0 A1 and 是 is CA C7. The bytes "\xB0\xCA" are one character, so a 是
    // key that only exists from its second byte on must not be found.
    std::string key = gbk("是否强制更新=");
    std::string straddling = std::string("\xB0") + key + gbk("是</p>");
    EXPECT_EQ(textBetween(straddling, key, "</p>"), "");
    // The same bytes with a single-byte character in front: found.
    std::string real = "x" + key + gbk("是</p>");
    EXPECT_EQ(textBetween(real, key, "</p>"), gbk("是"));
    // The right marker too is only found where a character starts: "\xD0\xA1" (小)
    // then "\xA1\xA1" would read A1 A1 at offset 1.
    EXPECT_EQ(textBetween("[\xD0\xA1\xA1\xA1", "[", "\xA1\xA1"), "\xD0\xA1");
}

TEST(UpdatePageSection, TakesTheTextBetweenTheMarkersUpToTheFirstZeroByte) {
    EXPECT_EQ(updatePageSection(page("是否强制更新=否</p>")), gbk("是否强制更新=否</p>"));
    EXPECT_EQ(updatePageSection(gbk("是否强制更新=是</p>")), "");   // no markers at all
    EXPECT_EQ(updatePageSection(gbk("是否强制更新=是</p>////结束")), "");  // only the end marker
    EXPECT_EQ(updatePageSection(gbk("////开始是否强制更新=是</p>")), "");  // only the begin marker
    std::string zeroFirst = std::string("abc") + '\0' + page("是否强制更新=是</p>");
    EXPECT_EQ(updatePageSection(zeroFirst), "");
    std::string zeroAfter = page("x") + '\0' + "junk";
    EXPECT_EQ(updatePageSection(zeroAfter), "x");
    // The first end marker after the begin marker closes the section.
    EXPECT_EQ(updatePageSection(gbk("////开始a////结束b////结束")), "a");
}

TEST(UpdateKeys, ReadsTheFourKeysAndOnlyAnExactYesMeansYes) {
    UpdateInfo info;
    std::string section = updatePageSection(page(
        "<p>是否提示更新=是 </p><p>是否强制更新=是</p>\n自动更新地址= http://h/new.exe　</p>"
        "程序名字=新版.exe</p>是否强制更新=否</p>"));
    readDecisionKeys(section, info);
    readDownloadKeys(section, info);
    EXPECT_EQ(info.forceUpdate, gbk("是"));           // the first of two keys counts
    EXPECT_EQ(info.promptUpdate, gbk("是 "));          // trailing space kept...
    EXPECT_TRUE(isYes(info.forceUpdate));
    EXPECT_FALSE(isYes(info.promptUpdate));            // ...and not a yes
    EXPECT_EQ(info.updateAddress, gbk(" http://h/new.exe　"));  // trimmed later, by the download
    EXPECT_EQ(info.programName, gbk("新版.exe"));

    for (const char* notYes : {"", "否", " 是", "是是", "yes", "Y", "是否"}) {
        EXPECT_FALSE(isYes(gbk(notYes))) << notYes;
    }
}

TEST(UpdateKeys, AKeyWithoutItsEndOrOutsideTheSectionIsEmpty) {
    UpdateInfo info;
    readDecisionKeys(updatePageSection(gbk("是否强制更新=是</p>////开始是否提示更新=是////结束")), info);
    EXPECT_EQ(info.forceUpdate, "");
    EXPECT_EQ(info.promptUpdate, "");
}

TEST(PlainFileName, AcceptsBareNamesOnly) {
    for (const char* good : {"new.exe", "Vostrel V2.exe", "a", ".hidden.exe", "助手2.exe", "con2.exe", "COM0.exe",
                             "lpt.exe", "nul_not.exe"}) {
        EXPECT_TRUE(isPlainFileName(gbk(good))) << good;
    }
    for (const char* bad : {"", ".", "..", "..\\x.exe", "../x.exe", "sub\\x.exe", "sub/x.exe", "C:x.exe",
                            "C:\\Windows\\x.exe", "\\\\host\\share\\x.exe", "x.exe.", "x.exe ", "CON", "con.exe",
                            "Nul.txt", "COM1", "com9.exe", "LPT3.dat", "AUX .exe", "x?.exe", "x*.exe", "a<b",
                            "a|b", "a\"b", "x.exe:stream"}) {
        EXPECT_FALSE(isPlainFileName(gbk(bad))) << bad;
    }
    EXPECT_FALSE(isPlainFileName(std::string("a\tb")));
    EXPECT_FALSE(isPlainFileName(std::string("a\0b", 3)));
    EXPECT_FALSE(isPlainFileName(std::string(256, 'a')));
    EXPECT_FALSE(isPlainFileName("x\xB0"));  // ends inside a double-byte character
}

TEST(PlainFileName, ATrailByteThatLooksLikeASeparatorIsPartOfItsCharacter) {
    // 乗 is 81 5C in GBK: its trail byte is the value of '\'.
    EXPECT_TRUE(isPlainFileName("\x81\x5C.exe"));
    EXPECT_TRUE(isPlainFileName("\x81\x7C.exe"));  // likewise '|'
    EXPECT_FALSE(isPlainFileName("a\x5C.exe"));
}

TEST(PlainFileName, ALeadByteMakesACharacterOnlyWithAGbkTrailByte) {
    // Outside code page 936 these are single-byte characters: 81 then '/' names a
    // folder, 81 then ':' a stream, and "COM\xB9" (COM¹ in code page 1252) a device.
    for (const char* bad : {"\x81/x.exe", "\x81:x.exe", "COM\xB9.exe", "\xB0 x.exe", "\xB0\x3Fx.exe",
                            "\xB0\x7Fx.exe", "\xB0\xFFx.exe"}) {
        EXPECT_FALSE(isPlainFileName(bad)) << bad;
    }
    for (const char* good : {"\x81\x40.exe", "\xB0\x7E.exe", "\xB0\x80.exe", "\xFE\xFE.exe"}) {
        EXPECT_TRUE(isPlainFileName(good)) << good;
    }
}

// The name as Windows gets it: a GBK code can stand for a character that the
// wide path must not hold (fullwidth forms pass, they separate nothing).
TEST(PlainFileName, TheWideNameObeysTheSameRules) {
    for (const char16_t* good : {u"new.exe", u"\u52A9\u624B2.exe", u"\uFF0F.exe", u"COM0.exe", u"a\u00B9.exe"}) {
        EXPECT_TRUE(isPlainFileName(std::u16string_view(good)));
    }
    for (const char16_t* bad : {u"", u"..", u"sub\\x.exe", u"sub/x.exe", u"C:x.exe", u"x.exe.", u"x.exe ",
                                u"CON.txt", u"com1", u"COM\u00B9.exe", u"LPT\u00B2", u"x?.exe",
                                u"a\u0001b"}) {
        EXPECT_FALSE(isPlainFileName(std::u16string_view(bad)));
    }
    const char16_t strayByte[] = {u'a', 0xDCB0, u'.', u'e', u'x', u'e'};  // a lone B0 carried through
    EXPECT_FALSE(isPlainFileName(std::u16string_view(strayByte, 6)));
}

}  // namespace
}  // namespace vostrel
