// Every window of the stand-in client is a pane: a top-level Unicode window of the
// one class kWindowClass, told apart by title, that draws its own content, so
// clicks posted into a window land on that window. Here too the drawing helpers
// the panes share.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace standin {

// Every window of the client is one of these, bound at WM_NCCREATE.
class Pane {
public:
    virtual ~Pane() = default;
    virtual LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// Registers kWindowClass, whose procedure hands each window's messages to its pane.
void registerPaneClass(HINSTANCE instance);

// A window of kWindowClass for the pane. The window owns the pane from WM_NCCREATE
// and deletes it at WM_NCDESTROY; when creation fails the pane is deleted here.
HWND createPane(Pane* pane, const std::wstring& title, DWORD style, DWORD exStyle, int x, int y, int width, int height);

HFONT uiFont();
void fill(HDC dc, RECT r, COLORREF colour);
void frame(HDC dc, RECT r, COLORREF colour);
void text(HDC dc, int x, int y, std::wstring_view s, COLORREF colour = RGB(40, 40, 40));
void button(HDC dc, RECT r, const wchar_t* caption, bool primary);
bool inside(const RECT& r, int x, int y);

// A WM_CHAR typed into a pane's own input, one UTF-16 unit: a character beyond the
// Basic Multilingual Plane comes as two, its surrogates, which join into one as
// they are appended. Backspace removes the last character (both units of a pair),
// other control characters are dropped.
void typeInto(std::wstring& s, WPARAM character);

// The text on one line: CR, LF and tab shown as "\r", "\n" and "\t".
std::wstring oneLine(std::wstring_view s);

// Paints through a memory bitmap, so the panes do not flicker.
template <typename Draw>
void paintBuffered(HWND window, Draw draw) {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, uiFont());
    SetBkMode(dc, TRANSPARENT);
    draw(dc, client);
    BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(window, &ps);
}

}  // namespace standin
