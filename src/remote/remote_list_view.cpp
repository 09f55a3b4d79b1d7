#include "remote/remote_list_view.h"

#include "core/gbk_text.h"

#include <commctrl.h>

#include <cstring>

namespace vostrel {

namespace {

using namespace list_view;

constexpr int kItemBlock = 40;
constexpr int kColumnBlock = 32;
// The longest text getFullItemText grows to: far past anything a list shows.
constexpr int kLongestText = 16 * 1024 * 1024;

// A control of another process handed an address of ours would write the answer
// through it into its own memory: records in local mode only go to our windows.
bool isWindowOfThisProcess(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId == GetCurrentProcessId();
}

std::uint32_t addressOf(const void* pointer) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}
void* pointerAt(std::uint32_t address) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)); }

// The text of a read buffer: up to its first NUL, and never more than the capacity
// allowed (limit bytes). Some controls fill the whole capacity and leave the NUL
// out; such a text is cut where a character starts, not after a lone lead byte.
std::string readText(const char* bytes, size_t size, size_t limit) {
    const void* nul = std::memchr(bytes, 0, size);
    size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - bytes) : size;
    if (length <= limit) return std::string(bytes, length);
    size_t end = 0;
    while (end < limit) {
        size_t next = end + (isGbkLeadByte(static_cast<unsigned char>(bytes[end])) ? 2 : 1);
        if (next > limit) break;
        end = next;
    }
    return std::string(bytes, end);
}

// The record of LVM_FINDITEMA (LVFINDINFOA) and of LVM_GETBKIMAGEA/LVM_SETBKIMAGEA
// (LVBKIMAGEA), both 24 bytes in the 32-bit layout.
struct FindRecord {
    std::uint32_t flags;
    std::uint32_t psz;
    std::int32_t lParam;
    std::int32_t x, y;
    std::uint32_t vkDirection;
};
static_assert(sizeof(FindRecord) == 24);

struct BackImageRecord {
    std::uint32_t ulFlags;
    std::uint32_t hbm;
    std::uint32_t pszImage;
    std::int32_t cchImageMax;
    std::int32_t xOffsetPercent;
    std::int32_t yOffsetPercent;
};
static_assert(sizeof(BackImageRecord) == 24);

constexpr UINT kStateMaskItem = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE | LVIF_INDENT;  // 0x1F
// LVIF_INDENT too: without it the indent given to insertItem would be dropped.
constexpr UINT kInsertMask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE | LVIF_INDENT | LVIF_DI_SETITEM;

}  // namespace

RemoteListView::RemoteListView() {
    localItem_.cchTextMax = remoteItem_.cchTextMax = kTextCapacity;
    localColumn_.cchTextMax = remoteColumn_.cchTextMax = kTextCapacity;
}

RemoteListView::~RemoteListView() { memory_.closeProcess(process_); }

RemoteListView::RemoteListView(const RemoteListView& other) { copyFrom(other); }

RemoteListView& RemoteListView::operator=(const RemoteListView& other) {
    if (this != &other) {
        memory_.closeProcess(process_);
        copyFrom(other);
    }
    return *this;
}

