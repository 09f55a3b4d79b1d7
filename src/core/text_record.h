// The text library's file: a plain sequence of byte records, no header, no count,
// no trailer, integers little-endian. Each record is
//   kind (1 byte)  image (4)  state image (4)  indent (4)  data (4)  text NUL  second text NUL
// Kind 0 starts a row and holds its column 0; any other kind holds the next
// column of the row started last. The second text is written empty and skipped
// on reading. Libraries moderators already keep are in this format, so it is
// byte for byte what they hold.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vostrel {

struct TextRow {
    std::vector<std::string> cells;  // cells[0] title, cells[1] body
    std::int32_t image = -1;
    std::int32_t data = 0;
};

// A cell cannot hold a NUL in this format: it is written up to its first NUL.
std::string encodeTextRows(const std::vector<TextRow>& rows);
// One record appended to out: a row's start (its column 0, image and data) or its
// next column. For writers that make the bytes as they read the cells.
void appendTextRecord(std::string& out, bool startsRow, std::int32_t image, std::int32_t data,
                      std::string_view text);

// Never reads past the end. An incomplete last record (cut short inside its head
// or before either NUL) is dropped; a further column before any row start has no
// row to go to and is dropped too.
std::vector<TextRow> decodeTextRows(std::string_view bytes);

// One record as it lies in the bytes, for readers that walk the records without
// copying them. text points into the bytes and is followed there by its NUL.
struct TextRecordView {
    bool startsRow = false;  // kind 0
    std::int32_t image = -1;
    std::int32_t data = 0;
    std::string_view text;
};

// Reads the record at offset at: the offset of the next record, or npos (and the
// record untouched) when no complete record starts there.
std::size_t nextTextRecord(std::string_view bytes, std::size_t at, TextRecordView& record);

}  // namespace vostrel
