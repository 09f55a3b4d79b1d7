// Imitating a user in front of the client. Two kinds of input, not to be confused:
// real input (clickAtCursor, pressKey) goes through the system's input stream to
// whatever is under the pointer or has the focus; posted input (postClientClick,
// postTextAsChars) is queued straight into one given window, in its client
// coordinates, without moving the pointer or the focus.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vostrel {

POINT cursorPosition();
HWND windowUnderCursor();

// button 1 (or 0): left click; 2: right click; 3: left press without release.
// Where the pointer already is; the pointer does not move.
void clickAtCursor(int button = 1);

// mode 0: press and release; 1: press only; 2: release only.
void pressKey(BYTE key, int mode = 0);

// FindWindowExW with the Unicode of the GBK class and title: the client's windows
// are found by their true titles on any Windows. nullptr arguments stand for
// omitted ones.
HWND findPopupWindow(HWND parent, HWND after, const char* className, const char* title);

// A left click posted at a client point of the window (the desktop window for 0).
void postClientClick(HWND window, int x = 2, int y = 2);

BOOL postWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// One WM_CHAR per UTF-16 unit, posted wide: the window gets the very characters
// (a character beyond the Basic Multilingual Plane as its two surrogates).
void postTextAsChars(HWND window, std::wstring_view text);

// Waits amount units (0 ms, 1 s, 2 min, 3 h) while handling this thread's
// messages, sleeping between them. Returns false at once when no timer can be made.
bool MessagePumpDelay(int amount, int unit = 0);

}  // namespace vostrel