void RemoteListView::copyFrom(const RemoteListView& other) {
    window_ = other.window_;
    localItem_ = other.localItem_;
    remoteItem_ = other.remoteItem_;
    localColumn_ = other.localColumn_;
    remoteColumn_ = other.remoteColumn_;
    recordAddress_ = nullptr;
    headerWindow_ = other.headerWindow_;
    remoteMode_ = other.remoteMode_;
    memory_ = other.memory_;
    itemBlock_ = other.itemBlock_;
    textBlock_ = other.textBlock_;
    localItemText_ = other.localItemText_;
    localColumnText_ = other.localColumnText_;
    // The local records point into their own object's buffers.
    localItem_.pszText = localItemText_.empty() ? 0 : addressOf(localItemText_.data());
    localColumn_.pszText = localColumnText_.empty() ? 0 : addressOf(localColumnText_.data());
    // Both objects close their handle at destruction: each gets its own.
    windowOfThisProcess_ = other.windowOfThisProcess_;
    process_ = nullptr;
    if (other.process_) {
        DuplicateHandle(GetCurrentProcess(), other.process_, GetCurrentProcess(), &process_, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    }
}

LRESULT RemoteListView::send(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(window_, message, wParam, lParam);
}

bool RemoteListView::attach(HWND window, bool remoteMode, const std::string& expectedClass) {
    char className[50] = {};
    // A window that is not there has no class, not an empty one that "" would match.
    if (GetClassNameA(window, className, sizeof className) == 0) return false;
    if (expectedClass != className) return false;
    remoteMode_ = remoteMode ? 1 : 0;
    window_ = window;
    windowOfThisProcess_ = isWindowOfThisProcess(window);
    headerWindow_ = nullptr;
    HANDLE earlier = process_;
    process_ = memory_.openWindowProcess(window);
    memory_.closeProcess(earlier);
    return true;
}

LRESULT RemoteListView::exchange(const Exchange& e, std::string& localText, std::string* textOut) {
    if (!remoteMode_) {
        if (!windowOfThisProcess_) return 0;
        if (e.text == TextUse::read) {
            localText.assign(static_cast<size_t>(e.textBlockSize), ' ');
            *e.textField = addressOf(localText.data());
        } else if (e.text == TextUse::write) {
            // The text may be longer than the read buffer: the buffer takes its size.
            localText = *e.textIn;
            *e.textField = addressOf(localText.data());
        }
        recordAddress_ = e.record;
        LRESULT result = send(e.message, e.wParam, reinterpret_cast<LPARAM>(e.record));
        if (e.text == TextUse::read && result && textOut) {
            // The control may point the record at a text of its own instead of filling ours.
            const char* text = static_cast<const char*>(pointerAt(*e.textField));
            *textOut = text == localText.data() ? readText(localText.data(), localText.size(), e.textLimit)
                                                : readText(text, std::strlen(text), e.textLimit);
            *e.textField = addressOf(localText.data());
        }
        return result;
    }

    recordAddress_ = e.record;
    itemBlock_ = memory_.allocate(process_, e.recordSize);
    textBlock_ = nullptr;
    int textSize = 0;
    if (e.text == TextUse::read) textSize = e.textBlockSize;
    if (e.text == TextUse::write) textSize = static_cast<int>(e.textIn->size()) + 1;
    if (textSize > 0) textBlock_ = memory_.allocate(process_, textSize);

    LRESULT result = 0;
    // Without its blocks the exchange is not sent: an address of 0 handed to another
    // program's control could bring that program down.
    if (itemBlock_ && (textSize == 0 || textBlock_)) {
        if (textSize > 0) *e.textField = addressOf(textBlock_);
        bool written = e.text != TextUse::write ||
                       memory_.writeMemory(process_, textBlock_, e.textIn->c_str(), textSize);
        if (written && memory_.writeMemory(process_, itemBlock_, e.record, e.recordSize)) {
            result = send(e.message, e.wParam, reinterpret_cast<LPARAM>(itemBlock_));
            if (e.readRecordBack) {
                std::string answer = memory_.readMemory(process_, itemBlock_, e.recordSize);
                std::memcpy(e.record, answer.data(), answer.size());
            }
            if (e.text == TextUse::read && result && textOut) {
                std::string bytes = memory_.readMemory(process_, textBlock_, textSize);
                *textOut = readText(bytes.data(), bytes.size(), e.textLimit);
            }
        }
    }
    if (textBlock_) memory_.release(process_, textBlock_);
    if (itemBlock_) memory_.release(process_, itemBlock_);
    return result;
}

LRESULT RemoteListView::exchangeItem(UINT message, WPARAM wParam, TextUse text, const std::string* textIn,
                                     std::string* textOut) {
    Exchange e;
    e.message = message;
    e.wParam = wParam;
    e.record = &item();
    e.recordSize = kItemBlock;
    e.textField = &item().pszText;
    e.text = text;
    e.textIn = textIn;
    e.readRecordBack = message == LVM_GETITEMA;
    return exchange(e, localItemText_, textOut);
}

LRESULT RemoteListView::exchangeColumn(UINT message, WPARAM wParam, TextUse text, const std::string* textIn,
                                       std::string* textOut) {
    Exchange e;
    e.message = message;
    e.wParam = wParam;
    e.record = &column();
    e.recordSize = kColumnBlock;
    e.textField = &column().pszText;
    e.text = text;
    e.textIn = textIn;
    e.readRecordBack = message == LVM_GETCOLUMNA;
    return exchange(e, localColumnText_, textOut);
}

// ---- items: reads ----

std::string RemoteListView::getItemText(int item, int subitem) {
    ListItemRecord& record = this->item();
    record.iItem = item;
    record.iSubItem = subitem;
    record.mask = LVIF_TEXT;
    std::string text;
    Exchange e;
    e.message = LVM_GETITEMA;
    e.record = &record;
    e.recordSize = kItemBlock;
    e.textField = &record.pszText;
    e.text = TextUse::read;
    // Only the text comes back: the record itself is not read again.
    exchange(e, localItemText_, &text);
    return text;
}

std::string RemoteListView::getFullItemText(int item, int subitem, int* image, int* param) {
    ListItemRecord& record = this->item();
    const bool alsoValues = image || param;
    record.iItem = item;
    record.iSubItem = subitem;
    record.mask = LVIF_TEXT | (alsoValues ? LVIF_IMAGE | LVIF_PARAM : 0);
    if (alsoValues) {  // an item that cannot be read gives none, not the previous one's
        record.iImage = -1;
        record.lParam = 0;
    }
    std::string text;
    // A cut text is capacity - 1 bytes long, or one less when the cut would have split
    // a double-byte character; anything shorter is the whole text.
    for (int capacity = kTextBuffer; capacity <= kLongestText; capacity *= 2) {
        record.cchTextMax = capacity;
        Exchange e;
        e.message = LVM_GETITEMA;
        e.record = &record;
        e.recordSize = kItemBlock;
        e.textField = &record.pszText;
        e.text = TextUse::read;
        e.textBlockSize = capacity;
        e.textLimit = static_cast<size_t>(capacity) - 1;
        e.readRecordBack = alsoValues;
        text.clear();
        LRESULT result = exchange(e, localItemText_, &text);
        if (!result || static_cast<int>(text.size()) < capacity - 2) break;
    }
    record.cchTextMax = kTextCapacity;
    if (image) *image = record.iImage;
    if (param) *param = static_cast<int>(record.lParam);
    return text;
}

std::string RemoteListView::getItemTextOf(int item, int subitem, HWND window) {
    if (!isWindowOfThisProcess(window)) return std::string();
    localItem_.iItem = item;
    localItem_.iSubItem = subitem;
    localItem_.mask = LVIF_TEXT;
    localItemText_.assign(kTextBuffer, ' ');
    localItem_.pszText = addressOf(localItemText_.data());
    recordAddress_ = &localItem_;
    if (!SendMessageA(window, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&localItem_))) return std::string();
    const char* text = static_cast<const char*>(pointerAt(localItem_.pszText));
    const size_t limit = kTextCapacity - 1;
    std::string result = text == localItemText_.data() ? readText(localItemText_.data(), localItemText_.size(), limit)
                                                       : readText(text, std::strlen(text), limit);
    localItem_.pszText = addressOf(localItemText_.data());
    return result;
}

