#include "library/text_list.h"

#include "remote/remote_list_view.h"
#include "win/gbk_wide.h"
#include "win/window.h"

#include <commctrl.h>

namespace vostrel {

HWND textList() { return mainWindow().control("超级列表框1"); }

int selectedRow(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int appendRow(HWND list) {
    wchar_t empty[] = L"";
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = empty;
    item.iImage = -1;
    item.lParam = 0;
    return static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void setCellText(HWND list, int row, int column, const std::string& text) {
    std::wstring wide = toWide(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

std::string cellText(HWND list, int row, int column) { return readLocalCellText(list, row, column); }

}  // namespace vostrel
