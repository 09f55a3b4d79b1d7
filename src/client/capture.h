// Capturing the client window: the menu item arms F10, and F10 takes the window
// under the pointer as the client target and fixes its size.
#pragma once

namespace vostrel {

// Menu item "抓取指定客户端": arm F10.
void beginCapture();
// F10: the window under the pointer becomes the client target.
void captureClient();

}  // namespace vostrel
