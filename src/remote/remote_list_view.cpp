#include "remote/remote_list_view.h"

#include "core/gbk_text.h"
#include "win/gbk_wide.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string_view>

namespace vostrel {

namespace {

using namespace list_view;

// The longest text getFullItemText grows to, in characters: far past anything a list shows.
constexpr int kLongestText = 16 * 1024 * 1024;
// The most bytes of GBK a cut read (getItemText, getColumnTitle) keeps.
constexpr size_t kMostCutBytes = kTextCapacity - 1;
// A text block holds UTF-16 in the control's process, whatever its bitness.
static_assert(sizeof(wchar_t) == 2);
constexpr size_t kUnitBytes = sizeof(wchar_t);

// A control of another process handed an address of ours would write the answer
// through it into its own memory: records in local mode only go to our windows.
bool isWindowOfThisProcess(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId == GetCurrentProcessId();
}

std::uint64_t addressOf(const void* pointer) { return reinterpret_cast<std::uintptr_t>(pointer); }
void* pointerAt(std::uint64_t address) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)); }

// The text of a read buffer: up to its first NUL, and never more than the capacity
// allowed (limit characters): some controls fill the whole capacity and leave the
// NUL out.
std::wstring_view readText(const wchar_t* text, size_t size, size_t limit) {
    if (!text) return {};
    return std::wstring_view(text, std::min(wcsnlen(text, size), limit));
}

// The GBK of a text read, at most limit bytes: cut where a character starts, never
// after the lead byte of a double-byte character.
std::string gbkWithin(std::wstring_view text, size_t limit) {
    std::string gbk = toGbk(text);
    if (gbk.size() <= limit) return gbk;
    size_t end = 0;
    while (end < limit) {
        size_t next = end + (isGbkLeadByte(static_cast<unsigned char>(gbk[end])) ? 2 : 1);
        if (next > limit) break;
        end = next;
    }
    gbk.resize(end);
    return gbk;
}

// LVM_GETITEMW with the buffer growing until the text came back whole. A wide copy
// is cut at exactly the capacity less its NUL, whatever the characters.
void getWideItem(HWND list, LVITEMW& item, std::wstring& buffer, std::wstring_view& text) {
    text = {};
    for (size_t capacity = kTextBuffer; capacity <= static_cast<size_t>(kLongestText); capacity *= 2) {
        buffer.resize(capacity);
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(capacity);
        if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return;
        // The control may point the record at a text of its own instead of filling ours.
        if (item.pszText != buffer.data()) {
            text = item.pszText ? std::wstring_view(item.pszText) : std::wstring_view();
            return;
        }
        text = std::wstring_view(buffer.data(), wcsnlen(buffer.data(), capacity));
        if (text.size() + 1 < capacity) return;
    }
}

// The record of LVM_FINDITEMW (LVFINDINFOW) and of LVM_GETBKIMAGEW/LVM_SETBKIMAGEW
// (LVBKIMAGEW), kept wide like the item records, and their bytes in either layout.
struct FindRecord {
    std::uint32_t flags;
    std::uint64_t psz;
    std::int64_t lParam;
    std::int32_t x, y;
    std::uint32_t vkDirection;
};

struct FindRecord32 {
    std::uint32_t flags;
    std::uint32_t psz;
    std::int32_t lParam;
    std::int32_t x, y;
    std::uint32_t vkDirection;
};
static_assert(sizeof(FindRecord32) == 24);
static_assert(offsetof(FindRecord32, lParam) == 8);

struct FindRecord64 {
    std::uint32_t flags;
    std::uint32_t padding1;
    std::uint64_t psz;
    std::int64_t lParam;
    std::int32_t x, y;
    std::uint32_t vkDirection;
    std::uint32_t padding2;
};
static_assert(sizeof(FindRecord64) == 40);
static_assert(offsetof(FindRecord64, psz) == 8);
static_assert(offsetof(FindRecord64, lParam) == 16);
static_assert(offsetof(FindRecord64, vkDirection) == 32);

struct BackImageRecord {
    std::uint32_t ulFlags;
    std::uint64_t hbm;
    std::uint64_t pszImage;
    std::int32_t cchImageMax;
    std::int32_t xOffsetPercent;
    std::int32_t yOffsetPercent;
};

struct BackImageRecord32 {
    std::uint32_t ulFlags;
    std::uint32_t hbm;
    std::uint32_t pszImage;
    std::int32_t cchImageMax;
    std::int32_t xOffsetPercent;
    std::int32_t yOffsetPercent;
};
static_assert(sizeof(BackImageRecord32) == 24);
static_assert(offsetof(BackImageRecord32, pszImage) == 8);

