#include "known_list.h"

#include "win/gbk_wide.h"

#include <commctrl.h>

namespace vostrel::test {

std::string longText() {
    std::string text;
    for (int i = 0; i < 300; ++i) text += static_cast<char>('a' + i % 26);
    return text;
}

std::string tenKilobyteText() {
    std::string text;
    while (text.size() < 10240) text += "场控文本" + std::to_string(text.size()) + ";";
    return text;
}

std::string straddlingText() { return std::string(248, 'x') + "中" + "尾巴"; }

const std::vector<KnownItem>& knownItems() {
    static const std::vector<KnownItem> items = {
        {"甲项目", 0, 1, 1001, 0, "第一条正文", 3, "30", false},
        {"乙项目", 1, 0, -2, 2, "second body", 4, "10", true},
        {longText(), 2, -1, 0x7FFFFFFF, 1, "", 0, "20", false},
        {tenKilobyteText(), 5, 1, 7, 0, straddlingText(), 1, "00", true},
    };
    return items;
}

const std::vector<KnownColumn>& knownColumns() {
    static const std::vector<KnownColumn> columns = {
        {"标题", 120, LVCFMT_LEFT, -1},
        {"正文", 200, LVCFMT_CENTER, -1},
        {"编号", 60, LVCFMT_RIGHT | LVCFMT_BITMAP_ON_RIGHT | LVCFMT_IMAGE, 4},
    };
    return columns;
}

HWND createKnownList(HWND parent) {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&init);
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_EDITLABELS,
                                0, 0, 580, 360, parent, reinterpret_cast<HMENU>(kKnownListId),
                                GetModuleHandleW(nullptr), nullptr);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_SUBITEMIMAGES);
    fillKnownList(list);
    return list;
}

std::wstring cellText(HWND list, int item, int subitem) {
    std::wstring text(4096, L'\0');
    LVITEMW lv{};
    lv.iSubItem = subitem;
    lv.pszText = text.data();
    lv.cchTextMax = static_cast<int>(text.size());
    LRESULT length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
    text.resize(static_cast<size_t>(length));
    return text;
}

bool setCellText(HWND list, int item, int subitem, const std::wstring& text) {
    LVITEMW lv{};
    lv.iSubItem = subitem;
    lv.pszText = const_cast<wchar_t*>(text.c_str());
    return SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv)) != 0;
}

static void setSubitem(HWND list, int item, int subitem, const std::string& text, int image) {
    std::wstring wide = toWide(text);
    LVITEMW lv{};
    lv.mask = LVIF_TEXT | LVIF_IMAGE;
    lv.iItem = item;
    lv.iSubItem = subitem;
    lv.pszText = wide.data();
    lv.iImage = image;
    SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
}

void fillKnownList(HWND list, int rows) {
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    while (SendMessageW(list, LVM_DELETECOLUMN, 0, 0)) {}
    SetWindowLongW(list, GWL_STYLE, GetWindowLongW(list, GWL_STYLE) & ~LVS_SINGLESEL);

    std::vector<KnownColumn> columns = knownColumns();
    if (rows > 0) columns = {{"标题", 120, LVCFMT_LEFT, -1}, {"正文", 200, LVCFMT_LEFT, -1}};
    for (size_t c = 0; c < columns.size(); ++c) {
        std::wstring title = toWide(columns[c].title);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | (columns[c].image >= 0 ? LVCF_IMAGE : 0);
        column.pszText = title.data();
        column.cx = columns[c].width;
        column.fmt = columns[c].fmt;
        column.iImage = columns[c].image;
        SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }

    if (rows > 0) {
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        for (int i = 0; i < rows; ++i) {
            std::wstring text = toWide("行" + std::to_string(i));
            LVITEMW lv{};
            lv.mask = LVIF_TEXT | LVIF_PARAM;
            lv.iItem = i;
            lv.pszText = text.data();
            lv.lParam = i;
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lv));
            setSubitem(list, i, 1, "正文" + std::to_string(i), 0);
        }
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        return;
    }

    const std::vector<KnownItem>& items = knownItems();
    for (size_t i = 0; i < items.size(); ++i) {
        const KnownItem& k = items[i];
        std::wstring text = toWide(k.text);
        LVITEMW lv{};
        lv.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_INDENT | LVIF_STATE;
        lv.iItem = static_cast<int>(i);
        lv.pszText = text.data();
        lv.iImage = k.image;
        lv.lParam = k.param;
        if (i == 0 && sizeof(LPARAM) == 8) lv.lParam = static_cast<LPARAM>(k.param + kHighParamBits);
        lv.iIndent = k.indent;
        lv.state = INDEXTOSTATEIMAGEMASK(k.check + 1) | (k.selected ? LVIS_SELECTED : 0);
        lv.stateMask = LVIS_STATEIMAGEMASK | LVIS_SELECTED;
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lv));
        // Lists with check boxes start every new item with an empty box.
        SendMessageW(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&lv));
        setSubitem(list, static_cast<int>(i), 1, k.body, k.bodyImage);
        setSubitem(list, static_cast<int>(i), 2, k.number, 0);
    }
}

}  // namespace vostrel::test
