#include "core/text_record.h"

namespace vostrel {
namespace {

constexpr std::size_t kHeadSize = 17;
constexpr std::int32_t kNoImage = -1;

void appendInt32(std::string& out, std::int32_t value) {
    auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

std::int32_t readInt32(std::string_view bytes, std::size_t at) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= std::uint32_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

void appendRecord(std::string& out, char kind, std::int32_t image, std::int32_t data, std::string_view text) {
    out.push_back(kind);
    appendInt32(out, image);
    appendInt32(out, kNoImage);  // state image
    appendInt32(out, 0);         // indent
    appendInt32(out, data);
    out.append(text.substr(0, text.find('\0')));
    out.push_back('\0');
    out.push_back('\0');  // the second text, always empty
}

}  // namespace

void appendTextRecord(std::string& out, bool startsRow, std::int32_t image, std::int32_t data,
                      std::string_view text) {
    if (startsRow) {
        appendRecord(out, 0, image, data, text);
    } else {
        appendRecord(out, 1, kNoImage, 0, text);
    }
}

std::string encodeTextRows(const std::vector<TextRow>& rows) {
    std::size_t size = 0;
    for (const TextRow& row : rows) {
        for (const std::string& cell : row.cells) size += kHeadSize + cell.size() + 2;
        if (row.cells.empty()) size += kHeadSize + 2;
    }
    std::string out;
    out.reserve(size);
    for (const TextRow& row : rows) {
        appendRecord(out, 0, row.image, row.data, row.cells.empty() ? std::string_view() : row.cells[0]);
        for (std::size_t c = 1; c < row.cells.size(); ++c) appendRecord(out, 1, kNoImage, 0, row.cells[c]);
    }
    return out;
}

std::size_t nextTextRecord(std::string_view bytes, std::size_t at, TextRecordView& record) {
    if (at >= bytes.size() || bytes.size() - at < kHeadSize) return std::string_view::npos;
    std::size_t textStart = at + kHeadSize;
    std::size_t textEnd = bytes.find('\0', textStart);
    if (textEnd == std::string_view::npos) return std::string_view::npos;
    std::size_t secondEnd = bytes.find('\0', textEnd + 1);
    if (secondEnd == std::string_view::npos) return std::string_view::npos;
    record.startsRow = bytes[at] == 0;
    record.image = readInt32(bytes, at + 1);
    record.data = readInt32(bytes, at + 13);
    record.text = bytes.substr(textStart, textEnd - textStart);
    return secondEnd + 1;
}

std::vector<TextRow> decodeTextRows(std::string_view bytes) {
    std::vector<TextRow> rows;
    TextRecordView record;
    for (std::size_t at = 0; (at = nextTextRecord(bytes, at, record)) != std::string_view::npos;) {
        if (record.startsRow) {
            TextRow row;
            row.image = record.image;
            row.data = record.data;
            row.cells.emplace_back(record.text);
            rows.push_back(std::move(row));
        } else if (!rows.empty()) {
            rows.back().cells.emplace_back(record.text);
        }
    }
    return rows;
}

}  // namespace vostrel
