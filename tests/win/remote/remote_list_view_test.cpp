#include "remote/remote_list_view.h"

#include "known_list.h"
#include "test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

namespace vostrel {
namespace {

using test::ChildProcess;
using test::KnownItem;

// A top-level window of this process holding the known list.
class OwnList {
public:
    OwnList() {
        WNDCLASSA cls{};
        cls.lpfnWndProc = DefWindowProcA;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "VostrelOwnListHost";
        RegisterClassA(&cls);
        top_ = CreateWindowExA(0, cls.lpszClassName, "own list", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 660, 40, 600, 400,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        list_ = test::createKnownList(top_);
    }
    ~OwnList() { DestroyWindow(top_); }
    HWND top() const { return top_; }
    HWND list() const { return list_; }

private:
    HWND top_ = nullptr;
    HWND list_ = nullptr;
};

constexpr int kOwnBits = static_cast<int>(sizeof(void*)) * 8;

// The helper process, started once for all the tests that drive it.
struct Helper {
    ChildProcess process;
    HWND top = nullptr;
    HWND list = nullptr;
    bool start(const char* program = test::kHelperProgram, int timeoutMs = 10000) {
        if (!process.start(test::siblingPath(program))) return false;
        top = test::waitForProcessWindow(process.id(), test::kHelperTitle, timeoutMs);
        list = top ? test::findDescendantById(top, test::kKnownListId) : nullptr;
        return list != nullptr;
    }
};
Helper& sharedHelper() {
    static Helper helper;
    if (!helper.process.running()) helper.start();
    return helper;
}
// The helper built as a program of the other bitness; no list where this host
// cannot start it (a host that runs 64-bit code only).
Helper& otherBitnessHelper() {
    static Helper helper;
    static bool tried = false;
    if (!tried || (helper.list && !helper.process.running())) {
        tried = true;
        helper.list = nullptr;
        helper.start(VOSTREL_OTHER_HELPER, 5000);
    }
    return helper;
}

// Committed bytes of a process, summed over its regions.
SIZE_T committedBytes(HANDLE process) {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION info{};
    for (char* at = nullptr; VirtualQueryEx(process, at, &info, sizeof info) == sizeof info;
         at = static_cast<char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT) total += info.RegionSize;
        if (static_cast<char*>(info.BaseAddress) + info.RegionSize < at) break;
    }
    return total;
}

enum class Mode { local, remote, remoteThroughMappings, remoteOtherBitness };

std::string modeName(const ::testing::TestParamInfo<Mode>& info) {
    switch (info.param) {
    case Mode::local: return "Local";
    case Mode::remote: return "Remote";
    case Mode::remoteThroughMappings: return "RemoteThroughMappings";
    default: return "RemoteOtherBitness";
    }
}

// The same operations against: a list of this process in local mode; the helper's
// list in remote mode (blocks in the helper); a list of this process in remote mode
// with the page-file mapping path forced (blocks are views here, where the list is);
// the list of the helper built in the other bitness, whose records have the other
// layout.
class ListViewAccess : public ::testing::TestWithParam<Mode> {
protected:
    void SetUp() override {
        listBits_ = kOwnBits;
        if (GetParam() == Mode::remote || GetParam() == Mode::remoteOtherBitness) {
            const bool other = GetParam() == Mode::remoteOtherBitness;
            Helper& helper = other ? otherBitnessHelper() : sharedHelper();
            if (other && !helper.list) {
#ifdef VOSTREL_OTHER_HELPER_MUST_START
                FAIL() << "the " << 96 - kOwnBits << "-bit list helper " << VOSTREL_OTHER_HELPER
                       << " did not start, on a host that runs both bitnesses";
#endif
                GTEST_SKIP() << "the " << 96 - kOwnBits << "-bit list helper " << VOSTREL_OTHER_HELPER
                             << " does not start on this host, so the accessor is not tried across bitness here";
            }
            ASSERT_TRUE(helper.list) << test::describeWindows();
            ASSERT_TRUE(SendMessageA(helper.top, test::kRefillMessage, 0, 0));
            list_ = helper.list;
            helperTop_ = helper.top;
            if (other) listBits_ = 96 - kOwnBits;
        } else {
            own_ = std::make_unique<OwnList>();
            list_ = own_->list();
        }
        ASSERT_TRUE(view_.attach(list_, GetParam() != Mode::local));
        if (GetParam() == Mode::remoteThroughMappings) view_.memory().forceOsClass(os_class::kWindows9x);
    }
    // Only the mapping path records mappings: there every exchange must give its own back.
    void TearDown() override {
        if (GetParam() == Mode::remoteThroughMappings) {
            EXPECT_TRUE(view_.memory().mappings().empty());
        }
    }

    // The first item's parameter as the list holds it.
    std::int64_t firstParam() const {
        return test::knownItems()[0].param + (listBits_ == 64 ? test::kHighParamBits : 0);
    }