int RemoteListView::getItemImage(int item, int subitem) {
    this->item().iItem = item;
    this->item().iSubItem = subitem;
    this->item().mask = LVIF_IMAGE;
    exchangeItem(LVM_GETITEMA, 0, TextUse::none);
    return this->item().iImage;
}

int RemoteListView::getItemCheck(int item) {
    auto state = static_cast<std::uint32_t>(send(LVM_GETITEMSTATE, static_cast<WPARAM>(item), kStateImageMask));
    return static_cast<int>(state / 4096) - 1;
}

int RemoteListView::getItemIndent(int item) {
    // The indent belongs to the item: a subitem left over from an earlier read
    // would answer 0.
    this->item().iItem = item;
    this->item().iSubItem = 0;
    this->item().mask = LVIF_INDENT;
    exchangeItem(LVM_GETITEMA, 0, TextUse::none);
    return this->item().iIndent;
}

int RemoteListView::getItemCount() { return static_cast<int>(send(LVM_GETITEMCOUNT)); }

int RemoteListView::getItemParam(int item) {
    // iSubItem stays as the previous operation left it.
    this->item().iItem = item;
    this->item().mask = LVIF_PARAM;
    exchangeItem(LVM_GETITEMA, 0, TextUse::none);
    return this->item().lParam;
}