struct BackImageRecord64 {
    std::uint32_t ulFlags;
    std::uint32_t padding1;
    std::uint64_t hbm;
    std::uint64_t pszImage;
    std::int32_t cchImageMax;
    std::int32_t xOffsetPercent;
    std::int32_t yOffsetPercent;
    std::uint32_t padding2;
};
static_assert(sizeof(BackImageRecord64) == 40);
static_assert(offsetof(BackImageRecord64, pszImage) == 16);
static_assert(offsetof(BackImageRecord64, yOffsetPercent) == 32);

// Our own layouts are the SDK's, as far as every version of the control reads.
#ifdef _WIN64
using OwnItemRecord = ListItemRecord64;
using OwnColumnRecord = ListColumnRecord64;
using OwnFindRecord = FindRecord64;
using OwnBackImageRecord = BackImageRecord64;
#else
using OwnItemRecord = ListItemRecord32;
using OwnColumnRecord = ListColumnRecord32;
using OwnFindRecord = FindRecord32;
using OwnBackImageRecord = BackImageRecord32;
#endif
static_assert(offsetof(OwnItemRecord, pszText) == offsetof(LVITEMW, pszText));
static_assert(offsetof(OwnItemRecord, lParam) == offsetof(LVITEMW, lParam));
static_assert(offsetof(OwnItemRecord, iIndent) == offsetof(LVITEMW, iIndent));
static_assert(sizeof(OwnColumnRecord) == offsetof(LVCOLUMNW, iOrder) + sizeof(int));
static_assert(offsetof(OwnColumnRecord, pszText) == offsetof(LVCOLUMNW, pszText));
static_assert(sizeof(OwnFindRecord) == sizeof(LVFINDINFOW));
static_assert(offsetof(OwnFindRecord, lParam) == offsetof(LVFINDINFOW, lParam));
static_assert(sizeof(OwnBackImageRecord) == sizeof(LVBKIMAGEW));
static_assert(offsetof(OwnBackImageRecord, pszImage) == offsetof(LVBKIMAGEW, pszImage));

constexpr size_t kLargestRecord = 56;

template <typename Record> struct Layouts;
template <> struct Layouts<ListItemRecord> { using bits32 = ListItemRecord32; using bits64 = ListItemRecord64; };
template <> struct Layouts<ListColumnRecord> { using bits32 = ListColumnRecord32; using bits64 = ListColumnRecord64; };
template <> struct Layouts<FindRecord> { using bits32 = FindRecord32; using bits64 = FindRecord64; };
template <> struct Layouts<BackImageRecord> { using bits32 = BackImageRecord32; using bits64 = BackImageRecord64; };

// Field by field: a 32-bit record takes the low half of an address or a parameter,
// and gives its parameter back sign-extended, as LPARAM is.
template <typename Bytes> void put(const ListItemRecord& r, Bytes& b) {
    b.mask = r.mask;
    b.iItem = r.iItem;
    b.iSubItem = r.iSubItem;
    b.state = r.state;
    b.stateMask = r.stateMask;
    b.pszText = static_cast<decltype(b.pszText)>(r.pszText);
    b.cchTextMax = r.cchTextMax;
    b.iImage = r.iImage;
    b.lParam = static_cast<decltype(b.lParam)>(r.lParam);
    b.iIndent = r.iIndent;
}
template <typename Bytes> void take(const Bytes& b, ListItemRecord& r) {
    r.mask = b.mask;
    r.iItem = b.iItem;
    r.iSubItem = b.iSubItem;
    r.state = b.state;
    r.stateMask = b.stateMask;
    r.pszText = b.pszText;
    r.cchTextMax = b.cchTextMax;
    r.iImage = b.iImage;
    r.lParam = b.lParam;
    r.iIndent = b.iIndent;
}
template <typename Bytes> void put(const ListColumnRecord& r, Bytes& b) {
    b.mask = r.mask;
    b.fmt = r.fmt;
    b.cx = r.cx;
    b.pszText = static_cast<decltype(b.pszText)>(r.pszText);
    b.cchTextMax = r.cchTextMax;
    b.iSubItem = r.iSubItem;
    b.iImage = r.iImage;
    b.iOrder = r.iOrder;
}
template <typename Bytes> void take(const Bytes& b, ListColumnRecord& r) {
    r.mask = b.mask;
    r.fmt = b.fmt;
    r.cx = b.cx;
    r.pszText = b.pszText;
    r.cchTextMax = b.cchTextMax;
    r.iSubItem = b.iSubItem;
    r.iImage = b.iImage;
    r.iOrder = b.iOrder;
}
template <typename Bytes> void put(const FindRecord& r, Bytes& b) {
    b.flags = r.flags;
    b.psz = static_cast<decltype(b.psz)>(r.psz);
    b.lParam = static_cast<decltype(b.lParam)>(r.lParam);
    b.x = r.x;
    b.y = r.y;
    b.vkDirection = r.vkDirection;
}
template <typename Bytes> void take(const Bytes& b, FindRecord& r) {
    r.flags = b.flags;
    r.psz = b.psz;
    r.lParam = b.lParam;
    r.x = b.x;
    r.y = b.y;
    r.vkDirection = b.vkDirection;
}
template <typename Bytes> void put(const BackImageRecord& r, Bytes& b) {
    b.ulFlags = r.ulFlags;
    b.hbm = static_cast<decltype(b.hbm)>(r.hbm);
    b.pszImage = static_cast<decltype(b.pszImage)>(r.pszImage);
    b.cchImageMax = r.cchImageMax;
    b.xOffsetPercent = r.xOffsetPercent;
    b.yOffsetPercent = r.yOffsetPercent;
}
template <typename Bytes> void take(const Bytes& b, BackImageRecord& r) {
    r.ulFlags = b.ulFlags;
    r.hbm = b.hbm;
    r.pszImage = b.pszImage;
    r.cchImageMax = b.cchImageMax;
    r.xOffsetPercent = b.xOffsetPercent;
    r.yOffsetPercent = b.yOffsetPercent;
}

