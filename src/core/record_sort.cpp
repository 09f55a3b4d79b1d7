#include "core/record_sort.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vostrel {

namespace {

bool isKnownField(std::int32_t field) {
    return (field >= sort_key::kText && field <= sort_key::kParam) || field >= sort_key::kColumn;
}

const std::string& columnText(const ItemRecord& record, std::int32_t column) {
    static const std::string empty;
    if (column == 0) return record.text;
    size_t index = static_cast<size_t>(column) - 1;
    return index < record.subitemTexts.size() ? record.subitemTexts[index] : empty;
}

int compareNumbers(std::int64_t a, std::int64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

}  // namespace

int compareTexts(const std::string& a, const std::string& b) {
    size_t common = std::min(a.size(), b.size());
    int bytes = common ? std::memcmp(a.data(), b.data(), common) : 0;  // memcmp compares unsigned bytes
    if (bytes != 0) return bytes < 0 ? -1 : 1;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int compareRecords(const ItemRecord& a, const ItemRecord& b, std::int32_t key) {
    switch (key) {
    case sort_key::kText: return compareTexts(a.text, b.text);
    case sort_key::kImage: return compareNumbers(a.image, b.image);
    case sort_key::kCheck: return compareNumbers(a.check, b.check);
    case sort_key::kParam: return compareNumbers(a.param, b.param);
    default: break;
    }
    if (key < sort_key::kColumn) return 0;
    std::int32_t column = key - sort_key::kColumn;
    return compareTexts(columnText(a, column), columnText(b, column));
}

void sortRecords(std::vector<ItemRecord>& records, int low, int high, std::int32_t key) {
    if (key == 0 || key == -1) return;
    const bool descending = key < 0;
    const std::int32_t field = descending ? ~key : key;
    if (!isKnownField(field)) return;
    low = std::max(low, 1);
    if (static_cast<long long>(high) > static_cast<long long>(records.size())) high = static_cast<int>(records.size());
    // order(a, b) < 0: a comes before b.
    auto order = [&](const ItemRecord& a, const ItemRecord& b) {
        int c = compareRecords(a, b, field);
        return descending ? -c : c;
    };
    auto at = [&](int position) -> ItemRecord& { return records[static_cast<size_t>(position) - 1]; };

    // Recurse into the smaller part and loop on the larger: a list that is already in
    // order splits off one record per round, and would otherwise nest as deep as it
    // is long. Which part goes first does not change the result.
    while (low < high) {
        ItemRecord pivot = std::move(at(low));  // position low is now the hole
        int i = low, j = high;
        while (i < j) {
            while (i < j && order(at(j), pivot) >= 0) --j;
            if (i < j) at(i++) = std::move(at(j));
            while (i < j && order(at(i), pivot) <= 0) ++i;
            if (i < j) at(j--) = std::move(at(i));
        }
        at(i) = std::move(pivot);
        if (i - low < high - i) {
            sortRecords(records, low, i - 1, key);
            low = i + 1;
        } else {
            sortRecords(records, i + 1, high, key);
            high = i - 1;
        }
    }
}

void sortRecords(std::vector<ItemRecord>& records, std::int32_t key) {
    sortRecords(records, 1, static_cast<int>(std::min<size_t>(records.size(), 0x7FFFFFFF)), key);
}

}  // namespace vostrel
