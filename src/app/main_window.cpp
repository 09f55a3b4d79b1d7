#include "app/main_window.h"

#include "app/exit_cleanup.h"
#include "app/layouts.h"
#include "library/text_library.h"
#include "update/update_check.h"
#include "update/update_download.h"
#include "win/gbk_wide.h"
#include "win/message_loop.h"

#include <shellapi.h>

#include <cstring>

namespace vostrel {
namespace {

// HeapCompatibilityInformation's value for the low-fragmentation heap.
constexpr ULONG kLowFragmentationHeap = 2;

}  // namespace

MainWindow::MainWindow() : Window(kMainWindowLayout) { setMainWindow(this); }

bool MainWindow::create() {
    menuBar_ = CreateMenu();
    HMENU popup = nullptr;
    const char* current = nullptr;
    for (size_t i = 0; i < std::size(kMainMenuLayout); ++i) {
        const MenuItemLayout& item = kMainMenuLayout[i];
        if (!current || std::strcmp(current, item.menu) != 0) {
            popup = CreatePopupMenu();
            AppendMenuW(menuBar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), toWide(item.menu).c_str());
            current = item.menu;
        }
        AppendMenuW(popup, MF_STRING, kFirstMenuId + i, toWide(item.caption).c_str());
    }
    return Window::create(nullptr, menuBar_);
}

void MainWindow::popUpTextMenu() {
    POINT pointer{};
    GetCursorPos(&pointer);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(handle());
    TrackPopupMenu(GetSubMenu(menuBar_, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, pointer.x, pointer.y, 0, handle(),
                   nullptr);
    PostMessageW(handle(), WM_NULL, 0, 0);
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_COMMAND && lParam == 0 && HIWORD(wParam) == 0) {
        int row = LOWORD(wParam) - kFirstMenuId;
        if (row >= 0 && row < static_cast<int>(std::size(kMainMenuLayout))) {
            kMainMenuLayout[row].handler();
            return 0;
        }
    }
    return Window::handleMessage(message, wParam, lParam);
}

MainWindow& applicationWindow() {
    // Never destroyed: it must outlive every handler, including the exit clean-up.
    static MainWindow* window = new MainWindow();
    return *window;
}

void showTextMenu() { applicationWindow().popUpTextMenu(); }

void onMainWindowCreated() {
    removeLeftoversOfEarlierUpdates();
    loadDefaultTextLibrary();
    checkForUpdate();
}

void openHomePage() {
    ShellExecuteW(nullptr, L"open", toWide(VOSTREL_HOME_URL).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

int runApplication() {
    // Windows gives a process the low-fragmentation heap by itself; Wine does not,
    // and there a library of 100,000 rows loaded after a large list was cleared
    // took seconds instead of a fraction of one. Asking for it costs nothing.
    ULONG lowFragmentation = kLowFragmentationHeap;
    HeapSetInformation(GetProcessHeap(), HeapCompatibilityInformation, &lowFragmentation, sizeof lowFragmentation);
    registerExitCleanup();
    MainWindow& window = applicationWindow();
    if (!window.create()) return 1;
    ShowWindow(window.handle(), SW_SHOW);
    ::UpdateWindow(window.handle());
    onMainWindowCreated();
    return runMessageLoop();
}

}  // namespace vostrel
