#include "library/text_list.h"

#include "app/windows.h"

#include <commctrl.h>

namespace vostrel {

HWND textList() { return mainWindow().control("超级列表框1"); }

int selectedRow(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int appendRow(HWND list) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>("");
    item.iImage = -1;
    item.lParam = 0;
    return static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void setCellText(HWND list, int row, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

std::string cellText(HWND list, int row, int column) {
    // The control copies at most the buffer less its NUL, and a double-byte
    // character that does not fit whole may be left out: only a copy that leaves
    // two bytes over is surely the whole text; otherwise the buffer grows.
    std::string text(256, '\0');
    for (;;) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        int copied = static_cast<int>(SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
        if (copied < 0) copied = 0;
        if (static_cast<size_t>(copied) + 2 < text.size()) {
            text.resize(static_cast<size_t>(copied));
            return text;
        }
        text.assign(text.size() * 2, '\0');
    }
}

}  // namespace vostrel
