#include "win/input_box.h"

#include "win/gbk_wide.h"
#include "win/window.h"

#include <windows.h>

namespace vostrel {
namespace {

struct InputBoxState {
    const std::string* prompt;
    const std::string* title;
    const std::string* initialText;
    std::wstring entered;
};

// Client-area layout in pixels: the prompt with the buttons on its right, the
// line of input across the bottom.
constexpr int kClientWidth = 360, kClientHeight = 116;
constexpr RECT kPromptRect{10, 10, 270, 74};
constexpr RECT kOkRect{280, 10, 350, 34};
constexpr RECT kCancelRect{280, 42, 350, 66};
constexpr RECT kEditRect{10, 84, 350, 106};

HWND addControl(HWND dialog, DWORD exStyle, const wchar_t* className, const std::string& caption, DWORD style,
                const RECT& r, int id) {
    HWND c = CreateWindowExW(exStyle, className, toWide(caption).c_str(), WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, dialog,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(controlFont()), FALSE);
    return c;
}

void layOut(HWND dialog, const InputBoxState& state) {
    SetWindowTextW(dialog, toWide(*state.title).c_str());
    addControl(dialog, 0, L"STATIC", *state.prompt, SS_LEFT, kPromptRect, kInputBoxPromptId);
    addControl(dialog, 0, L"BUTTON", "确定", BS_DEFPUSHBUTTON | WS_TABSTOP, kOkRect, IDOK);
    addControl(dialog, 0, L"BUTTON", "取消", BS_PUSHBUTTON | WS_TABSTOP, kCancelRect, IDCANCEL);
    HWND edit = addControl(dialog, WS_EX_CLIENTEDGE, L"EDIT", *state.initialText,
                           ES_AUTOHSCROLL | WS_TABSTOP, kEditRect, kInputBoxEditId);

    RECT outer{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE)));
    int width = outer.right - outer.left, height = outer.bottom - outer.top;
    SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

INT_PTR CALLBACK inputBoxProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        layOut(dialog, *reinterpret_cast<InputBoxState*>(lParam));
        return FALSE;  // the focus is set
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id == IDOK) {
            auto* state = reinterpret_cast<InputBoxState*>(GetWindowLongPtrW(dialog, DWLP_USER));
            state->entered = wideWindowText(GetDlgItem(dialog, kInputBoxEditId));
        }
        if (id == IDOK || id == IDCANCEL) {
            EndDialog(dialog, id);
            return TRUE;
        }
        return FALSE;
    }
    }
    return FALSE;
}

// A dialog template with no controls and no font: the box makes its own
// controls in pixels, like the tool's other windows.
struct alignas(4) EmptyDialogTemplate {
    DLGTEMPLATE head;
    WORD menu = 0, windowClass = 0, title = 0;
};

}  // namespace

int showMessage(const std::string& text, const std::string& title, UINT flags, HWND owner) {
    return MessageBoxW(owner, toWide(text).c_str(), toWide(title).c_str(), flags);
}

std::optional<std::wstring> inputBox(const std::string& prompt, const std::string& title,
                                    const std::string& initialText) {
    EmptyDialogTemplate dialog{};
    dialog.head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    InputBoxState state{&prompt, &title, &initialText, {}};
    INT_PTR pressed = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &dialog.head, mainWindow().handle(),
                                              inputBoxProcedure, reinterpret_cast<LPARAM>(&state));
    if (pressed != IDOK) return std::nullopt;
    return state.entered;
}

}  // namespace vostrel
