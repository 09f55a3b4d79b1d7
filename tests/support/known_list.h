// The list view both sides of the remote tests look at: the helper program owns one
// in its own process, the tests make the same in theirs.
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
// Empties the list and fills it: the known items and columns, or rows generated
// rows "行i" / "正文i" of two columns.
void fillKnownList(HWND list, int rows = 0);

// The texts that exercise the cuts: 300 bytes, 10 KB, and a double-byte character
// that covers bytes 248 and 249 (the last byte a 250 capacity keeps is byte 248).
std::string longText();
std::string tenKilobyteText();
std::string straddlingText();

}  // namespace vostrel::test
