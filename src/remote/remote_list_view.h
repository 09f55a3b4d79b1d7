// Reads and changes a list-view control (SysListView32) through its window
// messages, in this process (local mode) or in another one (remote mode). In remote
// mode every record, and the text it points to, is copied into blocks allocated in
// the control's process for the one exchange and released before returning.
//
// Texts travel as UTF-16 (the W messages), converted from and to GBK with code
// page 936 whatever the system's, so a list of any program reads the same on an
// English, Japanese or UTF-8 Windows as on a Chinese one.
#pragma once

#include "core/record_sort.h"
#include "remote/remote_memory.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vostrel {

// The item and column records as the accessor keeps them, wide enough for either
// layout. What travels is the layout of the control's process: the 32-bit or the
// 64-bit record below, never a mixture.
struct ListItemRecord {
    std::uint32_t mask;
    std::int32_t iItem;
    std::int32_t iSubItem;
    std::uint32_t state;
    std::uint32_t stateMask;
    std::uint64_t pszText;  // an address in the process the record is sent to
    std::int32_t cchTextMax;
    std::int32_t iImage;
    std::int64_t lParam;    // 32 bits wide in a 32-bit process's list
    std::int32_t iIndent;
};

struct ListColumnRecord {
    std::uint32_t mask;
    std::int32_t fmt;
    std::int32_t cx;
    std::uint64_t pszText;
    std::int32_t cchTextMax;
    std::int32_t iSubItem;
    std::int32_t iImage;
    std::int32_t iOrder;
};

// The bytes a list view reads: LVITEMW and LVCOLUMNW (laid out as their A twins,
// the text pointer to UTF-16) of a 32-bit and of a 64-bit process. Our own
// layouts: the SDK's current LVITEMW has grown past what every version understands.
struct ListItemRecord32 {
    std::uint32_t mask;
    std::int32_t iItem;
    std::int32_t iSubItem;
    std::uint32_t state;
    std::uint32_t stateMask;
    std::uint32_t pszText;
    std::int32_t cchTextMax;
    std::int32_t iImage;
    std::int32_t lParam;
    std::int32_t iIndent;
};
static_assert(sizeof(ListItemRecord32) == 40);
static_assert(offsetof(ListItemRecord32, pszText) == 20);
static_assert(offsetof(ListItemRecord32, iImage) == 28);
static_assert(offsetof(ListItemRecord32, lParam) == 32);
static_assert(offsetof(ListItemRecord32, iIndent) == 36);

struct ListItemRecord64 {
    std::uint32_t mask;
    std::int32_t iItem;
    std::int32_t iSubItem;
    std::uint32_t state;
    std::uint32_t stateMask;
    std::uint32_t padding1;
    std::uint64_t pszText;
    std::int32_t cchTextMax;
    std::int32_t iImage;
    std::int64_t lParam;
    std::int32_t iIndent;
    std::uint32_t padding2;
};
static_assert(sizeof(ListItemRecord64) == 56);
static_assert(offsetof(ListItemRecord64, pszText) == 24);
static_assert(offsetof(ListItemRecord64, iImage) == 36);
static_assert(offsetof(ListItemRecord64, lParam) == 40);
static_assert(offsetof(ListItemRecord64, iIndent) == 48);

struct ListColumnRecord32 {
    std::uint32_t mask;
    std::int32_t fmt;
    std::int32_t cx;
    std::uint32_t pszText;
    std::int32_t cchTextMax;
    std::int32_t iSubItem;
    std::int32_t iImage;
    std::int32_t iOrder;
};
static_assert(sizeof(ListColumnRecord32) == 32);
static_assert(offsetof(ListColumnRecord32, pszText) == 12);
static_assert(offsetof(ListColumnRecord32, iOrder) == 28);

struct ListColumnRecord64 {
    std::uint32_t mask;
    std::int32_t fmt;
    std::int32_t cx;
    std::uint32_t padding;
    std::uint64_t pszText;
    std::int32_t cchTextMax;
    std::int32_t iSubItem;
    std::int32_t iImage;
    std::int32_t iOrder;
};
static_assert(sizeof(ListColumnRecord64) == 40);
static_assert(offsetof(ListColumnRecord64, pszText) == 16);
static_assert(offsetof(ListColumnRecord64, iImage) == 32);
static_assert(offsetof(ListColumnRecord64, iOrder) == 36);

enum class RecordLayout { bits32, bits64 };
// The layout of this program's own records, the only one local mode uses.
constexpr RecordLayout kOwnRecordLayout = sizeof(void*) == 8 ? RecordLayout::bits64 : RecordLayout::bits32;