// ---- items: writes ----

int RemoteListView::setItemText(int item, int subitem, const std::string& text) {
    this->item().iItem = item;
    this->item().iSubItem = subitem;
    this->item().mask = LVIF_TEXT;
    return static_cast<int>(exchangeItem(LVM_SETITEMA, 0, TextUse::write, &text));
}

int RemoteListView::setItemImage(int item, int subitem, int image) {
    this->item().iItem = item;
    this->item().iSubItem = subitem;
    this->item().mask = LVIF_IMAGE;
    this->item().iImage = image;
    return static_cast<int>(exchangeItem(LVM_SETITEMA, 0, TextUse::none));
}

int RemoteListView::setItemCheck(int item, int value) {
    ListItemRecord& record = this->item();
    record.iItem = item;
    record.iSubItem = 0;
    record.mask = LVIF_STATE;
    record.state = static_cast<std::uint32_t>(value + 1) * 4096;
    record.stateMask = kStateImageMask;
    if (remoteMode_) return static_cast<int>(exchangeItem(LVM_SETITEMA, 0, TextUse::none));
    return static_cast<int>(exchangeItem(LVM_SETITEMSTATE, static_cast<WPARAM>(item), TextUse::none));
}

int RemoteListView::setItemIndent(int item, int indent) {
    this->item().iItem = item;
    this->item().iSubItem = 0;
    this->item().mask = LVIF_INDENT;
    this->item().iIndent = indent;
    return static_cast<int>(exchangeItem(LVM_SETITEMA, 0, TextUse::none));
}

int RemoteListView::setItemParam(int item, int param) {
    this->item().iItem = item;
    this->item().iSubItem = 0;
    this->item().mask = LVIF_PARAM;
    this->item().lParam = param;
    return static_cast<int>(exchangeItem(LVM_SETITEMA, 0, TextUse::none));
}

// ---- selection and check loops ----

std::vector<int> RemoteListView::getSelectedItems() {
    std::vector<int> selected;
    for (int i = 0, count = getItemCount(); i < count; ++i) {
        if (isItemSelected(i)) selected.push_back(i);
    }
    return selected;
}

std::vector<int> RemoteListView::getCheckedItems() {
    std::vector<int> checked;
    for (int i = 0, count = getItemCount(); i < count; ++i) {
        if (getItemCheck(i) != 0) checked.push_back(i);
    }
    return checked;
}

int RemoteListView::getSelectedCount() { return static_cast<int>(send(LVM_GETSELECTEDCOUNT)); }

bool RemoteListView::isItemSelected(int item) {
    return send(LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_SELECTED) == LVIS_SELECTED;
}

int RemoteListView::selectItem(int item) {
    ListItemRecord& record = this->item();
    record.iItem = item;
    record.iSubItem = 0;
    record.mask = LVIF_STATE;
    record.state = LVIS_SELECTED;
    record.stateMask = LVIS_SELECTED;
    return static_cast<int>(
        exchangeItem(remoteMode_ ? LVM_SETITEMA : LVM_SETITEMSTATE, static_cast<WPARAM>(item), TextUse::none));
}