    // The cell as the control holds it, asked of the list's own process.
    std::wstring heldText(int item, int subitem) const {
        if (!helperTop_) return test::cellText(list_, item, subitem);
        SendMessageW(helperTop_, test::kShowCellMessage, static_cast<WPARAM>(item), subitem);
        wchar_t title[4096] = {};
        GetWindowTextW(helperTop_, title, 4096);
        return title;
    }
    void putOutsideGbk(int item, int subitem) const {
        if (!helperTop_) {
            ASSERT_TRUE(test::setCellText(list_, item, subitem, test::kOutsideGbkText));
        } else {
            ASSERT_TRUE(SendMessageW(helperTop_, test::kPutOutsideGbkMessage, static_cast<WPARAM>(item), subitem));
        }
    }

    std::unique_ptr<OwnList> own_;
    HWND list_ = nullptr;
    HWND helperTop_ = nullptr;  // the list's top window when the helper owns it
    int listBits_ = kOwnBits;
    RemoteListView view_;
};

INSTANTIATE_TEST_SUITE_P(Modes, ListViewAccess,
                         ::testing::Values(Mode::local, Mode::remote, Mode::remoteThroughMappings,
                                           Mode::remoteOtherBitness),
                         modeName);

TEST_P(ListViewAccess, ReadsEveryKnownItemAndColumn) {
    const auto& items = test::knownItems();
    ASSERT_EQ(view_.getItemCount(), static_cast<int>(items.size()));
    ASSERT_EQ(view_.getColumnCount(), 3);
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        const KnownItem& k = items[static_cast<size_t>(i)];
        SCOPED_TRACE("item " + std::to_string(i));
        EXPECT_EQ(view_.getItemText(i), k.text.substr(0, 249));
        EXPECT_EQ(view_.getItemText(i, 2), k.number);
        EXPECT_EQ(view_.getItemImage(i), k.image);
        EXPECT_EQ(view_.getItemImage(i, 1), k.bodyImage);
        EXPECT_EQ(view_.getItemParam(i), k.param);
        EXPECT_EQ(view_.getItemIndent(i), k.indent);
        EXPECT_EQ(view_.getItemCheck(i), k.check);
        EXPECT_EQ(view_.isItemSelected(i), k.selected);
    }
    EXPECT_EQ(view_.getColumnTitle(0), "标题");
    EXPECT_EQ(view_.getColumnTitle(1), "正文");
    EXPECT_EQ(view_.getColumnWidth(1), 200);
    EXPECT_EQ(view_.getColumnAlignment(0), list_view::kAlignLeft);
    EXPECT_EQ(view_.getColumnAlignment(1), list_view::kAlignCenter);
    EXPECT_EQ(view_.getColumnAlignment(2), list_view::kAlignRight);
    EXPECT_EQ(view_.getColumnImage(2), 4);
    EXPECT_TRUE(view_.isColumnImageOnRight(2));
    EXPECT_FALSE(view_.isColumnImageOnRight(1));
}

TEST_P(ListViewAccess, TextsAreCutAt249BytesAndFullTextsComeWhole) {
    EXPECT_EQ(view_.getItemText(2), test::longText().substr(0, 249));
    EXPECT_EQ(view_.getFullItemText(2), test::longText());
    EXPECT_EQ(view_.getFullItemText(3), test::tenKilobyteText());
    // 中 covers bytes 248 and 249: the cut does not keep half of it.
    EXPECT_EQ(view_.getItemText(3, 1), std::string(248, 'x'));
    EXPECT_EQ(view_.getFullItemText(3, 1), test::straddlingText());
    EXPECT_EQ(view_.getFullItemText(0), "甲项目");
    EXPECT_EQ(view_.getFullItemText(2, 1), "");
    // Asked for, the image and the parameter come with the text (the library save
    // reads them so, one exchange per row instead of three).
    for (size_t i = 0; i < test::knownItems().size(); ++i) {
        const test::KnownItem& known = test::knownItems()[i];
        int image = 99, param = 99;
        EXPECT_EQ(view_.getFullItemText(static_cast<int>(i), 0, &image, &param), known.text);
        EXPECT_EQ(image, known.image) << i;
        EXPECT_EQ(param, known.param) << i;
    }
    int image = 99, param = 99;
    EXPECT_EQ(view_.getFullItemText(99, 0, &image, &param), "");
    EXPECT_EQ(image, -1);
    EXPECT_EQ(param, 0);
    // The capacity of the ordinary reads is back at 250 afterwards.
    EXPECT_EQ(view_.getItemText(2), test::longText().substr(0, 249));
    const ListItemRecord& used = GetParam() == Mode::local ? view_.localItemRecord() : view_.remoteItemRecord();
    EXPECT_EQ(used.cchTextMax, list_view::kTextCapacity);
}

// The list holds the characters, not GBK bytes read in the system's code page:
// the tool's own Unicode list and any other program see Chinese on every Windows.
TEST_P(ListViewAccess, ChineseWrittenIsHeldAsChineseAndReadsBack) {
    EXPECT_TRUE(view_.setItemText(1, 1, "场控文本"));
    EXPECT_EQ(view_.insertItem(-1, "新项"), 4);
    EXPECT_EQ(heldText(1, 1), L"场控文本");
    EXPECT_EQ(heldText(4, 0), L"新项");
    EXPECT_EQ(view_.getItemText(1, 1), "场控文本");
    EXPECT_EQ(view_.getFullItemText(4), "新项");
    EXPECT_EQ(view_.findItemText("新项"), 4);
}

// The library save must not store a text that lost a character: the read says so
// (the text comes with '?' in its place, the image and parameter as ever).
TEST_P(ListViewAccess, FullReadSaysWhenACharacterHasNoGbkForm) {
    putOutsideGbk(1, 0);
    std::string text;
    int image = 99, param = 99;
    EXPECT_FALSE(view_.getFullItemText(1, 0, text, &image, &param));
    EXPECT_EQ(text, "中?文?");
    EXPECT_EQ(image, 1);
    EXPECT_EQ(param, -2);
    EXPECT_TRUE(view_.getFullItemText(0, 1, text));
    EXPECT_EQ(text, "第一条正文");
}

TEST_P(ListViewAccess, MissingItemsAndColumnsReadAsTheFailureValues) {
    EXPECT_EQ(view_.getItemText(4), "");
    EXPECT_EQ(view_.getItemText(-3), "");
    EXPECT_EQ(view_.getFullItemText(99), "");
    EXPECT_EQ(view_.getItemText(0, 7), "");
    EXPECT_EQ(view_.getColumnTitle(3), "");
    EXPECT_EQ(view_.getColumnAlignment(3), 255);
    EXPECT_EQ(view_.getColumnImage(3), -1);
    EXPECT_FALSE(view_.isColumnImageOnRight(3));
    // A read that fails gives nothing of the item read before it.
    EXPECT_EQ(view_.getItemImage(1), 1);
    EXPECT_EQ(view_.getItemImage(40), -1);
    EXPECT_EQ(view_.getItemParam(1), -2);
    EXPECT_EQ(view_.getItemParam(40), 0);
    EXPECT_EQ(view_.getFullItemParam(40), 0);
}

TEST_P(ListViewAccess, AParameterIsTheItemsWhateverSubitemWasReadBefore) {
    EXPECT_EQ(view_.getItemText(0, 2), "30");
    EXPECT_EQ(view_.getItemParam(0), 1001);
    view_.getItemText(1, 2);
    EXPECT_EQ(view_.getItemParam(1), -2);
    EXPECT_EQ(view_.getItemIndent(1), 2);
}

TEST_P(ListViewAccess, WritesItemsThroughEveryField) {
    std::string longBody(600, 'b');
    EXPECT_TRUE(view_.setItemText(1, 0, "改名"));
    EXPECT_TRUE(view_.setItemText(1, 1, longBody));  // longer than the 260-byte read buffer
    EXPECT_TRUE(view_.setItemImage(1, 1, 9));
    EXPECT_TRUE(view_.setItemIndent(1, 3));
    EXPECT_TRUE(view_.setItemParam(1, -77));
    EXPECT_TRUE(view_.setItemCheck(1, 1));
    EXPECT_EQ(view_.getItemText(1), "改名");
    EXPECT_EQ(view_.getFullItemText(1, 1), longBody);
    EXPECT_EQ(view_.getItemImage(1, 1), 9);
    EXPECT_EQ(view_.getItemIndent(1), 3);
    EXPECT_EQ(view_.getItemParam(1), -77);
    EXPECT_EQ(view_.getItemCheck(1), 1);
    EXPECT_TRUE(view_.setItemCheck(1, 0));
    EXPECT_EQ(view_.getItemCheck(1), 0);
    view_.setItemCheck(1);  // no state image
    EXPECT_EQ(view_.getItemCheck(1), -1);

    // A write to an item that is not there fails, in both modes (the remote path
    // reports the message, not the release of its blocks).
    EXPECT_FALSE(view_.setItemText(50, 0, "x"));
    EXPECT_FALSE(view_.setItemParam(50, 1));
    EXPECT_FALSE(view_.setItemImage(-2, 0, 1));
}

TEST_P(ListViewAccess, InsertsAndDeletesItemsAndColumns) {
    EXPECT_EQ(view_.insertItem(-1, "新项", 6, 1, 2, 555), 4);
    EXPECT_EQ(view_.insertItem(0, "首项"), 0);
    ASSERT_EQ(view_.getItemCount(), 6);
    EXPECT_EQ(view_.getItemText(5), "新项");
    EXPECT_EQ(view_.getItemImage(5), 6);
    EXPECT_EQ(view_.getItemCheck(5), 1);
    EXPECT_EQ(view_.getItemIndent(5), 2);
    EXPECT_EQ(view_.getItemParam(5), 555);
    EXPECT_EQ(view_.getItemText(0), "首项");
    EXPECT_EQ(view_.getItemCheck(0), 0);  // left as the control makes it: an empty box
    EXPECT_EQ(view_.getItemImage(0), -1);
    EXPECT_TRUE(view_.deleteItem(0));
    EXPECT_EQ(view_.getItemText(0), "甲项目");

    EXPECT_EQ(view_.insertColumn(-1, "备注", 90, list_view::kAlignRight, 2, true), 3);
    ASSERT_EQ(view_.getColumnCount(), 4);
    EXPECT_EQ(view_.getColumnTitle(3), "备注");
    EXPECT_EQ(view_.getColumnWidth(3), 90);
    EXPECT_EQ(view_.getColumnAlignment(3), list_view::kAlignRight);
    EXPECT_EQ(view_.getColumnImage(3), 2);
    EXPECT_TRUE(view_.isColumnImageOnRight(3));
    EXPECT_TRUE(view_.setColumnTitle(3, "新的标题文字"));
    EXPECT_TRUE(view_.setColumnWidth(3, 77));
    EXPECT_TRUE(view_.setColumnImage(3, 1));
    EXPECT_EQ(view_.getColumnTitle(3), "新的标题文字");
    EXPECT_EQ(view_.getColumnWidth(3), 77);
    EXPECT_EQ(view_.getColumnImage(3), 1);
    EXPECT_TRUE(view_.deleteColumn(3));
    EXPECT_EQ(view_.getColumnCount(), 3);

    EXPECT_TRUE(view_.deleteAllItems());
    EXPECT_EQ(view_.getItemCount(), 0);
}

TEST_P(ListViewAccess, SelectionAndCheckLoops) {
    EXPECT_EQ(view_.getSelectedItems(), (std::vector<int>{1, 3}));
    EXPECT_EQ(view_.getSelectedCount(), 2);
    EXPECT_EQ(view_.getFirstSelected(), 1);
    // Ticked or without a state image.
    EXPECT_EQ(view_.getCheckedItems(), (std::vector<int>{0, 2, 3}));

    EXPECT_TRUE(view_.selectItem(0));
    EXPECT_TRUE(view_.deselectItem(3));
    EXPECT_EQ(view_.getSelectedItems(), (std::vector<int>{0, 1}));

    EXPECT_FALSE(view_.singleSelection());
    EXPECT_TRUE(view_.selectOnly(2));
    EXPECT_TRUE(view_.singleSelection());
    EXPECT_EQ(view_.getSelectedItems(), (std::vector<int>{2}));
    EXPECT_FALSE(view_.singleSelection(false));
}

TEST_P(ListViewAccess, FindsItemsByTextAndByParameter) {
    EXPECT_EQ(view_.findItemText("乙项目"), 1);
    EXPECT_EQ(view_.findItemText("甲项目"), 0);  // searched from the first item by default
    EXPECT_EQ(view_.findItemText("乙"), -1);
    EXPECT_EQ(view_.findItemText("乙", -1, false), 1);
    EXPECT_EQ(view_.findItemText("甲项目", 0, true, false), -1);  // after item 0
    EXPECT_EQ(view_.findItemText("甲项目", 0, true, true), 0);    // wrapped round
    EXPECT_EQ(view_.findItemParam(-1, 7), 3);
    EXPECT_EQ(view_.findItemParam(-1, 12345), -1);
    EXPECT_EQ(view_.findItemParam(3, 1001, true), 0);
}

TEST_P(ListViewAccess, ReadsWholeRecordsAndSortsByColumn) {
    std::vector<ItemRecord> records(9);
    view_.readAllRecords(records);
    const auto& items = test::knownItems();
    ASSERT_EQ(records.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        EXPECT_EQ(records[i].text, items[i].text);  // whole, also past 249 bytes
        EXPECT_EQ(records[i].image, items[i].image);
        EXPECT_EQ(records[i].check, items[i].check);
        EXPECT_EQ(records[i].param, i == 0 ? firstParam() : items[i].param);
        EXPECT_EQ(records[i].indent, items[i].indent);
        EXPECT_EQ(records[i].subitemTexts, (std::vector<std::string>{items[i].body, items[i].number}));
        EXPECT_EQ(records[i].subitemImages, (std::vector<std::int32_t>{items[i].bodyImage, 0}));
    }

    auto column2 = [&] {
        std::vector<std::string> texts;
        for (int i = 0; i < view_.getItemCount(); ++i) texts.push_back(view_.getItemText(i, 2));
        return texts;
    };
    view_.sortByColumn(2);
    EXPECT_EQ(column2(), (std::vector<std::string>{"00", "10", "20", "30"}));
    view_.sortByColumn(2, 0);
    EXPECT_EQ(column2(), (std::vector<std::string>{"30", "20", "10", "00"}));
    // Whole rows moved: every field, check boxes and indents included, and long
    // texts are not cut by the round trip.
    EXPECT_EQ(view_.getItemParam(0), 1001);
    EXPECT_EQ(view_.getItemImage(0, 1), 3);
    EXPECT_EQ(view_.getItemCheck(0), 1);
    EXPECT_EQ(view_.getItemCheck(1), -1);
    EXPECT_EQ(view_.getItemCheck(2), 0);
    EXPECT_EQ(view_.getItemIndent(2), 2);
    EXPECT_EQ(view_.getItemIndent(1), 1);
    EXPECT_EQ(view_.getFullItemText(1), test::longText());
    EXPECT_EQ(view_.getFullItemText(3), test::tenKilobyteText());
    EXPECT_EQ(view_.getFullItemText(3, 1), test::straddlingText());
    view_.sortByColumn(0, 1);
    EXPECT_EQ(view_.getItemText(0), test::longText().substr(0, 249));  // "abc..." before 乙, 甲
    EXPECT_EQ(view_.getItemText(3), "乙项目");

    std::vector<ItemRecord> unchanged = records;
    view_.sortRecords(unchanged, 0);
    view_.sortRecords(unchanged, 1, 4, -1);
    EXPECT_EQ(unchanged[0].text, records[0].text);
    EXPECT_EQ(unchanged[3].text, records[3].text);

    // Inserting sorted records at a position, subitems following their rows.
    view_.insertRecords(1, {records[1], records[0]}, sort_key::kParam);
    EXPECT_EQ(view_.getItemCount(), 6);
    EXPECT_EQ(view_.getItemText(1), "乙项目");
    EXPECT_EQ(view_.getItemText(2, 1), "第一条正文");
    EXPECT_EQ(view_.getItemImage(2, 1), 3);
}

// A 64-bit process's parameter has 64 bits: read whole when asked, the low 32
// bits otherwise and in a search, and kept whole when rows are sorted.
TEST_P(ListViewAccess, ParametersKeepAllTheirBits) {
    EXPECT_EQ(view_.getFullItemParam(0), firstParam());
    EXPECT_EQ(view_.getItemParam(0), test::knownItems()[0].param);
    EXPECT_EQ(view_.getFullItemParam(1), -2);
    EXPECT_EQ(view_.findItemParam(-1, test::knownItems()[0].param), 0);
    EXPECT_EQ(view_.findItemParam(0, test::knownItems()[0].param), -1);
    view_.sortByColumn(2);  // item 0 ("30") goes last
    EXPECT_EQ(view_.getFullItemParam(3), firstParam());
    EXPECT_EQ(view_.getItemCheck(3), 1);
}

TEST_P(ListViewAccess, ColoursViewAndSpacing) {
    EXPECT_TRUE(view_.setTextColor(RGB(200, 10, 20)));
    EXPECT_EQ(view_.getTextColor(), RGB(200, 10, 20));
    view_.setTextBackColor(RGB(1, 2, 3));
    EXPECT_EQ(view_.getTextBackColor(), RGB(1, 2, 3));
    view_.setBackColor(RGB(250, 240, 230));
    EXPECT_EQ(view_.getBackColor(), RGB(250, 240, 230));
    EXPECT_EQ(view_.getTopIndex(), 0);
    EXPECT_GT(view_.getCountPerPage(), 4);
    EXPECT_TRUE(view_.ensureVisible(3));

    EXPECT_EQ(view_.getView(), list_view::kViewDetails);
    view_.setView(list_view::kViewList);
    EXPECT_EQ(view_.getView(), list_view::kViewList);
    view_.setView(list_view::kViewSmallIcon);
    EXPECT_EQ(view_.getView(), list_view::kViewSmallIcon);
    view_.setView(77);  // anything else: icons
    EXPECT_EQ(view_.getView(), list_view::kViewIcon);

    // The icon spacing the list was given comes back, across and down in that order.
    SendMessageW(list_, LVM_SETICONSPACING, 0, MAKELPARAM(90, 70));
    int x = 0, y = 0;
    view_.getItemSpacingXY(false, x, y);
    EXPECT_EQ(x, 90);
    EXPECT_EQ(y, 70);
    EXPECT_EQ(view_.getItemSpacing(), static_cast<DWORD>(MAKELONG(90, 70)));
    // The small icons' spacing is the list's own, not the one just given.
    x = y = -1;
    view_.getItemSpacingXY(true, x, y);
    EXPECT_GT(x, 0);
    EXPECT_GT(y, 0);
    EXPECT_FALSE(x == 90 && y == 70);
    EXPECT_EQ(view_.getHotItem(), -1);
    EXPECT_EQ(view_.getEditControl(), nullptr);
    // The text background goes transparent over a background image. (This Wine keeps
    // no background image to read back, so getBackImage is not checked here.)
    view_.setBackImage("C:\\windows\\背景.bmp");
    EXPECT_EQ(view_.getTextBackColor(), CLR_NONE);
}

// Every operation leaves the mapping list as it found it, also with a block of
// someone else's outstanding in it.
TEST_P(ListViewAccess, EveryOperationLeavesTheMappingListAsItFoundIt) {
    if (GetParam() != Mode::remoteThroughMappings) GTEST_SKIP() << "only the mapping path keeps a mapping list";
    void* outstanding = view_.memory().allocate(GetCurrentProcess(), 16);
    std::vector<SharedMapping> before = view_.memory().mappings();
    ASSERT_EQ(before.size(), 1u) << "the outstanding block is not on the list";
    std::vector<ItemRecord> records;
    const std::pair<const char*, std::function<void()>> operations[] = {
        {"getItemText", [&] { view_.getItemText(0, 1); }},
        {"getItemText past the end", [&] { view_.getItemText(40); }},
        {"getFullItemText", [&] { view_.getFullItemText(3); }},
        {"getItemImage", [&] { view_.getItemImage(1, 1); }},
        {"getItemIndent", [&] { view_.getItemIndent(1); }},
        {"getItemParam", [&] { view_.getItemParam(1); }},
        {"setItemText", [&] { view_.setItemText(0, 1, "x"); }},
        {"setItemText failing", [&] { view_.setItemText(99, 1, "x"); }},
        {"setItemImage", [&] { view_.setItemImage(0, 0, 2); }},
        {"setItemCheck", [&] { view_.setItemCheck(0, 0); }},
        {"setItemIndent", [&] { view_.setItemIndent(0, 1); }},
        {"setItemParam", [&] { view_.setItemParam(0, 3); }},
        {"selectItem", [&] { view_.selectItem(2); }},
        {"deselectItem", [&] { view_.deselectItem(2); }},
        {"insertItem", [&] { view_.insertItem(-1, "x", 1, 0, 0, 9); }},
        {"findItemText", [&] { view_.findItemText("x"); }},
        {"findItemParam", [&] { view_.findItemParam(-1, 9); }},
        {"getColumnTitle", [&] { view_.getColumnTitle(1); }},
        {"getColumnAlignment", [&] { view_.getColumnAlignment(1); }},
        {"getColumnWidth", [&] { view_.getColumnWidth(1); }},
        {"getColumnImage", [&] { view_.getColumnImage(9); }},
        {"isColumnImageOnRight", [&] { view_.isColumnImageOnRight(2); }},
        {"setColumnTitle", [&] { view_.setColumnTitle(1, "t"); }},
        {"setColumnWidth", [&] { view_.setColumnWidth(1, 80); }},
        {"setColumnImage", [&] { view_.setColumnImage(1, 1); }},
        {"insertColumn", [&] { view_.insertColumn(-1, "c"); }},
        {"readRecord", [&] { view_.readRecord(0); }},
        {"readAllRecords", [&] { view_.readAllRecords(records); }},
        {"insertRecords", [&] { view_.insertRecords(-1, records, sort_key::kText); }},
        {"sortByColumn", [&] { view_.sortByColumn(1, 0); }},
        {"getBackImage", [&] { view_.getBackImage(); }},
        {"setBackImage", [&] { view_.setBackImage("C:\\none.bmp"); }},
    };
    for (const auto& [name, operation] : operations) {
        operation();
        const auto& after = view_.memory().mappings();
        ASSERT_EQ(after.size(), before.size()) << name;
        for (size_t i = 0; i < before.size(); ++i) {
            EXPECT_EQ(after[i].viewAddress, before[i].viewAddress) << name;
            EXPECT_EQ(after[i].mappingHandle, before[i].mappingHandle) << name;
        }
    }
    if (outstanding) view_.memory().release(GetCurrentProcess(), outstanding);
}

// The other code pages' runs name theirs: a run that silently fell back to 936
// would pass without trying anything.
TEST(RemoteListView, RunsUnderTheCodePageItWasGiven) {
    char expected[16] = {};
    if (!GetEnvironmentVariableA("VOSTREL_CODE_PAGE", expected, sizeof expected)) {
        GTEST_SKIP() << "no code page asked for";
    }
    EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
}

TEST(RemoteListView, LocalCellReadSaysWhenACharacterHasNoGbkForm) {
    OwnList own;
    ASSERT_TRUE(test::setCellText(own.list(), 1, 1, test::kOutsideGbkText));
    bool exact = true;
    EXPECT_EQ(readLocalCellText(own.list(), 1, 1, &exact), "中?文?");
    EXPECT_FALSE(exact);
    EXPECT_EQ(readLocalCellText(own.list(), 0, 1, &exact), "第一条正文");
    EXPECT_TRUE(exact);
}

TEST(RemoteListView, AttachChecksTheClassNameByteForByte) {
    OwnList own;
    RemoteListView view;
    EXPECT_FALSE(view.attach(own.top()));
    EXPECT_FALSE(view.attach(own.list(), false, "syslistview32"));
    EXPECT_FALSE(view.attach(own.list(), false, "SysListView"));
    EXPECT_EQ(view.window(), nullptr);
    EXPECT_EQ(view.process(), nullptr);
    EXPECT_TRUE(view.attach(own.top(), false, "VostrelOwnListHost"));
    EXPECT_TRUE(view.attach(own.list()));
    EXPECT_EQ(view.window(), own.list());
    EXPECT_FALSE(view.isRemoteMode());
    EXPECT_TRUE(view.process());  // opened in local mode too
    // A refused attach keeps the earlier one.
    EXPECT_FALSE(view.attach(nullptr, false, ""));
    EXPECT_EQ(view.window(), own.list());
    EXPECT_EQ(view.getItemCount(), 4);
    view.setRemoteMode();
    EXPECT_TRUE(view.isRemoteMode());
    EXPECT_EQ(view.getItemText(0), "甲项目");
    view.setLocalMode();
    EXPECT_FALSE(view.isRemoteMode());
}

// A process whose bitness cannot be learnt would get records it may misread: the
// attach is refused and the earlier one stays whole.
TEST(RemoteListView, AttachRefusedForAnUnknownBitnessKeepsTheEarlierOne) {
    Helper& helper = sharedHelper();
    ASSERT_TRUE(helper.list);
    SendMessageA(helper.top, test::kRefillMessage, 0, 0);
    OwnList own;
    RemoteListView view;
    ASSERT_TRUE(view.attach(own.list(), true));
    HANDLE process = view.process();
    view.memory().forceProcessBits(0);
    EXPECT_FALSE(view.attach(helper.list, false));
    EXPECT_EQ(view.window(), own.list());
    EXPECT_EQ(view.process(), process);
    EXPECT_TRUE(view.isRemoteMode());
    EXPECT_EQ(view.getItemText(1), "乙项目");
    // Its own windows need no asking.
    EXPECT_TRUE(view.attach(own.list()));
    view.memory().forceProcessBits(-1);
    EXPECT_TRUE(view.attach(helper.list, true));
    EXPECT_EQ(view.remoteRecordLayout(), kOwnRecordLayout);
    EXPECT_EQ(view.getItemText(1), "乙项目");
}

TEST(RemoteListView, BeforeAttachAndAfterTheWindowIsGoneEverythingFailsQuietly) {
    RemoteListView fresh;
    EXPECT_EQ(fresh.getItemCount(), 0);
    EXPECT_EQ(fresh.getColumnCount(), 0);
    EXPECT_EQ(fresh.getItemText(0), "");
    EXPECT_EQ(fresh.getSelectedItems(), std::vector<int>{});
    std::vector<ItemRecord> records(3);
    fresh.readAllRecords(records);
    EXPECT_TRUE(records.empty());

    for (bool remote : {false, true}) {
        auto own = std::make_unique<OwnList>();
        RemoteListView view;
        ASSERT_TRUE(view.attach(own->list(), remote));
        HWND gone = own->list();
        own.reset();
        EXPECT_FALSE(view.attach(gone));  // a destroyed window has no class
        EXPECT_EQ(view.getItemText(0), "");
        EXPECT_EQ(view.getFullItemText(0), "");
        EXPECT_EQ(view.getItemCount(), 0);
        EXPECT_FALSE(view.setItemText(0, 0, "x"));
        EXPECT_EQ(view.insertItem(-1, "x"), 0);
        EXPECT_EQ(view.getColumnTitle(0), "");
        view.sortByColumn(0);
    }
}

TEST(RemoteListView, LocalRecordsAreNeverHandedToAnotherProcess) {
    Helper& helper = sharedHelper();
    ASSERT_TRUE(helper.list);
    SendMessageA(helper.top, test::kRefillMessage, 0, 0);
    OwnList own;
    RemoteListView view;
    ASSERT_TRUE(view.attach(helper.list));  // local mode on the helper's list
    EXPECT_EQ(view.getItemCount(), 4);       // plain messages carry no address
    EXPECT_EQ(view.getItemText(0), "");
    EXPECT_FALSE(view.setItemText(0, 0, "x"));
    EXPECT_EQ(view.getItemTextOf(0, 0, helper.list), "");
    EXPECT_EQ(view.getItemTextOf(1, 1, own.list()), "second body");
    // Refused, not "index 0".
    EXPECT_EQ(view.insertItem(0, "x"), -1);
    EXPECT_EQ(view.insertColumn(0, "c"), -1);
    EXPECT_EQ(view.findItemText("甲项目"), -1);
    EXPECT_EQ(view.findItemParam(-1, 1001), -1);
    view.setRemoteMode();
    EXPECT_EQ(view.getItemText(0), "甲项目");
    EXPECT_TRUE(helper.process.running());
}

TEST(RemoteListView, AListWithoutAHeaderHasNoColumns) {
    OwnList host;
    HWND icons = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_ICON, 0, 0, 100, 100, host.top(),
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(icons);
    RemoteListView view;
    ASSERT_TRUE(view.attach(icons));
    EXPECT_EQ(view.getColumnCount(), 0);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<char*>("icon");
    SendMessageA(icons, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    ItemRecord record = view.readRecord(0);
    EXPECT_EQ(record.text, "icon");
    EXPECT_TRUE(record.subitemTexts.empty());
}

TEST(RemoteListView, CopiesReadOnTheirOwnAfterTheOriginalIsGone) {
    Helper& helper = sharedHelper();
    ASSERT_TRUE(helper.list);
    SendMessageA(helper.top, test::kRefillMessage, 0, 0);
    OwnList own;
    auto remote = std::make_unique<RemoteListView>();
    auto local = std::make_unique<RemoteListView>();
    ASSERT_TRUE(remote->attach(helper.list, true));
    ASSERT_TRUE(local->attach(own.list()));
    local->getItemText(1);
    RemoteListView remoteCopy(*remote);
    RemoteListView localCopy = *local;
    EXPECT_NE(remoteCopy.process(), remote->process());
    EXPECT_NE(localCopy.localItemRecord().pszText, local->localItemRecord().pszText);
    remote.reset();
    local.reset();
    EXPECT_EQ(remoteCopy.getItemText(1), "乙项目");
    EXPECT_EQ(localCopy.getItemParam(1), -2);
    EXPECT_EQ(localCopy.getItemText(0, 1), "第一条正文");

    RemoteListView assigned;
    assigned = remoteCopy;
    assigned = assigned;
    EXPECT_EQ(assigned.getItemText(0), "甲项目");
}

TEST(RemoteListView, AttachingAgainClosesTheEarlierProcessHandle) {
    Helper& helper = sharedHelper();
    ASSERT_TRUE(helper.list);
    OwnList own;
    RemoteListView view;
    ASSERT_TRUE(view.attach(helper.list, true));
    HANDLE first = view.process();
    ASSERT_TRUE(first);
    ASSERT_TRUE(view.attach(own.list()));
    EXPECT_NE(view.process(), first);
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(first, &flags));
    EXPECT_EQ(GetProcessId(view.process()), GetCurrentProcessId());
    EXPECT_EQ(view.getItemText(1), "乙项目");
}

TEST(RemoteListView, TenThousandRemoteReadsLeaveTheOtherProcessNoBigger) {
    Helper& helper = sharedHelper();
    ASSERT_TRUE(helper.list);
    SendMessageA(helper.top, test::kRefillMessage, 0, 0);
    RemoteListView view;
    ASSERT_TRUE(view.attach(helper.list, true));
    // Warm up whatever the first exchanges make the other side allocate once.
    for (int i = 0; i < 200; ++i) view.getItemText(i % 4, i % 3);
    SIZE_T before = committedBytes(view.process());
    ASSERT_GT(before, 0u);
    for (int i = 0; i < 10000; ++i) {
        switch (i % 4) {
        case 0: view.getItemText(i % 5, 1); break;  // item 4 is past the end
        case 1: view.getItemImage(i % 4); break;
        case 2: view.getItemParam(i % 4); break;
        default: view.getColumnTitle(i % 4); break;
        }
    }
    SIZE_T after = committedBytes(view.process());
    // A leak of the two blocks per read would be 10,000 pages or more.
    EXPECT_LT(after, before + 256 * 1024) << "before " << before << ", after " << after;
}

TEST(RemoteListView, RemoteReadsOfAProcessThatEndedFailWithoutSending) {
    Helper second;
    ASSERT_TRUE(second.start());
    RemoteListView view;
    ASSERT_TRUE(view.attach(second.list, true));
    EXPECT_EQ(view.getItemText(0), "甲项目");
    second.process.terminate();
    EXPECT_EQ(view.getItemText(0), "");
    EXPECT_EQ(view.insertItem(0, "x"), -1);  // no block: refused, not "index 0"
    EXPECT_EQ(view.getFullItemText(0), "");
    EXPECT_FALSE(view.setItemText(0, 0, "x"));
    EXPECT_EQ(view.getItemCount(), 0);
}

TEST(RemoteListView, SortingALongListAlreadyInOrderDoesNotExhaustTheStack) {
    std::vector<ItemRecord> records(20000);
    for (size_t i = 0; i < records.size(); ++i) records[i].param = static_cast<int>(i);
    RemoteListView view;
    view.sortRecords(records, sort_key::kParam);
    view.sortRecords(records, ~sort_key::kParam);
    EXPECT_EQ(records.front().param, 19999);
    EXPECT_EQ(records.back().param, 0);
}

}  // namespace
}  // namespace vostrel
