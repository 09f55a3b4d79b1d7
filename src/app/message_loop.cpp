#include "app/message_loop.h"

#include "app/window.h"

namespace vostrel {

void dispatchMessage(MSG& message) {
    if (handleDialogKeys(message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

int runMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) dispatchMessage(message);
    return static_cast<int>(message.wParam);
}

void processPendingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message != WM_QUIT) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) break;
        dispatchMessage(message);
    }
}

}  // namespace vostrel
