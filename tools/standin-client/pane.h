// Every window of the stand-in client is a pane: a top-level window of the one
// class kWindowClass, told apart by title, that draws its own content, so clicks
// posted into a window land on that window. Here too the drawing helpers the
// panes share.
#pragma once

#include <windows.h>

#include <string>

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
HWND createPane(Pane* pane, const char* title, DWORD style, DWORD exStyle, int x, int y, int width, int height);

HFONT uiFont();
void fill(HDC dc, RECT r, COLORREF colour);
void frame(HDC dc, RECT r, COLORREF colour);
void text(HDC dc, int x, int y, const std::string& s, COLORREF colour = RGB(40, 40, 40));
void button(HDC dc, RECT r, const char* caption, bool primary);
bool inside(const RECT& r, int x, int y);

// A character typed into a pane's own input: Backspace removes the last GBK
// character (one or two bytes), other control characters are dropped.
void typeInto(std::string& s, WPARAM character);

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