std::uint64_t& textAddress(ListItemRecord& r) { return r.pszText; }
std::uint64_t& textAddress(ListColumnRecord& r) { return r.pszText; }
std::uint64_t& textAddress(FindRecord& r) { return r.psz; }
std::uint64_t& textAddress(BackImageRecord& r) { return r.pszImage; }

// The record's bytes in the layout; their count.
template <typename Record> int encode(const Record& record, RecordLayout layout, unsigned char* bytes) {
    if (layout == RecordLayout::bits32) {
        typename Layouts<Record>::bits32 wire{};
        put(record, wire);
        std::memcpy(bytes, &wire, sizeof wire);
        return static_cast<int>(sizeof wire);
    }
    typename Layouts<Record>::bits64 wire{};
    put(record, wire);
    std::memcpy(bytes, &wire, sizeof wire);
    return static_cast<int>(sizeof wire);
}

template <typename Record> void decode(const unsigned char* bytes, RecordLayout layout, Record& record) {
    if (layout == RecordLayout::bits32) {
        typename Layouts<Record>::bits32 wire;
        std::memcpy(&wire, bytes, sizeof wire);
        take(wire, record);
    } else {
        typename Layouts<Record>::bits64 wire;
        std::memcpy(&wire, bytes, sizeof wire);
        take(wire, record);
    }
}

template <typename Record> int recordSize(RecordLayout layout) {
    return layout == RecordLayout::bits32 ? static_cast<int>(sizeof(typename Layouts<Record>::bits32))
                                          : static_cast<int>(sizeof(typename Layouts<Record>::bits64));
}

constexpr UINT kStateMaskItem = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE | LVIF_INDENT;  // 0x1F
// LVIF_INDENT too: without it the indent given to insertItem would be dropped.
constexpr UINT kInsertMask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE | LVIF_INDENT | LVIF_DI_SETITEM;

}  // namespace

std::string readLocalCellText(HWND list, int item, int subitem, bool* exact) {
    std::string text;
    bool whole = true;
    if (isWindowOfThisProcess(list)) {
        LVITEMW record{};
        record.mask = LVIF_TEXT;
        record.iItem = item;
        record.iSubItem = subitem;
        std::wstring buffer;
        std::wstring_view wide;
        getWideItem(list, record, buffer, wide);
        whole = toGbkExactly(wide, text);
    }
    if (exact) *exact = whole;
    return text;
}

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
    headerWindow_ = other.headerWindow_;
    remoteMode_ = other.remoteMode_;
    memory_ = other.memory_;
    localItemText_ = other.localItemText_;
    localColumnText_ = other.localColumnText_;
    // The local records point into their own object's buffers.
    localItem_.pszText = localItemText_.empty() ? 0 : addressOf(localItemText_.data());
    localColumn_.pszText = localColumnText_.empty() ? 0 : addressOf(localColumnText_.data());
    // Both objects close their handle at destruction: each gets its own.
    windowOfThisProcess_ = other.windowOfThisProcess_;
    remoteLayout_ = other.remoteLayout_;
    process_ = nullptr;
    if (other.process_) {
        DuplicateHandle(GetCurrentProcess(), other.process_, GetCurrentProcess(), &process_, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    }
}

LRESULT RemoteListView::send(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageW(window_, message, wParam, lParam);
}

