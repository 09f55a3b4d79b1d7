// The member's pop-up menu and its roles submenu, walked by the tool with keys
// and clicks.
#pragma once

namespace standin {

// Opens member N's menu at the pointer with the keyboard focus, in place of any
// menu still open, and logs "menu m<N> list|chat".
void openMemberMenu(int member, bool fromChat);

}  // namespace standin
