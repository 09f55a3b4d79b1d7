#include "win/message_loop.h"

#include "win/window.h"

namespace vostrel {

void dispatchMessage(MSG& message) {
    if (handleDialogKeys(message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int runMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) dispatchMessage(message);
    return static_cast<int>(message.wParam);
}

void processPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message != WM_QUIT) {
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) break;
        dispatchMessage(message);
    }
}

void runModal(Window& dialog, Window*& current, HWND creationOwner, Handler created) {
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
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
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

}  // namespace vostrel
