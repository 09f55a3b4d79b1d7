// Queries over the desktop's top-level windows.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace vostrel {

struct WindowInfo {
    HWND window = nullptr;
    DWORD processId = 0;
    DWORD threadId = 0;
    std::string title;      // at most 255 bytes
    std::string className;  // at most 49 bytes
};

// Replaces the list's content with every visible top-level window, in EnumWindows
// order, and returns how many there are.
int enumerateVisibleWindows(std::vector<WindowInfo>& list);

// The first visible top-level window of the process, or 0.
HWND firstWindowOfProcess(DWORD processId);

std::string windowTitle(HWND window);
std::string windowClassName(HWND window);

// Moves and sizes a window; what the caller leaves out (nullopt) is taken from
// the window's current rectangle. Note the order: top before left, height before width.
BOOL resizeWindow(HWND window, std::optional<int> top = std::nullopt, std::optional<int> left = std::nullopt,
                  std::optional<int> height = std::nullopt, std::optional<int> width = std::nullopt);

}  // namespace vostrel
