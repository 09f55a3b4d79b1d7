// What the tool relies on in the voice-chat client. The client is driven only
// from outside, so these windows, titles, sizes and points are the whole contract;
// they fit one version of its menus and dialogs.
#pragma once

#include <windows.h>

namespace vostrel::client {

// Every window of the client is a top-level window of this class, told apart by title.
constexpr char kWindowClass[] = "TXGuiFoundation";
constexpr char kMenuTitle[] = "TXMenuWindow";           // a member's pop-up menu
constexpr char kBanPromptTitle[] = "提示";               // confirmation of a ban
constexpr char kNameCardTitle[] = "修改房间名片";         // the room name-card editor

// The room window is given this outer size at capture; the chat input then sits
// at this client point.
constexpr int kRoomWidth = 802;
constexpr int kRoomHeight = 582;
constexpr int kChatInputX = 412;
constexpr int kChatInputY = 525;

// The client's menu and dialogs need this long to appear (ms).
constexpr int kMenuWait = 200;
constexpr int kDialogWait = 300;
constexpr int kTypingWait = 100;

// Points inside the member's menu window (client coordinates).
constexpr int kNoTypingX = 83, kNoTypingY = 134;
constexpr int kNoPicturesX = 83, kNoPicturesY = 162;
constexpr int kBanX = 74, kBanY = 191;
constexpr int kNameCardX = 48, kNameCardY = 212;
// Points inside the ban confirmation.
constexpr int kBanIpTickX = 200, kBanIpTickY = 149;
constexpr int kBanConfirmX = 295, kBanConfirmY = 212;
// Points inside the name-card editor.
constexpr int kNameCardInputX = 134, kNameCardInputY = 99;
constexpr int kNameCardSaveX = 198, kNameCardSaveY = 177;

// Virtual-key codes of the key walks through the menu.
constexpr unsigned char kKeyEnter = VK_RETURN;
constexpr unsigned char kKeyUp = VK_UP;
constexpr unsigned char kKeyRight = VK_RIGHT;

}  // namespace vostrel::client