bool RemoteListView::attach(HWND window, bool remoteMode, const std::string& expectedClass) {
    wchar_t className[256] = {};  // the longest a class name can be
    // A window that is not there has no class, not an empty one that "" would match.
    if (GetClassNameW(window, className, 256) == 0) return false;
    if (toWide(expectedClass) != className) return false;
    const bool ownWindow = isWindowOfThisProcess(window);
    HANDLE process = memory_.openWindowProcess(window);
    // A record of the wrong layout is misread by the control, or brings its
    // program down: a process whose bitness cannot be learnt gets none.
    const int bits = ownWindow ? static_cast<int>(sizeof(void*)) * 8 : memory_.processBits(process);
    if (bits != 32 && bits != 64) {
        if (process) CloseHandle(process);
        return false;
    }
    remoteMode_ = remoteMode ? 1 : 0;
    window_ = window;
    windowOfThisProcess_ = ownWindow;
    remoteLayout_ = bits == 64 ? RecordLayout::bits64 : RecordLayout::bits32;
    headerWindow_ = nullptr;
    HANDLE earlier = process_;
    process_ = process;
    memory_.closeProcess(earlier);
    return true;
}

// A block address must arrive whole: a 32-bit process sees 32 bits of the record's
// text pointer and of the message's lParam, and a 64-bit window receives the lParam
// of a 32-bit sender sign-extended.
bool RemoteListView::blocksAddressable(const void* recordBlock, const void* textBlock) const {
    if (remoteLayout_ == RecordLayout::bits32) {
        return addressOf(recordBlock) <= 0xFFFFFFFFu && addressOf(textBlock) <= 0xFFFFFFFFu;
    }
    return sizeof(void*) == 8 || addressOf(recordBlock) <= 0x7FFFFFFFu;
}

template <typename Record>
LRESULT RemoteListView::exchangeLocal(HWND window, const Exchange& e, Record& record, std::wstring& localText,
                                      std::wstring* textOut) {
    if (e.text == TextUse::read) {
        localText.assign(static_cast<size_t>(e.textBlockSize), L' ');
        textAddress(record) = addressOf(localText.data());
    } else if (e.text == TextUse::write) {
        // The text may be longer than the read buffer: the buffer takes its size.
        localText = *e.textIn;
        textAddress(record) = addressOf(localText.data());
    }
    alignas(8) unsigned char bytes[kLargestRecord];
    encode(record, kOwnRecordLayout, bytes);
    LRESULT result = SendMessageW(window, e.message, e.wParam, reinterpret_cast<LPARAM>(bytes));
    decode(bytes, kOwnRecordLayout, record);
    if (e.text == TextUse::read) {
        if (result && textOut) {
            // The control may point the record at a text of its own instead of filling ours.
            const auto* text = static_cast<const wchar_t*>(pointerAt(textAddress(record)));
            textOut->assign(text == localText.data() ? readText(localText.data(), localText.size(), e.textLimit)
                                                     : readText(text, text ? std::wcslen(text) : 0, e.textLimit));
        }
        textAddress(record) = addressOf(localText.data());
    }
    return result;
}

template <typename Record>
LRESULT RemoteListView::exchange(const Exchange& e, Record& record, std::wstring& localText, std::wstring* textOut) {
    if (remoteMode_) return exchangeRemote(e, record, textOut);
    if (!windowOfThisProcess_) return e.refused;
    return exchangeLocal(window_, e, record, localText, textOut);
}

template <typename Record>
LRESULT RemoteListView::exchangeRemote(const Exchange& e, Record& record, std::wstring* textOut) {
    const int recordBytes = recordSize<Record>(remoteLayout_);
    size_t textUnits = 0;
    if (e.text == TextUse::read) textUnits = static_cast<size_t>(e.textBlockSize);
    if (e.text == TextUse::write) textUnits = e.textIn->size() + 1;
    const size_t textBytes = textUnits * kUnitBytes;
    // One block holds the record and, after it, the text: every allocation and
    // release is a trip to the other process, and they cost as much as the message.
    const size_t textOffset = textBytes > 0 ? kLargestRecord + 8 : 0;
    const size_t blockSize = textBytes > 0 ? textOffset + textBytes : static_cast<size_t>(recordBytes);
    void* recordBlock = blockSize <= 0x7FFFFFFF ? memory_.allocate(process_, static_cast<int>(blockSize)) : nullptr;
    if (!recordBlock) return e.refused;
    char* textBlock = textBytes > 0 ? static_cast<char*>(recordBlock) + textOffset : nullptr;

    LRESULT result = e.refused;
    // An address the control would see cut short is not sent: a wrong address handed
    // to another program's control could bring that program down.
    if (blocksAddressable(recordBlock, textBlock)) {
        if (textBlock) textAddress(record) = addressOf(textBlock);
        alignas(8) unsigned char bytes[kLargestRecord];
        encode(record, remoteLayout_, bytes);
        bool written = e.text != TextUse::write ||
                       memory_.writeMemory(process_, textBlock, e.textIn->c_str(), static_cast<int>(textBytes));
        if (written && memory_.writeMemory(process_, recordBlock, bytes, recordBytes)) {
            result = send(e.message, e.wParam, reinterpret_cast<LPARAM>(recordBlock));
            if (e.readRecordBack) {
                std::string answer = memory_.readMemory(process_, recordBlock, recordBytes);
                decode(reinterpret_cast<const unsigned char*>(answer.data()), remoteLayout_, record);
            }
            if (e.text == TextUse::read && result && textOut) {
                std::string bytes = memory_.readMemory(process_, textBlock, static_cast<int>(textBytes));
                std::wstring text(textUnits, L'\0');
                std::memcpy(text.data(), bytes.data(), textBytes);
                textOut->assign(readText(text.data(), text.size(), e.textLimit));
            }
        }
    }
    memory_.release(process_, recordBlock);
    return result;
}

