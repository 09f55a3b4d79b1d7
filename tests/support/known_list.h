// The list view both sides of the remote tests look at: the helper program owns one
// in its own process, the tests make the same in theirs. Filled through the W
// messages from GBK, so that the list holds the same Chinese on any system code page.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vostrel::test {

constexpr int kKnownListId = 101;
constexpr char kHelperTitle[] = "Vostrel list helper";
constexpr char kHelperProgram[] = "remote_list_helper.exe";
// Sent to the helper's top window: put the known content back (wParam 0) or fill
// wParam generated rows of two columns.
constexpr UINT kRefillMessage = WM_APP + 1;
// Sent to the helper's top window: its title becomes the text of the cell (item
// wParam, subitem lParam) as the control holds it, which another process reads
// with GetWindowTextW whatever the code pages of both.
constexpr UINT kShowCellMessage = WM_APP + 2;
// Sent to the helper's top window: the cell (item wParam, subitem lParam) gets
// kOutsideGbkText, which no GBK text can put there.
constexpr UINT kPutOutsideGbkMessage = WM_APP + 3;
// Chinese with Devanagari A (in no Chinese code page) and an emoji (beyond the
// Basic Multilingual Plane) between.
constexpr wchar_t kOutsideGbkText[] = L"中\u0905文\U0001F600";
// Added to the first item's parameter where the list's process has a 64-bit lParam.
constexpr long long kHighParamBits = 0x500000000LL;

struct KnownItem {
    std::string text;
    int image, check, param, indent;
    std::string body;  // column 1
    int bodyImage;
    std::string number;  // column 2
    bool selected;
};

const std::vector<KnownItem>& knownItems();
struct KnownColumn {
    std::string title;
    int width;
    int fmt;
    int image;
};
const std::vector<KnownColumn>& knownColumns();

// A report-view list with check boxes and subitem images, child of parent.
HWND createKnownList(HWND parent);
// The cell as a list of this process holds it, and a cell set from UTF-16.
std::wstring cellText(HWND list, int item, int subitem);
bool setCellText(HWND list, int item, int subitem, const std::wstring& text);

// Empties the list and fills it: the known items and columns, or rows generated
// rows "行i" / "正文i" of two columns.
void fillKnownList(HWND list, int rows = 0);

// The texts that exercise the cuts: 300 bytes, 10 KB, and a double-byte character
// that covers bytes 248 and 249 (the last byte a 250 capacity keeps is byte 248).
std::string longText();
std::string tenKilobyteText();
std::string straddlingText();

}  // namespace vostrel::test