int RemoteListView::deselectItem(int item) {
    ListItemRecord& record = this->item();
    record.iItem = item;
    record.iSubItem = 0;
    record.mask = LVIF_STATE;
    record.state = ~static_cast<std::uint32_t>(LVIS_SELECTED);
    record.stateMask = LVIS_SELECTED;
    return static_cast<int>(
        exchangeItem(remoteMode_ ? LVM_SETITEMA : LVM_SETITEMSTATE, static_cast<WPARAM>(item), TextUse::none));
}

// ---- inserting, deleting, finding ----

int RemoteListView::insertItem(int index, const std::string& text, int image, int check, int indent, int param) {
    ListItemRecord& record = this->item();
    record.mask = kInsertMask;
    record.iItem = index == -1 ? getItemCount() : index;
    record.iSubItem = 0;
    record.iImage = image;
    record.state = static_cast<std::uint32_t>(check + 1) * 4096;
    record.stateMask = kStateImageMask;
    record.iIndent = indent;
    record.lParam = param;
    int inserted = static_cast<int>(exchangeItem(LVM_INSERTITEMA, 0, TextUse::write, &text));
    // A list with check boxes may give a new item an empty box whatever it was
    // asked for: the check state is set again when it did not take.
    if (inserted >= 0 && getItemCheck(inserted) != check) setItemCheck(inserted, check);
    return inserted;
}

void RemoteListView::insertRecords(int position, const std::vector<ItemRecord>& records, int sortKey) {
    std::vector<ItemRecord> sorted = records;
    sortRecords(sorted, sortKey);
    send(WM_SETREDRAW, FALSE);
    int start = position == -1 ? getItemCount() : position;
    for (size_t k = 0; k < sorted.size(); ++k) {
        const ItemRecord& r = sorted[k];
        int index = insertItem(start + static_cast<int>(k), r.text, r.image, r.check, r.indent, r.param);
        if (index < 0) continue;
        // A sorted list places the item where it belongs: its subitems follow it there.
        for (size_t c = 0; c < r.subitemTexts.size(); ++c) {
            ListItemRecord& record = this->item();
            record.mask = LVIF_TEXT | LVIF_IMAGE;
            record.iItem = index;
            record.iSubItem = static_cast<int>(c) + 1;
            record.iImage = c < r.subitemImages.size() ? r.subitemImages[c] : -1;
            exchangeItem(LVM_SETITEMA, 0, TextUse::write, &r.subitemTexts[c]);
        }
    }
    send(WM_SETREDRAW, TRUE);
}

void RemoteListView::sortRecords(std::vector<ItemRecord>& records, int low, int high, int key) {
    vostrel::sortRecords(records, low, high, key);
}

void RemoteListView::sortRecords(std::vector<ItemRecord>& records, int key) { vostrel::sortRecords(records, key); }

int RemoteListView::deleteItem(int item) { return static_cast<int>(send(LVM_DELETEITEM, static_cast<WPARAM>(item))); }

int RemoteListView::deleteAllItems() { return static_cast<int>(send(LVM_DELETEALLITEMS)); }

int RemoteListView::findItemText(const std::string& text, int start, bool whole, bool wrap) {
    FindRecord find{};
    find.flags = (whole ? LVFI_STRING : LVFI_PARTIAL) | (wrap ? LVFI_WRAP : 0);
    std::string buffer;
    Exchange e;
    e.message = LVM_FINDITEMA;
    e.wParam = static_cast<WPARAM>(start);
    e.record = &find;
    e.recordSize = sizeof find;
    e.textField = &find.psz;
    e.text = TextUse::write;
    e.textIn = &text;
    return static_cast<int>(exchange(e, buffer, nullptr));
}