RemoteListView::Exchange RemoteListView::request(UINT message, WPARAM wParam, TextUse text,
                                                 const std::wstring* textIn, LRESULT refused) {
    Exchange e;
    e.message = message;
    e.wParam = wParam;
    e.text = text;
    e.textIn = textIn;
    // What a get answers is read back into the kept record; a set's record is ours already.
    e.readRecordBack = message == LVM_GETITEMW || message == LVM_GETCOLUMNW;
    e.refused = refused;
    return e;
}

LRESULT RemoteListView::exchangeItem(UINT message, WPARAM wParam, TextUse text, const std::wstring* textIn,
                                     std::wstring* textOut, LRESULT refused) {
    return exchange(request(message, wParam, text, textIn, refused), item(), localItemText_, textOut);
}

LRESULT RemoteListView::exchangeColumn(UINT message, WPARAM wParam, TextUse text, const std::wstring* textIn,
                                       std::wstring* textOut, LRESULT refused) {
    return exchange(request(message, wParam, text, textIn, refused), column(), localColumnText_, textOut);
}

void RemoteListView::readWholeText(std::wstring& text, bool valuesBack) {
    ListItemRecord& record = item();
    // A wide copy is cut at exactly the capacity less its NUL: anything shorter is
    // the whole text.
    for (int capacity = kTextBuffer; capacity <= kLongestText; capacity *= 2) {
        record.cchTextMax = capacity;
        Exchange e;
        e.message = LVM_GETITEMW;
        e.text = TextUse::read;
        e.textBlockSize = capacity;
        e.textLimit = static_cast<size_t>(capacity) - 1;
        e.readRecordBack = valuesBack;
        text.clear();
        LRESULT result = exchange(e, record, localItemText_, &text);
        if (!result || text.size() < static_cast<size_t>(capacity) - 1) break;
    }
    record.cchTextMax = kTextCapacity;
}

// ---- items: reads ----

std::string RemoteListView::getItemText(int item, int subitem) {
    ListItemRecord& record = this->item();
    record.iItem = item;
    record.iSubItem = subitem;
    record.mask = LVIF_TEXT;
    std::wstring text;
    Exchange e;
    e.message = LVM_GETITEMW;
    e.text = TextUse::read;
    // Only the text comes back: the record itself is not read again.
    exchange(e, record, localItemText_, &text);
    return gbkWithin(text, kMostCutBytes);
}

std::string RemoteListView::getFullItemText(int item, int subitem, int* image, int* param) {
    std::string text;
    getFullItemText(item, subitem, text, image, param);
    return text;
}

bool RemoteListView::getFullItemText(int item, int subitem, std::string& text, int* image, int* param) {
    ListItemRecord& record = this->item();
    const bool alsoValues = image || param;
    record.iItem = item;
    record.iSubItem = subitem;
    record.mask = LVIF_TEXT | (alsoValues ? LVIF_IMAGE | LVIF_PARAM : 0);
    if (alsoValues) {  // an item that cannot be read gives none, not the previous one's
        record.iImage = -1;
        record.lParam = 0;
    }
    readWholeText(wholeText_, alsoValues);
    if (image) *image = record.iImage;
    if (param) *param = static_cast<int>(record.lParam);
    return toGbkExactly(wholeText_, text);
}

std::string RemoteListView::getItemTextOf(int item, int subitem, HWND window) {
    if (!isWindowOfThisProcess(window)) return std::string();
    localItem_.iItem = item;
    localItem_.iSubItem = subitem;
    localItem_.mask = LVIF_TEXT;
    std::wstring text;
    Exchange e;
    e.message = LVM_GETITEMW;
    e.text = TextUse::read;
    exchangeLocal(window, e, localItem_, localItemText_, &text);
    return gbkWithin(text, kMostCutBytes);
}

int RemoteListView::getItemImage(int item, int subitem) {
    this->item().iItem = item;
    this->item().iSubItem = subitem;
    this->item().mask = LVIF_IMAGE;
    // A read that fails (no such item) gives no image, not the last one read.
    if (!exchangeItem(LVM_GETITEMW, 0, TextUse::none)) return -1;
    return this->item().iImage;
}

