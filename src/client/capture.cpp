#include "client/capture.h"

#include "actions/client_constants.h"
#include "actions/input.h"
#include "client/hotkey_registry.h"
#include "client/hotkey_switches.h"
#include "client/window_queries.h"
#include "win/input_box.h"
#include "win/window.h"

namespace vostrel {
namespace {

constexpr char kCaptureText[] = "抓取";
constexpr char kNoticeTitle[] = "温馨提示：";

HWND g_clientTarget = nullptr;

void notify(const std::string& text) { showMessage(text, kNoticeTitle); }

}  // namespace

HWND clientTarget() { return g_clientTarget; }

// Armed only once the instruction has been answered: F10 pressed while the box is
// up would run the capture inside the box's loop and take the box. A taken F10 is
// reported then. Choosing the item again while armed releases the earlier binding
// and registers F10 once more.
void beginCapture() {
    notify("在要使用快捷键的QT客户端按下F10");
    if (!窗口_热键注册(mainWindow().handle(), 0, VK_F10, captureClient, kCaptureText)) {
        notify(keyTakenMessage("F10"));
    }
}

// The top-level window under the pointer: over a child control (the client's chat
// input, the tool's own list) the control's frame is what gets the room's size.
void captureClient() {
    HWND under = windowUnderCursor();
    HWND target = under ? GetAncestor(under, GA_ROOT) : nullptr;
    g_clientTarget = target;
    resizeWindow(target, std::nullopt, std::nullopt, client::kRoomHeight, client::kRoomWidth);
    unregisterWindowHotkey(mainWindow().handle(), kCaptureText);
    notify("客户端窗口大小已经调整请勿在做改变");
}

}  // namespace vostrel