namespace list_view {
constexpr int kTextCapacity = 250;    // cchTextMax, in characters; a text comes back cut to 249 bytes of GBK
constexpr int kTextBuffer = 260;      // the text buffer and the remote text block, in characters
constexpr std::uint32_t kStateImageMask = 0xFFFFF000;
// The state image index sits above the item's other state bits (INDEXTOSTATEIMAGEMASK);
// a check box is state image 1 (clear) or 2 (ticked), 0 is none.
constexpr int kStateImageShift = 12;
constexpr std::uint32_t stateImageBits(int image) { return static_cast<std::uint32_t>(image) << kStateImageShift; }
constexpr int stateImageOf(std::uint32_t state) { return static_cast<int>((state & kStateImageMask) >> kStateImageShift); }
// View codes of getView/setView.
constexpr int kViewIcon = 0;
constexpr int kViewSmallIcon = 1;
constexpr int kViewList = 2;
constexpr int kViewDetails = 3;
constexpr int kViewTile = 4;
// Column alignments of insertColumn/getColumnAlignment.
constexpr int kAlignLeft = 0;
constexpr int kAlignCenter = 1;
constexpr int kAlignRight = 2;
}  // namespace list_view

class RemoteListView {
public:
    RemoteListView();
    ~RemoteListView();
    // A copy is a second accessor of the same control with its own records and its
    // own duplicate of the process handle.
    RemoteListView(const RemoteListView& other);
    RemoteListView& operator=(const RemoteListView& other);

    // Fails, changing nothing, unless the window's class is exactly the expected one
    // and the bitness of its process, whose record layout remote mode sends, is known.
    // Attaching again closes the process handle of the earlier window first.
    bool attach(HWND window, bool remoteMode = false, const std::string& expectedClass = "SysListView32");
    std::string getItemText(int item, int subitem = 0);              // at most 249 bytes
    std::string getItemTextOf(int item, int subitem, HWND window);   // any window of this process
    int getItemImage(int item, int subitem = 0);
    int getItemCheck(int item);                                      // -1 none, 0 clear, 1 ticked
    int getItemIndent(int item);
    int getItemCount();
    int getItemParam(int item);                                      // the low 32 bits; 0 when the read fails
    std::int64_t getFullItemParam(int item);                         // all of a 64-bit process's lParam
    int setItemText(int item, int subitem, const std::string& text);
    int setItemImage(int item, int subitem, int image);
    int setItemCheck(int item, int value = -1);
    int setItemIndent(int item, int indent);
    int setItemParam(int item, int param);
    std::vector<int> getSelectedItems();
    std::vector<int> getCheckedItems();                              // ticked or without state image
    int getSelectedCount();
    bool isItemSelected(int item);
    int selectItem(int item);
    int deselectItem(int item);
    // The new item's index, -1 on failure. A check of -1 leaves the box as the
    // control makes it (empty in a list with check boxes).
    int insertItem(int index = -1, const std::string& text = "", int image = -1, int check = -1, int indent = 0,
                   int param = 0);
    void insertRecords(int position, const std::vector<ItemRecord>& records, int sortKey = 0);
    void sortRecords(std::vector<ItemRecord>& records, int low, int high, int key);
    void sortRecords(std::vector<ItemRecord>& records, int key);
    int deleteItem(int item);
    int deleteAllItems();
    // start: the item after which the search begins; -1 searches from the first item.
    // The index found, or -1.
    int findItemText(const std::string& text, int start = -1, bool whole = true, bool wrap = false);
    // Compares the low 32 bits of each item's parameter with param.
    int findItemParam(int start, int param, bool wrap = false);
    int ensureVisible(int item);
    int arrange();
    std::string getColumnTitle(int column);
    int getColumnAlignment(int column);                              // 0 left, 1 center, 2 right, 255 failed
    int getColumnWidth(int column);
    int getColumnImage(int column);
    bool isColumnImageOnRight(int column);
    int setColumnTitle(int column, const std::string& title);
    int setColumnWidth(int column, int width);
    int setColumnImage(int column, int image);
    int getColumnCount();
    // The new column's index, or -1.
    int insertColumn(int position = -1, const std::string& title = "", int width = 50,
                     int alignment = list_view::kAlignLeft, int image = -1, bool imageOnRight = false);
    int deleteColumn(int column);
    HWND editLabel(int item);
    void readAllRecords(std::vector<ItemRecord>& records);
    ItemRecord readRecord(int item);
    COLORREF getTextColor();
    int setTextColor(COLORREF colour);
    int redrawVisible();
    int getTopIndex();
    int getCountPerPage();
    COLORREF getTextBackColor();
    int setTextBackColor(COLORREF colour);
    COLORREF getBackColor();
    int setBackColor(COLORREF colour);
    int getView();
    int setView(int viewCode);
    std::string getBackImage();
    void setBackImage(const std::string& path, bool tile = true);
    int getHotItem();
    DWORD getItemSpacing();
    HWND getEditControl();
    void getItemSpacingXY(bool smallIcons, int& horizontal, int& vertical);
    void sortByColumn(int column, int order = 1);                    // 1 ascending, anything else descending
    bool singleSelection(std::optional<bool> newValue = std::nullopt);
    int getFirstSelected();
    int selectOnly(int item);
    void setRemoteMode();
    void setLocalMode();