int RemoteListView::getItemCheck(int item) {
    auto state = static_cast<std::uint32_t>(send(LVM_GETITEMSTATE, static_cast<WPARAM>(item), kStateImageMask));
    return stateImageOf(state) - 1;
}

int RemoteListView::getItemIndent(int item) {
    // The indent belongs to the item: a subitem left over from an earlier read
    // would answer 0.
    this->item().iItem = item;
    this->item().iSubItem = 0;
    this->item().mask = LVIF_INDENT;
    exchangeItem(LVM_GETITEMW, 0, TextUse::none);
    return this->item().iIndent;
}

int RemoteListView::getItemCount() { return static_cast<int>(send(LVM_GETITEMCOUNT)); }

int RemoteListView::getItemParam(int item) {
    // The parameter belongs to the item, whatever subitem was read before; a read
    // that fails gives 0, not the parameter of the item read last.
    this->item().iItem = item;
    this->item().iSubItem = 0;
    this->item().mask = LVIF_PARAM;
    if (!exchangeItem(LVM_GETITEMW, 0, TextUse::none)) return 0;
    // The low 32 bits: a 32-bit process's parameter whole, sign-extended back.
    return static_cast<int>(this->item().lParam);
}

std::int64_t RemoteListView::getFullItemParam(int item) {
    this->item().iItem = item;
    this->item().iSubItem = 0;
    this->item().mask = LVIF_PARAM;
    if (!exchangeItem(LVM_GETITEMW, 0, TextUse::none)) return 0;
    return this->item().lParam;
}

// ---- items: writes ----

int RemoteListView::setItemText(int item, int subitem, const std::string& text) {
    this->item().iItem = item;
    this->item().iSubItem = subitem;
    this->item().mask = LVIF_TEXT;
    std::wstring wide = toWide(text);
    return static_cast<int>(exchangeItem(LVM_SETITEMW, 0, TextUse::write, &wide));
}

int RemoteListView::setItemImage(int item, int subitem, int image) {
    this->item().iItem = item;
    this->item().iSubItem = subitem;
    this->item().mask = LVIF_IMAGE;
    this->item().iImage = image;
    return static_cast<int>(exchangeItem(LVM_SETITEMW, 0, TextUse::none));
}

int RemoteListView::setItemCheck(int item, int value) {
    ListItemRecord& record = this->item();
    record.iItem = item;
    record.iSubItem = 0;
    record.mask = LVIF_STATE;
    record.state = stateImageBits(value + 1);
    record.stateMask = kStateImageMask;
    if (remoteMode_) return static_cast<int>(exchangeItem(LVM_SETITEMW, 0, TextUse::none));
    return static_cast<int>(exchangeItem(LVM_SETITEMSTATE, static_cast<WPARAM>(item), TextUse::none));
}

int RemoteListView::setItemIndent(int item, int indent) {
    this->item().iItem = item;
    this->item().iSubItem = 0;
    this->item().mask = LVIF_INDENT;
    this->item().iIndent = indent;
    return static_cast<int>(exchangeItem(LVM_SETITEMW, 0, TextUse::none));
}

int RemoteListView::setItemParam(int item, int param) {
    this->item().iItem = item;
    this->item().iSubItem = 0;
    this->item().mask = LVIF_PARAM;
    this->item().lParam = param;
    return static_cast<int>(exchangeItem(LVM_SETITEMW, 0, TextUse::none));
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
        exchangeItem(remoteMode_ ? LVM_SETITEMW : LVM_SETITEMSTATE, static_cast<WPARAM>(item), TextUse::none));
}

int RemoteListView::deselectItem(int item) {
    ListItemRecord& record = this->item();
    record.iItem = item;
    record.iSubItem = 0;
    record.mask = LVIF_STATE;
    record.state = ~static_cast<std::uint32_t>(LVIS_SELECTED);
    record.stateMask = LVIS_SELECTED;
    return static_cast<int>(
        exchangeItem(remoteMode_ ? LVM_SETITEMW : LVM_SETITEMSTATE, static_cast<WPARAM>(item), TextUse::none));
}

// ---- inserting, deleting, finding ----

int RemoteListView::insertItem(int index, const std::string& text, int image, int check, int indent, int param) {
    return insertItemWithParam(index, text, image, check, indent, param);
}

int RemoteListView::insertItemWithParam(int index, const std::string& text, int image, int check, int indent,
                                        std::int64_t param) {
    ListItemRecord& record = this->item();
    record.mask = kInsertMask;
    record.iItem = index == -1 ? getItemCount() : index;
    record.iSubItem = 0;
    record.iImage = image;
    record.state = stateImageBits(check + 1);
    record.stateMask = kStateImageMask;
    record.iIndent = indent;
    record.lParam = param;
    std::wstring wide = toWide(text);
    int inserted = static_cast<int>(exchangeItem(LVM_INSERTITEMW, 0, TextUse::write, &wide, nullptr, -1));
    // A list with check boxes gives a new item an empty box whatever it was asked
    // for: a box asked ticked or clear is set again when it did not take.
    if (inserted >= 0 && (check == 0 || check == 1) && getItemCheck(inserted) != check) {
        setItemCheck(inserted, check);
    }
    return inserted;
}

