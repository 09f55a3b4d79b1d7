// The text list 超级列表框1 is the library itself: no other copy is kept, every
// operation reads and writes the control. These are the list operations the
// library, its editing dialogs and the send use.
#pragma once

#include <windows.h>

#include <string>

namespace vostrel {

HWND textList();                     // 超级列表框1 of the main window
int selectedRow(HWND list);          // -1 when no row is selected
int appendRow(HWND list);            // empty texts, no image, data 0; its index, or -1
void setCellText(HWND list, int row, int column, const std::string& text);
std::string cellText(HWND list, int row, int column);  // whole, any length; empty for no such cell

}  // namespace vostrel
