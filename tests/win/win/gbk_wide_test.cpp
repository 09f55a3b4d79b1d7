// GBK and UTF-16 at the edge of Windows: code page 936 whatever the system's own,
// and every byte string back as it came.
#include "win/gbk_wide.h"

#include <gtest/gtest.h>

#include <random>

namespace vostrel {
namespace {

TEST(GbkWide, ChineseTextIsTheSameOnEveryWindowsLanguage) {
    // The program's literals are GBK bytes: "场控文本" is b3 a1 bf d8 ce c4 b1 be.
    EXPECT_EQ(toWide("场控文本"), L"\u573A\u63A7\u6587\u672C");
    EXPECT_EQ(toGbk(L"\u573A\u63A7\u6587\u672C"), "场控文本");
    EXPECT_EQ(toWide("A1 \x80"), L"A1 \u20AC");
}

// Every string of one and two bytes, and long random ones, come back byte for byte:
// a library holding stray bytes loads and saves unchanged.
TEST(GbkWide, AnyBytesComeBackAsTheyWere) {
    for (unsigned first = 0; first < 0x100; ++first) {
        for (unsigned second = 0; second < 0x100; ++second) {
            const std::string bytes{static_cast<char>(first), static_cast<char>(second)};
            std::string back;
            ASSERT_TRUE(toGbkExactly(toWide(bytes), back)) << std::hex << first << " " << second;
            ASSERT_EQ(back, bytes) << std::hex << first << " " << second;
        }
    }
    std::mt19937 random(17);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(1 + random() % 300, '\0');
        for (char& byte : bytes) byte = static_cast<char>(0x7F + random() % 0x81);
        std::string back;
        ASSERT_TRUE(toGbkExactly(toWide(bytes), back));
        ASSERT_EQ(back, bytes);
    }
}

TEST(GbkWide, ACharacterGbkCannotHoldIsReportedNeverSilentlyLost) {
    const std::wstring typed = L"\u573A\u63A7 \u0905 \U0001F600";  // 场控, Devanagari A, an emoji
    std::string gbk;
    EXPECT_FALSE(toGbkExactly(typed, gbk));
    EXPECT_EQ(gbk, "场控 ? ?");
    EXPECT_EQ(firstCharacterOutsideGbk(typed), U'\u0905');
    EXPECT_EQ(firstCharacterOutsideGbk(L"x\U0001F600"), U'\U0001F600');
    EXPECT_EQ(firstCharacterOutsideGbk(L"\u573A\u00E9"), U'\0');  // é is in GBK (pinyin)
}

}  // namespace
}  // namespace vostrel
