// The sample library that ships in the release zip (packaging/morvath.txt): it must
// load through the program's own codec into whole two-column rows of GBK text.
#include "core/gbk_text.h"
#include "core/text_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace vostrel {
namespace {

std::string sampleBytes() {
    std::ifstream file(VOSTREL_SOURCE_DIR "/packaging/morvath.txt", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Every lead byte has its trail byte (0x40-0x7E or 0x80-0xFE), and no control characters.
bool isWholeGbk(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (isGbkLeadByte(byte)) {
            if (i + 1 == text.size()) return false;
            auto trail = static_cast<unsigned char>(text[++i]);
            if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
        } else if (byte < 0x20 || byte >= 0x7F) {
            return false;
        }
    }
    return true;
}

// A generator that wrote UTF-8 instead of GBK passes the check above by chance
// (UTF-8 bytes of Chinese text pair up as GBK characters), but not this one.
bool isUtf8WithMultibyteCharacters(const std::string& text) {
    bool multibyte = false;
    for (size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        size_t length = byte < 0x80 ? 1 : (byte & 0xE0) == 0xC0 ? 2 : (byte & 0xF0) == 0xE0 ? 3 : (byte & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        multibyte = multibyte || length > 1;
        i += length;
    }
    return multibyte;
}

TEST(SampleLibrary, LoadsIntoWholeRowsOfGbkText) {
    std::string bytes = sampleBytes();
    ASSERT_FALSE(bytes.empty()) << "packaging/morvath.txt is missing";
    std::vector<TextRow> rows = decodeTextRows(bytes);
    ASSERT_GE(rows.size(), 3u);
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const TextRow& row = rows[i];
        ASSERT_EQ(row.cells.size(), 2u) << "a title and a body";
        EXPECT_EQ(row.image, -1);
        EXPECT_EQ(row.data, 0);
        for (const std::string& cell : row.cells) {
            EXPECT_FALSE(cell.empty());
            EXPECT_TRUE(isWholeGbk(cell)) << cell;
            EXPECT_FALSE(isUtf8WithMultibyteCharacters(cell)) << "UTF-8, not GBK: " << cell;
        }
        // Chinese text, not ASCII: at least one double-byte character in the body.
        EXPECT_NE(std::find_if(row.cells[1].begin(), row.cells[1].end(),
                               [](char c) { return isGbkLeadByte(static_cast<unsigned char>(c)); }),
                  row.cells[1].end());
    }
    // Nothing in the file that a load would drop: it is exactly what a save writes back.
    EXPECT_EQ(encodeTextRows(rows), bytes);
}

}  // namespace
}  // namespace vostrel
