#include "pane.h"

#include "standin_log.h"

namespace standin {
namespace {

// Removes the last character of a GBK text (one or two bytes).
void eraseLastCharacter(std::string& s) {
    size_t start = 0, last = 0;
    while (start < s.size()) {
        last = start;
        unsigned char b = static_cast<unsigned char>(s[start]);
        start += (b >= 0x81 && b <= 0xFE && start + 1 < s.size()) ? 2 : 1;
    }
    if (!s.empty()) s.erase(last);
}

// The pane being created and not yet bound to its window: createPane still owns it.
Pane* g_unboundPane = nullptr;

LRESULT CALLBACK paneProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* pane = reinterpret_cast<Pane*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        // From here on the window owns the pane and deletes it at WM_NCDESTROY.
        pane = static_cast<Pane*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pane));
        g_unboundPane = nullptr;
    }
    if (!pane) return DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = pane->handle(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        delete pane;
    }
    return result;
}

}  // namespace

void registerPaneClass(HINSTANCE instance) {
    WNDCLASSEXA cls{sizeof cls};
    cls.style = CS_DBLCLKS;
    cls.lpfnWndProc = paneProcedure;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    cls.lpszClassName = kWindowClass;
    RegisterClassExA(&cls);
}

HWND createPane(Pane* pane, const char* title, DWORD style, DWORD exStyle, int x, int y, int width, int height) {
    g_unboundPane = pane;
    HWND window = CreateWindowExA(exStyle, kWindowClass, title, style, x, y, width, height, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), pane);
    if (g_unboundPane == pane) delete pane;  // creation failed before the window took it
    g_unboundPane = nullptr;
    return window;
}

HFONT uiFont() {
    static HFONT font = [] {
        for (const char* face : {"宋体", "SimSun", "WenQuanYi Micro Hei", "WenQuanYi Zen Hei", "Droid Sans Fallback"}) {
            HFONT f = CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
            HDC dc = GetDC(nullptr);
            HGDIOBJ old = SelectObject(dc, f);
            char chosen[LF_FACESIZE] = {};
            GetTextFaceA(dc, LF_FACESIZE, chosen);
            SelectObject(dc, old);
            ReleaseDC(nullptr, dc);
            if (lstrcmpiA(chosen, face) == 0) return f;
            DeleteObject(f);
        }
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }();
    return font;
}

void fill(HDC dc, RECT r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void frame(HDC dc, RECT r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FrameRect(dc, &r, brush);
    DeleteObject(brush);
}

void text(HDC dc, int x, int y, const std::string& s, COLORREF colour) {
    SetTextColor(dc, colour);
    TextOutA(dc, x, y, s.c_str(), static_cast<int>(s.size()));
}

void button(HDC dc, RECT r, const char* caption, bool primary) {
    fill(dc, r, primary ? RGB(30, 144, 255) : RGB(235, 235, 235));
    frame(dc, r, RGB(150, 150, 150));
    SetTextColor(dc, primary ? RGB(255, 255, 255) : RGB(40, 40, 40));
    DrawTextA(dc, caption, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

bool inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

void typeInto(std::string& s, WPARAM character) {
    if (character == '\b') {
        eraseLastCharacter(s);
    } else if (character >= 0x20) {
        s += static_cast<char>(character);
    }
}

}  // namespace standin