    // The whole text of any length, where getItemText stops at 249 bytes. When asked,
    // the image index and the item parameter come back from the same exchange.
    std::string getFullItemText(int item, int subitem = 0, int* image = nullptr, int* param = nullptr);
    // The same into the caller's text, whose buffer is reused. False when the cell
    // holds a character that GBK has no form for: the text has '?' in its place,
    // and storing it would lose what the user typed. A cell that cannot be read
    // gives an empty text and true.
    bool getFullItemText(int item, int subitem, std::string& text, int* image = nullptr, int* param = nullptr);

    HWND window() const { return window_; }
    HANDLE process() const { return process_; }
    bool isRemoteMode() const { return remoteMode_ != 0; }
    // The layout of the records remote mode sends: that of the control's process.
    RecordLayout remoteRecordLayout() const { return remoteLayout_; }
    RemoteMemory& memory() { return memory_; }
    const ListItemRecord& localItemRecord() const { return localItem_; }
    const ListItemRecord& remoteItemRecord() const { return remoteItem_; }

private:
    enum class TextUse { none, read, write };
    // Texts here are UTF-16, counted in characters; GBK stays with the public routines.
    struct Exchange {
        UINT message = 0;
        WPARAM wParam = 0;
        TextUse text = TextUse::none;
        const std::wstring* textIn = nullptr;  // TextUse::write
        int textBlockSize = list_view::kTextBuffer;
        size_t textLimit = list_view::kTextCapacity - 1;  // the most a read text keeps
        bool readRecordBack = false;           // remote: copy the answered record over the local image
        LRESULT refused = 0;                   // the result when the exchange cannot be made
    };
    // Sends one record in the layout of the control's process, through blocks of
    // that process in remote mode. A read text lands in textOut when the message
    // succeeds.
    template <typename Record>
    LRESULT exchange(const Exchange& e, Record& record, std::wstring& localText, std::wstring* textOut);
    // Local half: the record in our own layout, straight to a list view of this process.
    template <typename Record>
    LRESULT exchangeLocal(HWND window, const Exchange& e, Record& record, std::wstring& localText,
                          std::wstring* textOut);
    // Remote half: the record and its text through one block of the control's process.
    template <typename Record> LRESULT exchangeRemote(const Exchange& e, Record& record, std::wstring* textOut);
    static Exchange request(UINT message, WPARAM wParam, TextUse text, const std::wstring* textIn, LRESULT refused);
    // The kept item or column record of the mode, sent with the message.
    LRESULT exchangeItem(UINT message, WPARAM wParam, TextUse text, const std::wstring* textIn = nullptr,
                         std::wstring* textOut = nullptr, LRESULT refused = 0);
    LRESULT exchangeColumn(UINT message, WPARAM wParam, TextUse text, const std::wstring* textIn = nullptr,
                           std::wstring* textOut = nullptr, LRESULT refused = 0);
    // The cell the kept item record names, whole, and with valuesBack the record's
    // other fields as the control answered them; in either mode.
    void readWholeText(std::wstring& text, bool valuesBack);
    bool blocksAddressable(const void* recordBlock, const void* textBlock) const;
    int insertItemWithParam(int index, const std::string& text, int image, int check, int indent,
                            std::int64_t param);
    ListItemRecord& item() { return remoteMode_ ? remoteItem_ : localItem_; }
    ListColumnRecord& column() { return remoteMode_ ? remoteColumn_ : localColumn_; }
    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void copyFrom(const RemoteListView& other);

    HWND window_ = nullptr;
    ListItemRecord localItem_{};
    ListItemRecord remoteItem_{};
    ListColumnRecord localColumn_{};
    ListColumnRecord remoteColumn_{};
    HWND headerWindow_ = nullptr;
    BOOL remoteMode_ = 0;
    RemoteMemory memory_;
    HANDLE process_ = nullptr;
    bool windowOfThisProcess_ = false;  // local records may only go to such a window
    RecordLayout remoteLayout_ = kOwnRecordLayout;
    std::wstring localItemText_;    // the buffer localItem_.pszText points to
    std::wstring localColumnText_;  // the buffer localColumn_.pszText points to
    std::wstring wholeText_;        // the text of the whole reads, kept between them
};

// The whole text of a cell of a list view of this process, in GBK; empty for no
// such cell. exact, when given, says whether every character had a GBK form (as
// getFullItemText's result does).
std::string readLocalCellText(HWND list, int item, int subitem, bool* exact = nullptr);

}  // namespace vostrel
