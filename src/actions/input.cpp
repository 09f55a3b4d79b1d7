#include "actions/input.h"

#include "win/gbk_wide.h"
#include "win/message_loop.h"
#include "win/unique_handle.h"

namespace vostrel {
namespace {

// What wakes MessagePumpDelay to handle messages: keys, the mouse, posted and
// sent messages, timers, painting and hotkeys (raw input does not).
constexpr DWORD kWakeMask =
    QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_SENDMESSAGE | QS_HOTKEY;
static_assert(kWakeMask == 0xFF);

}  // namespace

POINT cursorPosition() {
    POINT point{};
    GetCursorPos(&point);
    return point;
}

HWND windowUnderCursor() { return WindowFromPoint(cursorPosition()); }

void clickAtCursor(int button) {
    POINT at = cursorPosition();
    DWORD flags;
    switch (button) {
    case 0:
    case 1: flags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP; break;
    case 2: flags = MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_RIGHTUP; break;
    case 3: flags = MOUSEEVENTF_LEFTDOWN; break;
    default: return;
    }
    // No move or absolute flag: dx and dy change nothing, the click lands where
    // the pointer is.
    mouse_event(flags, static_cast<DWORD>(at.x), static_cast<DWORD>(at.y), 0, 0);
}

void pressKey(BYTE key, int mode) {
    if (mode == 0 || mode == 1) keybd_event(key, 0, 0, 0);
    if (mode == 0 || mode == 2) keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
}

HWND findPopupWindow(HWND parent, HWND after, const char* className, const char* title) {
    std::wstring wideClass = className ? toWide(className) : std::wstring();
    std::wstring wideTitle = title ? toWide(title) : std::wstring();
    return FindWindowExW(parent, after, className ? wideClass.c_str() : nullptr, title ? wideTitle.c_str() : nullptr);
}

void postClientClick(HWND window, int x, int y) {
    if (!window) window = GetDesktopWindow();
    LPARAM point = MAKELPARAM(x, y);
    postWindowMessage(window, WM_MOUSEMOVE, 2, point);
    postWindowMessage(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    postWindowMessage(window, WM_LBUTTONUP, 0, point);
}

BOOL postWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return PostMessageW(window, message, wParam, lParam);
}

void postTextAsChars(HWND window, std::wstring_view text) {
    for (wchar_t unit : text) postWindowMessage(window, WM_CHAR, unit, 0);
}

bool MessagePumpDelay(int amount, int unit) {
    static const double kMillisecondsPerUnit[] = {1, 1000, 60000, 3600000};
    double perUnit = (unit >= 0 && unit <= 3) ? kMillisecondsPerUnit[unit] : 1;
    // Negative: relative to now, in 100 ns intervals.
    LARGE_INTEGER due;
    due.QuadPart = static_cast<LONGLONG>(amount * perUnit * -10000.0);

    UniqueHandle timer(CreateWaitableTimerW(nullptr, FALSE, nullptr));
    if (!timer || !SetWaitableTimer(timer.get(), &due, 0, nullptr, nullptr, FALSE)) return false;

    const HANDLE handles[] = {timer.get()};
    for (;;) {
        DWORD woke = MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, kWakeMask);
        if (woke == WAIT_OBJECT_0) break;
        if (woke == WAIT_FAILED) return false;
        processPendingMessages();
    }
    return true;
}

}  // namespace vostrel
