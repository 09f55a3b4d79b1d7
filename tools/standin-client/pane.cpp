#include "pane.h"

#include "standin_log.h"
#include "unicode_text.h"

namespace standin {
namespace {

void eraseLastCharacter(std::wstring& s) {
    if (s.empty()) return;
    bool pair = s.size() >= 2 && s.back() >= 0xDC00 && s.back() <= 0xDFFF && s[s.size() - 2] >= 0xD800 &&
                s[s.size() - 2] <= 0xDBFF;
    s.erase(s.size() - (pair ? 2 : 1));
}

// The pane being created and not yet bound to its window: createPane still owns it.
Pane* g_unboundPane = nullptr;

LRESULT CALLBACK paneProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* pane = reinterpret_cast<Pane*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        // From here on the window owns the pane and deletes it at WM_NCDESTROY.
        pane = static_cast<Pane*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pane));
        g_unboundPane = nullptr;
    }
    if (!pane) return DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = pane->handle(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete pane;
    }
    return result;
}

}  // namespace

void registerPaneClass(HINSTANCE instance) {
    static const std::wstring className = wide(kWindowClass);
    WNDCLASSEXW cls{sizeof cls};
    cls.style = CS_DBLCLKS;
    cls.lpfnWndProc = paneProcedure;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    cls.lpszClassName = className.c_str();
    RegisterClassExW(&cls);
}

HWND createPane(Pane* pane, const std::wstring& title, DWORD style, DWORD exStyle, int x, int y, int width, int height) {
    static const std::wstring className = wide(kWindowClass);
    g_unboundPane = pane;
    HWND window = CreateWindowExW(exStyle, className.c_str(), title.c_str(), style, x, y, width, height, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), pane);
    if (g_unboundPane == pane) delete pane;  // creation failed before the window took it
    g_unboundPane = nullptr;
    return window;
}

HFONT uiFont() {
    static HFONT font = [] {
        for (const wchar_t* face : {L"宋体", L"SimSun", L"WenQuanYi Micro Hei", L"WenQuanYi Zen Hei", L"Droid Sans Fallback"}) {
            HFONT f = CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
            HDC dc = GetDC(nullptr);
            HGDIOBJ old = SelectObject(dc, f);
            wchar_t chosen[LF_FACESIZE] = {};
            GetTextFaceW(dc, LF_FACESIZE, chosen);
            SelectObject(dc, old);
            ReleaseDC(nullptr, dc);
            if (lstrcmpiW(chosen, face) == 0) return f;
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

void text(HDC dc, int x, int y, std::wstring_view s, COLORREF colour) {
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, s.data(), static_cast<int>(s.size()));
}

void button(HDC dc, RECT r, const wchar_t* caption, bool primary) {
    fill(dc, r, primary ? RGB(30, 144, 255) : RGB(235, 235, 235));
    frame(dc, r, RGB(150, 150, 150));
    SetTextColor(dc, primary ? RGB(255, 255, 255) : RGB(40, 40, 40));
    DrawTextW(dc, caption, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

bool inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

void typeInto(std::wstring& s, WPARAM character) {
    if (character == '\b') {
        eraseLastCharacter(s);
    } else if (character >= 0x20) {
        s += static_cast<wchar_t>(character);
    }
}

std::wstring oneLine(std::wstring_view s) {
    std::wstring out;
    for (wchar_t c : s) {
        switch (c) {
        case '\r': out += L"\\r"; break;
        case '\n': out += L"\\n"; break;
        case '\t': out += L"\\t"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace standin
