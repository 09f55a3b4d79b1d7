#include "known_list.h"

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
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_EDITLABELS,
                                0, 0, 580, 360, parent, reinterpret_cast<HMENU>(kKnownListId),
                                GetModuleHandleA(nullptr), nullptr);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_SUBITEMIMAGES);
    fillKnownList(list);
    return list;
}

static void setSubitem(HWND list, int item, int subitem, const std::string& text, int image) {
    LVITEMA lv{};
    lv.mask = LVIF_TEXT | LVIF_IMAGE;
    lv.iItem = item;
    lv.iSubItem = subitem;
    lv.pszText = const_cast<char*>(text.c_str());
    lv.iImage = image;
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&lv));
}

void fillKnownList(HWND list, int rows) {
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    while (SendMessageA(list, LVM_DELETECOLUMN, 0, 0)) {}
    SetWindowLongA(list, GWL_STYLE, GetWindowLongA(list, GWL_STYLE) & ~LVS_SINGLESEL);

    std::vector<KnownColumn> columns = knownColumns();
    if (rows > 0) columns = {{"标题", 120, LVCFMT_LEFT, -1}, {"正文", 200, LVCFMT_LEFT, -1}};
    for (size_t c = 0; c < columns.size(); ++c) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | (columns[c].image >= 0 ? LVCF_IMAGE : 0);
        column.pszText = const_cast<char*>(columns[c].title.c_str());
        column.cx = columns[c].width;
        column.fmt = columns[c].fmt;
        column.iImage = columns[c].image;
        SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    }

    if (rows > 0) {
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        for (int i = 0; i < rows; ++i) {
            std::string text = "行" + std::to_string(i);
            LVITEMA lv{};
            lv.mask = LVIF_TEXT | LVIF_PARAM;
            lv.iItem = i;
            lv.pszText = text.data();
            lv.lParam = i;
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&lv));
            setSubitem(list, i, 1, "正文" + std::to_string(i), 0);
        }
        SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        return;
    }

    const std::vector<KnownItem>& items = knownItems();
    for (size_t i = 0; i < items.size(); ++i) {
        const KnownItem& k = items[i];
        LVITEMA lv{};
        lv.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_INDENT | LVIF_STATE;
        lv.iItem = static_cast<int>(i);
        lv.pszText = const_cast<char*>(k.text.c_str());
        lv.iImage = k.image;
        lv.lParam = k.param;
        if (i == 0 && sizeof(LPARAM) == 8) lv.lParam = static_cast<LPARAM>(k.param + kHighParamBits);
        lv.iIndent = k.indent;
        lv.state = INDEXTOSTATEIMAGEMASK(k.check + 1) | (k.selected ? LVIS_SELECTED : 0);
        lv.stateMask = LVIS_STATEIMAGEMASK | LVIS_SELECTED;
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&lv));
        // Lists with check boxes start every new item with an empty box.
        SendMessageA(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&lv));
        setSubitem(list, static_cast<int>(i), 1, k.body, k.bodyImage);
        setSubitem(list, static_cast<int>(i), 2, k.number, 0);
    }
}

}  // namespace vostrel::test
