#include "actions/moderation.h"

#include "actions/client_constants.h"
#include "actions/input.h"
#include "win/window.h"

#include <string>

namespace vostrel {
namespace {

namespace c = client;

// The window the running action last looked up; written only here.
HWND g_sharedWindow = nullptr;

// Looks up one of the client's pop-up windows and keeps it in the shared variable
// (a nested action may overwrite it while this one waits).
HWND findClientWindow(const char* title) {
    g_sharedWindow = findPopupWindow(nullptr, nullptr, c::kWindowClass, title);
    return g_sharedWindow;
}

// Left click at the pointer, and a right click unless 选择框8 says the member is
// pointed at in the chat pane, where the left click alone opens the menu. Returns
// the menu window, 0 when the client opened none in time.
HWND openMemberMenu() {
    clickAtCursor(1);
    if (!mainWindow().isChecked("选择框8")) clickAtCursor(2);
    MessagePumpDelay(c::kMenuWait);
    return findClientWindow(c::kMenuTitle);
}

// Posted into whatever window the shared variable holds by now (a nested action
// may have replaced it). False, and nothing posted, when it holds no window: a
// click posted to 0 would go to the desktop window.
bool clickShared(int x, int y) {
    HWND window = g_sharedWindow;
    if (!window) return false;
    postClientClick(window, x, y);
    return true;
}

// The role walk: the menu's last entry opens the role submenu; Up from no
// selection lands on its last entry, so extraUps picks the one above it.
void walkRoleSubmenu(int extraUps) {
    HWND menu = openMemberMenu();
    mainWindow().setText("标签2", std::to_string(static_cast<long>(reinterpret_cast<LONG_PTR>(menu))));
    // The taps are real input: they go to whatever has the focus, which is only
    // the menu when there is one.
    if (!menu) return;
    pressKey(c::kKeyUp);
    pressKey(c::kKeyRight);
    pressKey(c::kKeyUp);
    for (int i = 0; i < extraUps; ++i) pressKey(c::kKeyUp);
    pressKey(c::kKeyEnter);
}

void clickMenuEntry(int x, int y) {
    if (openMemberMenu()) clickShared(x, y);
}

// A ban: the menu entry, then the confirmation "提示"; for the IP as well its box
// is ticked before the confirmation is clicked.
void ban(bool alsoIp) {
    if (!openMemberMenu() || !clickShared(c::kBanX, c::kBanY)) return;
    MessagePumpDelay(c::kDialogWait);
    if (!findClientWindow(c::kBanPromptTitle)) return;
    if (alsoIp && !clickShared(c::kBanIpTickX, c::kBanIpTickY)) return;
    clickShared(c::kBanConfirmX, c::kBanConfirmY);
}

}  // namespace

void toggleGuest() { walkRoleSubmenu(0); }
void toggleMember() { walkRoleSubmenu(1); }
void toggleNoTyping() { clickMenuEntry(c::kNoTypingX, c::kNoTypingY); }
void toggleNoPictures() { clickMenuEntry(c::kNoPicturesX, c::kNoPicturesY); }
void banById() { ban(false); }
void banByIp() { ban(true); }

void setNameCard() {
    if (!openMemberMenu() || !clickShared(c::kNameCardX, c::kNameCardY)) return;
    MessagePumpDelay(c::kDialogWait);
    if (!findClientWindow(c::kNameCardTitle)) return;
    MessagePumpDelay(c::kDialogWait);
    if (!clickShared(c::kNameCardInputX, c::kNameCardInputY)) return;
    MessagePumpDelay(c::kTypingWait);
    HWND editor = g_sharedWindow;
    if (!editor) return;
    // As typed, not through GBK: the client is a Unicode program.
    postTextAsChars(editor, wideWindowText(mainWindow().control("马甲格式")));
    MessagePumpDelay(c::kTypingWait);
    clickShared(c::kNameCardSaveX, c::kNameCardSaveY);
}

}  // namespace vostrel
