#include "library/text_list.h"

#include "remote/remote_list_view.h"
#include "win/window.h"

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

std::string cellText(HWND list, int row, int column) { return readLocalCellText(list, row, column); }

}  // namespace vostrel