int RemoteListView::findItemParam(int start, int param, bool wrap) {
    FindRecord find{};
    find.flags = LVFI_PARAM | (wrap ? LVFI_WRAP : 0);
    find.lParam = param;
    std::string buffer;
    Exchange e;
    e.message = LVM_FINDITEMA;
    e.wParam = static_cast<WPARAM>(start);
    e.record = &find;
    e.recordSize = sizeof find;
    return static_cast<int>(exchange(e, buffer, nullptr));
}

int RemoteListView::ensureVisible(int item) {
    return static_cast<int>(send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), 1));
}

int RemoteListView::arrange() { return static_cast<int>(send(LVM_ARRANGE)); }

// ---- columns ----

std::string RemoteListView::getColumnTitle(int column) {
    this->column().mask = LVCF_TEXT;
    std::string title;
    exchangeColumn(LVM_GETCOLUMNA, static_cast<WPARAM>(column), TextUse::read, nullptr, &title);
    return title;
}

int RemoteListView::getColumnAlignment(int column) {
    this->column().mask = LVCF_FMT;
    if (!exchangeColumn(LVM_GETCOLUMNA, static_cast<WPARAM>(column), TextUse::none)) return 255;
    int fmt = this->column().fmt;
    if (fmt & LVCFMT_CENTER) return kAlignCenter;
    if (fmt & LVCFMT_RIGHT) return kAlignRight;
    return kAlignLeft;
}

int RemoteListView::getColumnWidth(int column) {
    this->column().mask = LVCF_WIDTH;
    exchangeColumn(LVM_GETCOLUMNA, static_cast<WPARAM>(column), TextUse::none);
    return this->column().cx;
}

int RemoteListView::getColumnImage(int column) {
    this->column().mask = LVCF_FMT | LVCF_IMAGE;
    if (!exchangeColumn(LVM_GETCOLUMNA, static_cast<WPARAM>(column), TextUse::none)) return -1;
    return this->column().iImage;
}

bool RemoteListView::isColumnImageOnRight(int column) {
    this->column().mask = LVCF_FMT | LVCF_IMAGE;
    if (!exchangeColumn(LVM_GETCOLUMNA, static_cast<WPARAM>(column), TextUse::none)) return false;
    return (this->column().fmt & LVCFMT_BITMAP_ON_RIGHT) != 0;
}

int RemoteListView::setColumnTitle(int column, const std::string& title) {
    this->column().mask = LVCF_TEXT;
    return static_cast<int>(exchangeColumn(LVM_SETCOLUMNA, static_cast<WPARAM>(column), TextUse::write, &title));
}

int RemoteListView::setColumnWidth(int column, int width) {
    this->column().mask = LVCF_WIDTH;
    this->column().cx = width;
    return static_cast<int>(exchangeColumn(LVM_SETCOLUMNA, static_cast<WPARAM>(column), TextUse::none));
}

int RemoteListView::setColumnImage(int column, int image) {
    this->column().mask = LVCF_IMAGE;
    this->column().iImage = image;
    return static_cast<int>(exchangeColumn(LVM_SETCOLUMNA, static_cast<WPARAM>(column), TextUse::none));
}

int RemoteListView::getColumnCount() {
    headerWindow_ = reinterpret_cast<HWND>(send(LVM_GETHEADER));
    // No header: the message to window 0 fails and the count is 0.
    return static_cast<int>(SendMessageA(headerWindow_, HDM_GETITEMCOUNT, 0, 0));
}

int RemoteListView::insertColumn(int position, const std::string& title, int width, int alignment, int image,
                                 bool imageOnRight) {
    ListColumnRecord& record = column();
    record.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_IMAGE;  // 0x17
    record.cx = width;
    record.fmt = alignment == kAlignCenter ? LVCFMT_CENTER : (alignment == kAlignRight ? LVCFMT_RIGHT : LVCFMT_LEFT);
    if (imageOnRight) record.fmt += LVCFMT_BITMAP_ON_RIGHT;
    record.iImage = image;
    if (position == -1) position = getColumnCount();
    return static_cast<int>(exchangeColumn(LVM_INSERTCOLUMNA, static_cast<WPARAM>(position), TextUse::write, &title));
}