void RemoteListView::insertRecords(int position, const std::vector<ItemRecord>& records, int sortKey) {
    std::vector<ItemRecord> sorted = records;
    sortRecords(sorted, sortKey);
    send(WM_SETREDRAW, FALSE);
    int start = position == -1 ? getItemCount() : position;
    for (size_t k = 0; k < sorted.size(); ++k) {
        const ItemRecord& r = sorted[k];
        int index = insertItemWithParam(start + static_cast<int>(k), r.text, r.image, r.check, r.indent, r.param);
        if (index < 0) continue;
        // A record read without a state image is put back without one.
        if (r.check == -1 && getItemCheck(index) != -1) setItemCheck(index, -1);
        // A sorted list places the item where it belongs: its subitems follow it there.
        for (size_t c = 0; c < r.subitemTexts.size(); ++c) {
            ListItemRecord& record = this->item();
            record.mask = LVIF_TEXT | LVIF_IMAGE;
            record.iItem = index;
            record.iSubItem = static_cast<int>(c) + 1;
            record.iImage = c < r.subitemImages.size() ? r.subitemImages[c] : -1;
            std::wstring wide = toWide(r.subitemTexts[c]);
            exchangeItem(LVM_SETITEMW, 0, TextUse::write, &wide);
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
    std::wstring wide = toWide(text);
    std::wstring buffer;
    Exchange e;
    e.message = LVM_FINDITEMW;
    e.wParam = static_cast<WPARAM>(start);
    e.text = TextUse::write;
    e.textIn = &wide;
    e.refused = -1;
    return static_cast<int>(exchange(e, find, buffer, nullptr));
}

int RemoteListView::findItemParam(int start, int param, bool wrap) {
    const RecordLayout layout = remoteMode_ ? remoteLayout_ : kOwnRecordLayout;
    if (layout == RecordLayout::bits32) {
        FindRecord find{};
        find.flags = LVFI_PARAM | (wrap ? LVFI_WRAP : 0);
        find.lParam = param;
        std::wstring buffer;
        Exchange e;
        e.message = LVM_FINDITEMW;
        e.wParam = static_cast<WPARAM>(start);
        e.refused = -1;
        return static_cast<int>(exchange(e, find, buffer, nullptr));
    }
    // The control compares all 64 bits: the items are read in the order its search
    // takes (after start to the end, then, wrapping, from the first to start).
    const int count = getItemCount();
    auto matches = [&](int item) {
        ListItemRecord& record = this->item();
        record.iItem = item;
        record.iSubItem = 0;
        record.mask = LVIF_PARAM;
        return exchangeItem(LVM_GETITEMW, 0, TextUse::none) && static_cast<int>(record.lParam) == param;
    };
    const int first = start < 0 ? 0 : start + 1;
    for (int item = first; item < count; ++item) {
        if (matches(item)) return item;
    }
    if (wrap) {
        for (int item = 0; item < first && item < count; ++item) {
            if (matches(item)) return item;
        }
    }
    return -1;
}

int RemoteListView::ensureVisible(int item) {
    return static_cast<int>(send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), 1));
}

int RemoteListView::arrange() { return static_cast<int>(send(LVM_ARRANGE)); }

// ---- columns ----

std::string RemoteListView::getColumnTitle(int column) {
    this->column().mask = LVCF_TEXT;
    std::wstring title;
    exchangeColumn(LVM_GETCOLUMNW, static_cast<WPARAM>(column), TextUse::read, nullptr, &title);
    return gbkWithin(title, kMostCutBytes);
}

int RemoteListView::getColumnAlignment(int column) {
    this->column().mask = LVCF_FMT;
    if (!exchangeColumn(LVM_GETCOLUMNW, static_cast<WPARAM>(column), TextUse::none)) return 255;
    int fmt = this->column().fmt;
    if (fmt & LVCFMT_CENTER) return kAlignCenter;
    if (fmt & LVCFMT_RIGHT) return kAlignRight;
    return kAlignLeft;
}

int RemoteListView::getColumnWidth(int column) {
    this->column().mask = LVCF_WIDTH;
    exchangeColumn(LVM_GETCOLUMNW, static_cast<WPARAM>(column), TextUse::none);
    return this->column().cx;
}

int RemoteListView::getColumnImage(int column) {
    this->column().mask = LVCF_FMT | LVCF_IMAGE;
    if (!exchangeColumn(LVM_GETCOLUMNW, static_cast<WPARAM>(column), TextUse::none)) return -1;
    return this->column().iImage;
}

