#include "core/text_record.h"

#include <gtest/gtest.h>

namespace vostrel {

// Found by argument lookup from std::vector's == and GoogleTest's printer.
bool operator==(const TextRow& a, const TextRow& b) {
    return a.cells == b.cells && a.image == b.image && a.data == b.data;
}

void PrintTo(const TextRow& row, std::ostream* out) {
    *out << "{image " << row.image << ", data " << row.data << ", cells";
    for (const std::string& cell : row.cells) *out << " \"" << cell << "\"";
    *out << "}";
}

namespace {

using namespace std::string_literals;

// A row titled "abc" with the body "xy", image -1, data 0: two records, 43 bytes.
const std::string kAbcXy =
    "\x00\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x00\x00\x00\x00\x00\x00\x00\x00" "abc\x00\x00"
    "\x01\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x00\x00\x00\x00\x00\x00\x00\x00" "xy\x00\x00"s;

std::string head(char kind, std::int32_t image = -1, std::int32_t data = 0) {
    std::string bytes(1, kind);
    for (std::int32_t value : {image, std::int32_t(-1), std::int32_t(0), data}) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF));
    }
    return bytes;
}

TEST(TextRecord, EncodesTheTwoColumnRowByteForByte) {
    EXPECT_EQ(kAbcXy.size(), 43u);
    EXPECT_EQ(encodeTextRows({{{"abc", "xy"}}}), kAbcXy);
    EXPECT_EQ(decodeTextRows(kAbcXy), (std::vector<TextRow>{{{"abc", "xy"}}}));
    EXPECT_EQ(encodeTextRows({}), "");
    EXPECT_TRUE(decodeTextRows("").empty());
}

TEST(TextRecord, RoundTripsWhatTheListHolds) {
    std::string longBody(10 * 1024, 'x');
    longBody[248] = '\xD6';  // 中 across byte 249
    longBody[249] = '\xD0';
    std::vector<TextRow> rows = {
        {{"", ""}},
        {{"\xB3\xA1\xBF\xD8", "line one\r\nline two\r\n"}},  // 场控, CR LF kept
        {{"title", longBody}},
        {{"neg", "x"}, -7, -123456789},
        {{"wide", "a", "b", "c"}, 3, 0x7FFFFFFF},  // more columns than the list has
        {{"only a title"}},
    };
    EXPECT_EQ(decodeTextRows(encodeTextRows(rows)), rows);
}

TEST(TextRecord, SkipsTheSecondTextWhateverItHolds) {
    std::string bytes = head(0, 5, 9) + "t\0ignored\0"s + head(1) + "b\0\0"s;
    EXPECT_EQ(decodeTextRows(bytes), (std::vector<TextRow>{{{"t", "b"}, 5, 9}}));
}

TEST(TextRecord, FurtherColumnBeforeAnyRowStartGoesNowhere) {
    std::string bytes = head(1) + "orphan\0\0"s + head(7) + "again\0\0"s + kAbcXy;
    EXPECT_EQ(decodeTextRows(bytes), (std::vector<TextRow>{{{"abc", "xy"}}}));
}

TEST(TextRecord, AnyNonZeroKindContinuesTheRow) {
    std::string bytes = head(0) + "t\0\0"s + head('\xFF') + "b\0\0"s + head(2) + "c\0\0"s;
    EXPECT_EQ(decodeTextRows(bytes), (std::vector<TextRow>{{{"t", "b", "c"}}}));
}

TEST(TextRecord, DropsAnIncompleteLastRecordWhereverItIsCut) {
    // Every proper prefix of the example keeps the first row whole only once its
    // record is complete, and never the cut body.
    for (std::size_t length = 0; length < kAbcXy.size(); ++length) {
        SCOPED_TRACE(length);
        std::vector<TextRow> rows = decodeTextRows(std::string_view(kAbcXy).substr(0, length));
        if (length < 22) {
            EXPECT_TRUE(rows.empty());
        } else {
            EXPECT_EQ(rows, (std::vector<TextRow>{{{"abc"}}}));
        }
    }
}

TEST(TextRecord, MissingNulsEndTheData) {
    EXPECT_TRUE(decodeTextRows(head(0) + "no nul at all"s).empty());
    EXPECT_TRUE(decodeTextRows(head(0) + "one nul\0"s).empty());
    EXPECT_EQ(decodeTextRows(kAbcXy + head(0) + "cut"s), (std::vector<TextRow>{{{"abc", "xy"}}}));
}

TEST(TextRecord, WritesACellOnlyUpToANul) {
    EXPECT_EQ(decodeTextRows(encodeTextRows({{{"ab\0cd"s, "x"}}})), (std::vector<TextRow>{{{"ab", "x"}}}));
}

}  // namespace
}  // namespace vostrel