int RemoteListView::deleteColumn(int column) {
    return static_cast<int>(send(LVM_DELETECOLUMN, static_cast<WPARAM>(column)));
}

HWND RemoteListView::editLabel(int item) {
    if (remoteMode_) SetActiveWindow(GetWindow(window_, GW_OWNER));
    SetFocus(window_);
    return reinterpret_cast<HWND>(send(LVM_EDITLABELA, static_cast<WPARAM>(item)));
}

// ---- whole records ----

ItemRecord RemoteListView::readRecord(int item) {
    ItemRecord out;
    ListItemRecord& record = this->item();
    record.mask = kStateMaskItem;
    record.iItem = item;
    record.iSubItem = 0;
    record.stateMask = kStateImageMask;
    // Values of an item that cannot be read are not the previous item's.
    record.iImage = record.lParam = record.iIndent = 0;
    record.state = 0;
    exchangeItem(LVM_GETITEMA, 0, TextUse::read, nullptr, &out.text);
    out.image = record.iImage;
    out.check = static_cast<int>((record.state & kStateImageMask) / 4096) - 1;
    out.param = record.lParam;
    out.indent = record.iIndent;
    // Records are read to be put back (sortByColumn deletes and re-inserts every row):
    // a text that filled the buffer is read again whole rather than cut at 249 bytes.
    if (out.text.size() >= static_cast<size_t>(kTextCapacity) - 2) out.text = getFullItemText(item, 0);
    for (int c = 1, columns = getColumnCount(); c < columns; ++c) {
        ListItemRecord& sub = this->item();
        sub.mask = LVIF_TEXT | LVIF_IMAGE;
        sub.iItem = item;
        sub.iSubItem = c;
        sub.iImage = 0;
        std::string text;
        exchangeItem(LVM_GETITEMA, 0, TextUse::read, nullptr, &text);
        out.subitemImages.push_back(sub.iImage);
        if (text.size() >= static_cast<size_t>(kTextCapacity) - 2) text = getFullItemText(item, c);
        out.subitemTexts.push_back(text);
    }
    return out;
}

void RemoteListView::readAllRecords(std::vector<ItemRecord>& records) {
    int count = getItemCount();
    records.resize(count > 0 ? static_cast<size_t>(count) : 0);
    for (size_t i = 0; i < records.size(); ++i) records[i] = readRecord(static_cast<int>(i));
}

void RemoteListView::sortByColumn(int column, int order) {
    std::vector<ItemRecord> records;
    readAllRecords(records);
    deleteAllItems();
    int key = sort_key::kColumn + column;
    insertRecords(-1, records, order == 1 ? key : ~key);
}

// ---- colours, view, images, spacing ----

COLORREF RemoteListView::getTextColor() { return static_cast<COLORREF>(send(LVM_GETTEXTCOLOR)); }

int RemoteListView::setTextColor(COLORREF colour) {
    send(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(colour));
    return redrawVisible();
}

int RemoteListView::redrawVisible() {
    return static_cast<int>(send(LVM_REDRAWITEMS, static_cast<WPARAM>(getTopIndex()), getCountPerPage()));
}

int RemoteListView::getTopIndex() { return static_cast<int>(send(LVM_GETTOPINDEX)); }

int RemoteListView::getCountPerPage() { return static_cast<int>(send(LVM_GETCOUNTPERPAGE)); }

COLORREF RemoteListView::getTextBackColor() { return static_cast<COLORREF>(send(LVM_GETTEXTBKCOLOR)); }

int RemoteListView::setTextBackColor(COLORREF colour) {
    send(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(colour));
    return redrawVisible();
}

