#include "app/windows.h"

#include "app/application_state.h"
#include "app/layouts.h"
#include "app/message_loop.h"
#include "library/text_editing.h"
#include "library/text_library.h"
#include "update/update_check.h"
#include "update/update_download.h"

#include <shellapi.h>

#include <cstring>

namespace vostrel {
namespace {

constexpr UINT_PTR kClockTimerId = 1;

Window* g_textEditor = nullptr;
Window* g_textModifier = nullptr;
UpdateWindow* g_update = nullptr;

// Runs a dialog modal over the main window: the main window is disabled while the
// dialog is open, and this returns once the dialog has been destroyed. A WM_QUIT
// that arrives meanwhile ends the dialog's loop and is passed on to the main loop.
template <typename Dialog>
void runModal(Dialog& dialog, Dialog*& current, HWND creationOwner, Handler created) {
    if (!dialog.create(creationOwner)) return;
    HWND owner = mainWindow().handle();
    current = &dialog;
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(dialog.handle(), SW_SHOW);
    if (created) created();

    bool quit = false;
    WPARAM quitCode = 0;
    MSG message;
    while (dialog.handle()) {
        if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
            quit = true;
            quitCode = message.wParam;
            break;
        }
        dispatchMessage(message);
    }
    current = nullptr;
    if (owner && IsWindow(owner)) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

}  // namespace

MainWindow::MainWindow() : Window(kMainWindowLayout) {}

bool MainWindow::create() {
    menuBar_ = CreateMenu();
    HMENU popup = nullptr;
    const char* current = nullptr;
    for (size_t i = 0; i < std::size(kMainMenuLayout); ++i) {
        const MenuItemLayout& item = kMainMenuLayout[i];
        if (!current || std::strcmp(current, item.menu) != 0) {
            popup = CreatePopupMenu();
            AppendMenuA(menuBar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), item.menu);
            current = item.menu;
        }
        AppendMenuA(popup, MF_STRING, kFirstMenuId + i, item.caption);
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
    PostMessageA(handle(), WM_NULL, 0, 0);
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

MainWindow& mainWindow() {
    // Never destroyed: it must outlive every handler, including the exit clean-up.
    static MainWindow* window = new MainWindow();
    return *window;
}

Window* textEditorWindow() { return g_textEditor; }
Window* textModifierWindow() { return g_textModifier; }
UpdateWindow* updateWindow() { return g_update; }

void openTextEditorWindow() {
    Window dialog(kTextEditorWindowLayout);
    runModal(dialog, g_textEditor, mainWindow().handle(), nullptr);
}

void openTextModifierWindow() {
    Window dialog(kTextModifierWindowLayout);
    runModal(dialog, g_textModifier, mainWindow().handle(), fillTextModifier);
}

void openUpdateWindow() {
    // Not owned by the main window: the update window closes the main window and
    // must live on after it.
    UpdateWindow dialog;
    runModal(dialog, g_update, nullptr, onUpdateWindowCreated);
}

void onMainWindowCreated() {
    loadDefaultTextLibrary();
    checkForUpdate();
}

void openHomePage() {
    ShellExecuteA(nullptr, "open", VOSTREL_HOME_URL, nullptr, nullptr, SW_SHOWNORMAL);
}

int runApplication() {
    // Windows gives a process the low-fragmentation heap by itself; Wine does not,
    // and there a library of 100,000 rows loaded after a large list was cleared
    // took seconds instead of a fraction of one. Asking for it costs nothing.
    ULONG lowFragmentation = 2;
    HeapSetInformation(GetProcessHeap(), HeapCompatibilityInformation, &lowFragmentation, sizeof lowFragmentation);
    initialiseApplicationState();
    MainWindow& window = mainWindow();
    if (!window.create()) return 1;
    ShowWindow(window.handle(), SW_SHOW);
    ::UpdateWindow(window.handle());
    onMainWindowCreated();
    return runMessageLoop();
}

}  // namespace vostrel
