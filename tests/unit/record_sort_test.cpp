#include "core/record_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace vostrel {
namespace {

ItemRecord record(std::string text, std::int32_t number = 0, std::vector<std::string> columns = {}) {
    ItemRecord r;
    r.text = std::move(text);
    r.image = r.check = r.param = number;
    r.subitemTexts = std::move(columns);
    r.subitemImages.assign(r.subitemTexts.size(), 0);
    return r;
}

std::vector<std::string> texts(const std::vector<ItemRecord>& records) {
    std::vector<std::string> out;
    for (const ItemRecord& r : records) out.push_back(r.text);
    return out;
}

std::vector<std::int32_t> params(const std::vector<ItemRecord>& records) {
    std::vector<std::int32_t> out;
    for (const ItemRecord& r : records) out.push_back(r.param);
    return out;
}

TEST(CompareTexts, UnsignedBytesAndPrefixFirst) {
    struct Case { std::string a, b; int sign; } cases[] = {
        {"", "", 0},
        {"", "a", -1},
        {"ab", "abc", -1},
        {"abc", "abd", -1},
        {"b", "abc", 1},
        {"\x7F", "\x80", -1},          // 0x80 and above are GBK lead bytes: after ASCII
        {"\xD6\xD0", "z", 1},          // 中 after every ASCII letter
        {"\xB0\xA1", "\xD6\xD0", -1},  // 啊 before 中, as code page 936 orders them
        {std::string("a\0b", 3), std::string("a\0c", 3), -1},
    };
    for (const Case& c : cases) {
        int got = compareTexts(c.a, c.b);
        EXPECT_EQ((got > 0) - (got < 0), c.sign) << c.a << " vs " << c.b;
        int back = compareTexts(c.b, c.a);
        EXPECT_EQ((back > 0) - (back < 0), -c.sign) << c.b << " vs " << c.a;
    }
}

TEST(SortRecords, KeysZeroAndMinusOneAndUnknownKeysLeaveTheListAlone) {
    std::vector<ItemRecord> records = {record("c", 3), record("a", 1), record("b", 2)};
    for (std::int32_t key : {0, -1, 5, 2047, ~5}) {
        sortRecords(records, key);
        EXPECT_EQ(texts(records), (std::vector<std::string>{"c", "a", "b"})) << "key " << key;
    }
}

TEST(SortRecords, EveryFieldAscendingAndItsBitwiseNotDescending) {
    std::vector<ItemRecord> base = {record("b", 20), record("\xD6\xD0", -5), record("a", INT_MAX),
                                    record("ab", INT_MIN), record("", 0)};
    // Numbers compare as signed 32-bit values.
    for (std::int32_t key : {sort_key::kImage, sort_key::kCheck, sort_key::kParam}) {
        std::vector<ItemRecord> up = base;
        sortRecords(up, key);
        EXPECT_EQ(params(up), (std::vector<std::int32_t>{INT_MIN, -5, 0, 20, INT_MAX})) << key;
        std::vector<ItemRecord> down = base;
        sortRecords(down, ~key);
        EXPECT_EQ(params(down), (std::vector<std::int32_t>{INT_MAX, 20, 0, -5, INT_MIN})) << ~key;
    }
    for (std::int32_t key : {sort_key::kText, sort_key::kColumn}) {
        std::vector<ItemRecord> up = base;
        sortRecords(up, key);
        EXPECT_EQ(texts(up), (std::vector<std::string>{"", "a", "ab", "b", "\xD6\xD0"}));
        std::vector<ItemRecord> down = base;
        sortRecords(down, ~key);
        EXPECT_EQ(texts(down), (std::vector<std::string>{"\xD6\xD0", "b", "ab", "a", ""}));
    }
    EXPECT_EQ(~sort_key::kColumn, -2049);
}

TEST(SortRecords, ColumnKeysCompareTheSubitemTexts) {
    std::vector<ItemRecord> records = {record("1", 0, {"z", "b"}), record("2", 0, {"x", "c"}),
                                       record("3", 0, {"y", "a"})};
    sortRecords(records, sort_key::kColumn + 1);
    EXPECT_EQ(texts(records), (std::vector<std::string>{"2", "3", "1"}));
    sortRecords(records, sort_key::kColumn + 2);
    EXPECT_EQ(texts(records), (std::vector<std::string>{"3", "1", "2"}));
    sortRecords(records, ~(sort_key::kColumn + 2));
    EXPECT_EQ(texts(records), (std::vector<std::string>{"2", "1", "3"}));
}

TEST(SortRecords, AColumnARecordDoesNotCarrySortsAsAnEmptyText) {
    // Records typed in by a caller may carry fewer columns than the key names.
    std::vector<ItemRecord> records = {record("long", 0, {"b", "z"}), record("short", 0, {"a"}),
                                       record("none")};
    sortRecords(records, sort_key::kColumn + 2);
    EXPECT_EQ(texts(records), (std::vector<std::string>{"none", "short", "long"}));
    sortRecords(records, sort_key::kColumn + 9);  // no record has it: all equal, nothing read out of range
    EXPECT_EQ(texts(records), (std::vector<std::string>{"none", "short", "long"}));
}

TEST(SortRecords, RangesAreOneBasedInclusiveAndClampedToTheList) {
    auto make = [] {
        return std::vector<ItemRecord>{record("e"), record("d"), record("c"), record("b"), record("a")};
    };
    std::vector<ItemRecord> records = make();
    sortRecords(records, 2, 4, sort_key::kText);
    EXPECT_EQ(texts(records), (std::vector<std::string>{"e", "b", "c", "d", "a"}));

    records = make();
    sortRecords(records, 3, 3, sort_key::kText);  // low >= high
    sortRecords(records, 4, 2, sort_key::kText);
    EXPECT_EQ(texts(records), texts(make()));

    records = make();
    sortRecords(records, -7, 99, sort_key::kText);
    EXPECT_EQ(texts(records), (std::vector<std::string>{"a", "b", "c", "d", "e"}));

    std::vector<ItemRecord> empty;
    sortRecords(empty, 1, 0, sort_key::kText);  // nothing to sort, nothing read
    sortRecords(empty, sort_key::kText);
}

TEST(SortRecords, EqualKeysEndWhereTheFirstRecordPivotPutsThem) {
    // The pivot is the record at low and equal records are not moved past it: with
    // [B1, B2, A] by image, A fills the hole at 1, B2 stays and B1 lands last.
    std::vector<ItemRecord> records = {record("B1", 2), record("B2", 2), record("A", 1)};
    sortRecords(records, sort_key::kImage);
    EXPECT_EQ(texts(records), (std::vector<std::string>{"A", "B2", "B1"}));
    records = {record("B1", 2), record("A", 1), record("B2", 2)};
    sortRecords(records, sort_key::kImage);
    EXPECT_EQ(texts(records), (std::vector<std::string>{"A", "B1", "B2"}));
}

TEST(SortRecords, SortsLargeListsInAnyStartingOrderAndKeepsEveryRecordWhole) {
    std::vector<ItemRecord> records;
    unsigned seed = 12345;
    for (int i = 0; i < 2000; ++i) {
        seed = seed * 1103515245u + 12345u;
        int value = static_cast<int>((seed >> 8) % 500) - 250;
        records.push_back(record("t" + std::to_string(i), value, {"c" + std::to_string(i)}));
        records.back().subitemImages = {i};
    }
    for (std::int32_t key : {sort_key::kParam, ~sort_key::kParam}) {
        sortRecords(records, key);
        for (size_t i = 1; i < records.size(); ++i) {
            ASSERT_TRUE(key > 0 ? records[i - 1].param <= records[i].param : records[i - 1].param >= records[i].param);
        }
        // Sorting again from sorted order, the worst case of a first-record pivot.
        sortRecords(records, key);
    }
    std::vector<bool> seen(records.size());
    for (const ItemRecord& r : records) {
        int i = std::stoi(r.text.substr(1));
        ASSERT_EQ(r.subitemTexts, std::vector<std::string>{"c" + std::to_string(i)});
        ASSERT_EQ(r.subitemImages, std::vector<std::int32_t>{i});
        seen[static_cast<size_t>(i)] = true;
    }
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](bool b) { return b; }));
}

}  // namespace
}  // namespace vostrel
