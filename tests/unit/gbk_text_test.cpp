#include "core/gbk_text.h"

#include <gtest/gtest.h>

namespace vostrel {
namespace {

// "　" is the full-width space A1 A1; "中" is D6 D0; "小" is D0 A1, whose trail byte
// A1 followed by the lead byte A1 of a full-width space must not read as one.
const std::string kFullWidth = "\xA1\xA1";
const std::string kZhong = "\xD6\xD0";
const std::string kXiao = "\xD0\xA1";

TEST(TrimSpaces, RemovesAsciiAndFullWidthSpacesAtBothEnds) {
    struct Case { std::string in, out; } cases[] = {
        {"", ""},
        {"   ", ""},
        {kFullWidth + kFullWidth, ""},
        {" " + kFullWidth + " ", ""},
        {"  abc  ", "abc"},
        {kFullWidth + "a b" + kFullWidth, "a b"},
        {" " + kZhong + " ", kZhong},
        {"\t x", "\t x"},  // only spaces count
    };
    for (const Case& c : cases) EXPECT_EQ(trimSpaces(c.in), c.out) << c.in;
}

TEST(TrimSpaces, NeverCutsIntoADoubleByteCharacter) {
    // 小 ends in A1; a trailing lone A1 is a broken character, not half a space.
    EXPECT_EQ(trimSpaces(kXiao), kXiao);
    EXPECT_EQ(trimSpaces(kXiao + kFullWidth), kXiao);
    EXPECT_EQ(trimSpaces("a\xA1"), "a\xA1");
}

TEST(FindAtCharacterStart, SkipsMatchesThatBeginOnATrailByte) {
    // The bytes "\xD0\xA1\xA1\xA1": 小 then a full-width space. Searching A1 A1 must
    // find the space at 2, not the pair straddling the two characters at 1.
    std::string text = kXiao + kFullWidth;
    EXPECT_EQ(findAtCharacterStart(text, kFullWidth), 2u);
    EXPECT_EQ(findAtCharacterStart(kXiao + "x", "\xA1x"), std::string::npos);
    EXPECT_EQ(findAtCharacterStart("abcabc", "bc", 2), 4u);
    EXPECT_EQ(findAtCharacterStart("abc", ""), 0u);
    EXPECT_EQ(findAtCharacterStart("ab", "abc"), std::string::npos);
}

TEST(PercentEncodeHighBytes, AGbkNameBecomesThePlainAddressEveryServerReadsTheSame) {
    EXPECT_EQ(percentEncodeHighBytes("http://h/\xD0\xA1 a.exe?x=1%20"), "http://h/%D0%A1%20a.exe?x=1%20");
    EXPECT_EQ(percentEncodeHighBytes(std::string("a\x7F\x01\xFF", 4)), "a%7F%01%FF");
}

}  // namespace
}  // namespace vostrel