COLORREF RemoteListView::getBackColor() { return static_cast<COLORREF>(send(LVM_GETBKCOLOR)); }

int RemoteListView::setBackColor(COLORREF colour) {
    send(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(colour));
    return redrawVisible();
}

int RemoteListView::getView() {
    switch (send(LVM_GETVIEW)) {
    case LV_VIEW_ICON: return kViewIcon;
    case LV_VIEW_SMALLICON: return kViewSmallIcon;
    case LV_VIEW_LIST: return kViewList;
    case LV_VIEW_DETAILS: return kViewDetails;
    case LV_VIEW_TILE: return kViewTile;
    default: return -1;
    }
}

int RemoteListView::setView(int viewCode) {
    WPARAM view = LV_VIEW_ICON;
    switch (viewCode) {
    case kViewSmallIcon: view = LV_VIEW_SMALLICON; break;
    case kViewList: view = LV_VIEW_LIST; break;
    case kViewDetails: view = LV_VIEW_DETAILS; break;
    case kViewTile: view = LV_VIEW_TILE; break;
    default: break;
    }
    return static_cast<int>(send(LVM_SETVIEW, view));
}

std::string RemoteListView::getBackImage() {
    BackImageRecord image{};
    image.ulFlags = LVBKIF_SOURCE_URL;
    image.cchImageMax = 256;
    std::string buffer, path;
    Exchange e;
    e.message = LVM_GETBKIMAGEA;
    e.record = &image;
    e.recordSize = sizeof image;
    e.textField = &image.pszImage;
    e.text = TextUse::read;
    e.textBlockSize = 256;
    e.textLimit = 255;
    exchange(e, buffer, &path);
    return path;
}

void RemoteListView::setBackImage(const std::string& path, bool tile) {
    setTextBackColor(CLR_NONE);
    BackImageRecord image{};
    image.ulFlags = LVBKIF_SOURCE_URL | (tile ? LVBKIF_STYLE_TILE : 0);
    image.cchImageMax = static_cast<int>(path.size()) + 1;
    image.xOffsetPercent = image.yOffsetPercent = 100;
    std::string buffer;
    Exchange e;
    e.message = LVM_SETBKIMAGEA;
    e.record = &image;
    e.recordSize = sizeof image;
    e.textField = &image.pszImage;
    e.text = TextUse::write;
    e.textIn = &path;
    exchange(e, buffer, nullptr);
}

int RemoteListView::getHotItem() { return static_cast<int>(send(LVM_GETHOTITEM)); }

DWORD RemoteListView::getItemSpacing() { return static_cast<DWORD>(send(LVM_GETITEMSPACING, 0)); }

HWND RemoteListView::getEditControl() { return reinterpret_cast<HWND>(send(LVM_GETEDITCONTROL)); }

void RemoteListView::getItemSpacingXY(bool smallIcons, int& horizontal, int& vertical) {
    auto spacing = static_cast<DWORD>(send(LVM_GETITEMSPACING, smallIcons ? 1 : 0));
    horizontal = static_cast<short>(LOWORD(spacing));
    vertical = static_cast<short>(HIWORD(spacing));
}

// ---- selection style, modes ----

bool RemoteListView::singleSelection(std::optional<bool> newValue) {
    LONG style = GetWindowLongA(window_, GWL_STYLE);
    if (newValue) {
        SetWindowLongA(window_, GWL_STYLE, *newValue ? (style | LVS_SINGLESEL) : (style & ~LVS_SINGLESEL));
        style = GetWindowLongA(window_, GWL_STYLE);
    }
    return (style & LVS_SINGLESEL) != 0;
}

int RemoteListView::getFirstSelected() {
    return static_cast<int>(send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int RemoteListView::selectOnly(int item) {
    if (!singleSelection(true)) return 0;
    return selectItem(item);
}

void RemoteListView::setRemoteMode() { remoteMode_ = 1; }

void RemoteListView::setLocalMode() { remoteMode_ = 0; }

}  // namespace vostrel
