#include "chat_input.h"

#include "pane.h"
#include "standin_log.h"

#include <optional>
#include <utility>

namespace standin {
namespace {

// One attempt, as a standard edit control makes: while someone else holds the
// clipboard the paste gets nothing, and the input keeps what it had. Unicode, as
// the real client reads it: a text put there as CF_TEXT alone arrives converted
// with the code page of the keyboard layout it was put there under.
std::optional<std::wstring> clipboardText(HWND owner) {
    if (!OpenClipboard(owner)) return std::nullopt;
    std::wstring result;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            result = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return result;
}

}  // namespace

RECT ChatInput::area(RECT client) { return {kChatLeft, client.bottom - 64, client.right - 88, client.bottom - 12}; }

void ChatInput::click(HWND room, int x, int y) {
    RECT client;
    GetClientRect(room, &client);
    focused_ = inside(area(client), x, y);
    if (focused_ && GetFocus() != room) SetFocus(room);
}

void ChatInput::select(WPARAM start, LPARAM end) {
    if (focused_) allSelected_ = start == 0 && static_cast<int>(end) == -1;
}

void ChatInput::paste(HWND room) {
    if (!focused_) return;
    if (std::optional<std::wstring> pasted = clipboardText(room)) {
        text_ = allSelected_ ? *pasted : text_ + *pasted;
        allSelected_ = false;
    }
    InvalidateRect(room, nullptr, FALSE);
}

void ChatInput::type(HWND room, WPARAM character) {
    if (!focused_ || character == '\r' || character == '\n') return;
    if (allSelected_) text_.clear();
    allSelected_ = false;
    typeInto(text_, character);
    InvalidateRect(room, nullptr, FALSE);
}

std::wstring ChatInput::take() {
    if (text_.empty()) return {};
    allSelected_ = false;
    return std::exchange(text_, {});
}

void ChatInput::draw(HDC dc, RECT client) const {
    RECT input = area(client);
    fill(dc, input, RGB(255, 255, 255));
    frame(dc, input, focused_ ? RGB(30, 144, 255) : RGB(180, 180, 180));
    if (text_.empty() && !focused_) {
        text(dc, input.left + 6, input.top + 6, L"在这里输入聊天内容，回车发送", RGB(170, 170, 170));
    } else {
        text(dc, input.left + 6, input.top + 6, oneLine(text_) + (focused_ ? L"|" : L""));
    }
}

}  // namespace standin
