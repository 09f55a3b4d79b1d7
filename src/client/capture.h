#pragma once

namespace vostrel {

// Menu item "抓取指定客户端": arm F10.
void beginCapture();
// F10: the window under the pointer becomes the client target.
void captureClient();

}  // namespace vostrel
