#include "update/update_window.h"

#include "update/update_download.h"
#include "win/message_loop.h"

namespace vostrel {
namespace {

using T = ControlType;

constexpr UINT_PTR kClockTimerId = 1;

Window* g_update = nullptr;

// name, type, parent, x, y, width, height, caption, style, event, right button
const ControlLayout kUpdateControls[] = {
    {"进度条", T::ProgressBar, nullptr, 2, 4, 238, 13, "", 0, nullptr, nullptr},
    {"下载进度", T::Label, nullptr, 6, 23, 195, 16, "正在连接服务器....", 0, nullptr, nullptr},
    {"下载速度", T::Label, nullptr, 6, 36, 232, 16, "下载速度:", 0, nullptr, nullptr},
    {"已经下载", T::Label, nullptr, 6, 50, 232, 16, "已经下载:", 0, nullptr, nullptr},
    {"已用时间", T::Label, nullptr, 6, 63, 232, 16, "已用时间:", 0, nullptr, nullptr},
    {"剩余时间", T::Label, nullptr, 6, 78, 232, 16, "剩余时间:", 0, nullptr, nullptr},
    // Below the bottom edge: never seen, but its caption and state show the download's start.
    {"按钮1", T::Button, nullptr, 3, 175, 104, 24, "在线下载更新", 0, downloadAgain, nullptr},
};

// Fixed border, title bar with system menu, close and minimize boxes.
constexpr DWORD kUpdateFrame = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_MINIMIZEBOX;

}  // namespace

const WindowLayout kUpdateWindowLayout{"在线更新中请稍后", 248, 128, kUpdateFrame, kUpdateControls};

UpdateWindow::UpdateWindow() : Window(kUpdateWindowLayout) {}

void UpdateWindow::setClockInterval(UINT milliseconds) {
    if (!handle()) return;
    if (milliseconds == 0) {
        KillTimer(handle(), kClockTimerId);
    } else {
        SetTimer(handle(), kClockTimerId, milliseconds, nullptr);
    }
}

LRESULT UpdateWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_TIMER && wParam == kClockTimerId) {
        showDownloadProgress();
        return 0;
    }
    return Window::handleMessage(message, wParam, lParam);
}

UpdateWindow* updateWindow() { return static_cast<UpdateWindow*>(g_update); }

void openUpdateWindow() {
    // Not owned by the main window: the update window closes the main window and
    // must live on after it.
    UpdateWindow dialog;
    runModal(dialog, g_update, nullptr, onUpdateWindowCreated);
}

}  // namespace vostrel
