// Capturing the client window: the menu item arms F10, and F10 takes the top-level
// window under the pointer as the client target and fixes its size.
#pragma once

#include <windows.h>

namespace vostrel {

// Menu item "抓取指定客户端": the instruction, then F10 armed.
void beginCapture();
// The captured client window, 0 until F10; what the text is sent to.
HWND clientTarget();

// F10: the top-level window under the pointer becomes the client target.
void captureClient();

}  // namespace vostrel
