#include "client/window_queries.h"

#include "win/gbk_wide.h"

#include <cmath>

namespace vostrel {
namespace {

// The enumeration's gathering list, empty between calls.
std::vector<WindowInfo> g_windowList;

// Buffers are prefilled with spaces: a call that writes nothing yields them.
// Read wide and given in GBK: another program's title reads the same on any Windows.
std::string readIntoSpaces(HWND window, int capacity, int (WINAPI* read)(HWND, LPWSTR, int)) {
    std::wstring buffer(static_cast<size_t>(capacity), L' ');
    buffer.push_back(L'\0');
    read(window, buffer.data(), capacity);
    return toGbk(buffer.c_str());
}

BOOL CALLBACK gatherVisibleWindow(HWND window, LPARAM) {
    if (IsWindowVisible(window)) {
        WindowInfo info;
        info.window = window;
        info.threadId = GetWindowThreadProcessId(window, &info.processId);
        info.title = windowTitle(window);
        info.className = windowClassName(window);
        g_windowList.push_back(std::move(info));
    }
    return TRUE;
}

}  // namespace

std::string windowTitle(HWND window) { return readIntoSpaces(window, 256, GetWindowTextW); }

std::string windowClassName(HWND window) { return readIntoSpaces(window, 50, GetClassNameW); }

int enumerateVisibleWindows(std::vector<WindowInfo>& list) {
    std::vector<WindowInfo>& gathering = g_windowList;
    gathering.clear();
    EnumWindows(gatherVisibleWindow, 0);
    list = std::move(gathering);
    gathering.clear();
    return static_cast<int>(list.size());
}

HWND firstWindowOfProcess(DWORD processId) {
    std::vector<WindowInfo> windows;
    enumerateVisibleWindows(windows);
    for (const WindowInfo& info : windows) {
        if (info.processId == processId) return info.window;
    }
    return nullptr;
}

BOOL resizeWindow(HWND window, std::optional<int> top, std::optional<int> left, std::optional<int> height,
                  std::optional<int> width) {
    RECT rect{};
    GetWindowRect(window, &rect);
    int y = top.value_or(rect.top);
    int x = left.value_or(rect.left);
    int h = height.value_or(static_cast<int>(std::lround(double(rect.bottom) - double(rect.top))));
    int w = width.value_or(static_cast<int>(std::lround(double(rect.right) - double(rect.left))));
    return MoveWindow(window, x, y, w, h, TRUE);
}

}  // namespace vostrel
