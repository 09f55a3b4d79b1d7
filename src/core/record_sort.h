// One list-view item with all its columns, and the order the list sorts such items in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vostrel {

struct ItemRecord {
    std::string text;                         // column 0
    std::int32_t image = 0;
    std::int32_t check = 0;                   // state image index - 1: -1 none, 0 clear, 1 ticked
    std::int64_t param = 0;                   // lParam, as wide as the list's process has it
    std::int32_t indent = 0;
    std::vector<std::string> subitemTexts;    // columns 1 ... n-1
    std::vector<std::int32_t> subitemImages;  // columns 1 ... n-1
};

// Sort keys. A negative key is the bitwise NOT of a positive one and sorts the same
// field descending; 0 and -1 mean "do not sort".
namespace sort_key {
constexpr std::int32_t kText = 1;
constexpr std::int32_t kImage = 2;
constexpr std::int32_t kCheck = 3;
constexpr std::int32_t kParam = 4;
constexpr std::int32_t kColumn = 2048;  // kColumn + n: column n (0 is the item text)
}  // namespace sort_key

// Byte order of GBK texts: unsigned bytes, a prefix before the longer text.
int compareTexts(const std::string& a, const std::string& b);

// Compares two records by the field a positive key names (<0, 0, >0). A column the
// record does not carry compares as an empty text. Unknown keys compare equal.
int compareRecords(const ItemRecord& a, const ItemRecord& b, std::int32_t key);

// Quicksort of records low ... high (1-based, inclusive) by the key; the pivot is the
// record at low. Positions outside the list are clamped to it; key 0 or -1, an
// unknown key, or low >= high leave the list as it is.
void sortRecords(std::vector<ItemRecord>& records, int low, int high, std::int32_t key);
// The whole list.
void sortRecords(std::vector<ItemRecord>& records, std::int32_t key);

}  // namespace vostrel
