// The room window: the member list, the chat pane with the greetings, the chat
// input and the send button.
#pragma once

#include <windows.h>

namespace standin {

// Opens the room window, shows it and logs "ready <handle>"; nullptr when it
// cannot be created. Closing it ends the message loop.
HWND openRoomWindow(int show);

HWND roomWindow();

// Shows the members' state anew after the menu or a dialog changed it.
void refreshRoom();

}  // namespace standin