bool RemoteListView::isColumnImageOnRight(int column) {
    this->column().mask = LVCF_FMT | LVCF_IMAGE;
    if (!exchangeColumn(LVM_GETCOLUMNW, static_cast<WPARAM>(column), TextUse::none)) return false;
    return (this->column().fmt & LVCFMT_BITMAP_ON_RIGHT) != 0;
}

int RemoteListView::setColumnTitle(int column, const std::string& title) {
    this->column().mask = LVCF_TEXT;
    std::wstring wide = toWide(title);
    return static_cast<int>(exchangeColumn(LVM_SETCOLUMNW, static_cast<WPARAM>(column), TextUse::write, &wide));
}

int RemoteListView::setColumnWidth(int column, int width) {
    this->column().mask = LVCF_WIDTH;
    this->column().cx = width;
    return static_cast<int>(exchangeColumn(LVM_SETCOLUMNW, static_cast<WPARAM>(column), TextUse::none));
}

int RemoteListView::setColumnImage(int column, int image) {
    this->column().mask = LVCF_IMAGE;
    this->column().iImage = image;
    return static_cast<int>(exchangeColumn(LVM_SETCOLUMNW, static_cast<WPARAM>(column), TextUse::none));
}

int RemoteListView::getColumnCount() {
    headerWindow_ = reinterpret_cast<HWND>(send(LVM_GETHEADER));
    // No header: the message to window 0 fails and the count is 0.
    return static_cast<int>(SendMessageW(headerWindow_, HDM_GETITEMCOUNT, 0, 0));
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
    std::wstring wide = toWide(title);
    return static_cast<int>(
        exchangeColumn(LVM_INSERTCOLUMNW, static_cast<WPARAM>(position), TextUse::write, &wide, nullptr, -1));
}

int RemoteListView::deleteColumn(int column) {
    return static_cast<int>(send(LVM_DELETECOLUMN, static_cast<WPARAM>(column)));
}

HWND RemoteListView::editLabel(int item) {
    if (remoteMode_) SetActiveWindow(GetWindow(window_, GW_OWNER));
    SetFocus(window_);
    return reinterpret_cast<HWND>(send(LVM_EDITLABELW, static_cast<WPARAM>(item)));
}

// ---- whole records ----

ItemRecord RemoteListView::readRecord(int item) {
    // Records are read to be put back (sortByColumn deletes and re-inserts every row):
    // texts come whole, with the record's other fields as the control answered them.
    // A record keeps GBK, so a character GBK has no form for comes back as '?'.
    auto readWhole = [&](std::string& text) {
        readWholeText(wholeText_, true);
        text = toGbk(wholeText_);
    };
    ItemRecord out;
    ListItemRecord& record = this->item();
    record.mask = kStateMaskItem;
    record.iItem = item;
    record.iSubItem = 0;
    record.stateMask = kStateImageMask;
    // Values of an item that cannot be read are not the previous item's.
    record.iImage = record.iIndent = 0;
    record.lParam = 0;
    record.state = 0;
    readWhole(out.text);
    out.image = record.iImage;
    out.check = stateImageOf(record.state) - 1;
    out.param = record.lParam;
    out.indent = record.iIndent;
    for (int c = 1, columns = getColumnCount(); c < columns; ++c) {
        ListItemRecord& sub = this->item();
        sub.mask = LVIF_TEXT | LVIF_IMAGE;
        sub.iItem = item;
        sub.iSubItem = c;
        sub.iImage = 0;
        std::string text;
        readWhole(text);
        out.subitemImages.push_back(sub.iImage);
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
    std::wstring buffer, path;
    Exchange e;
    e.message = LVM_GETBKIMAGEW;
    e.text = TextUse::read;
    e.textBlockSize = 256;
    e.textLimit = 255;
    exchange(e, image, buffer, &path);
    return gbkWithin(path, 255);
}

void RemoteListView::setBackImage(const std::string& path, bool tile) {
    setTextBackColor(CLR_NONE);
    BackImageRecord image{};
    image.ulFlags = LVBKIF_SOURCE_URL | (tile ? LVBKIF_STYLE_TILE : 0);
    std::wstring wide = toWide(path);
    image.cchImageMax = static_cast<int>(wide.size()) + 1;
    image.xOffsetPercent = image.yOffsetPercent = 100;
    std::wstring buffer;
    Exchange e;
    e.message = LVM_SETBKIMAGEW;
    e.text = TextUse::write;
    e.textIn = &wide;
    exchange(e, image, buffer, nullptr);
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
    LONG style = GetWindowLongW(window_, GWL_STYLE);
    if (newValue) {
        SetWindowLongW(window_, GWL_STYLE, *newValue ? (style | LVS_SINGLESEL) : (style & ~LVS_SINGLESEL));
        style = GetWindowLongW(window_, GWL_STYLE);
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
