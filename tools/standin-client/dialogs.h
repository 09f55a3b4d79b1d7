// The two dialogs the member's menu opens, centred over the room window with the
// keyboard focus: the ban prompt and the name-card editor.
#pragma once

namespace standin {

// "提示": confirms a ban of member N, with a box that bans the IP address as well.
void openBanPrompt(int member);

// "修改房间名片": edits member N's name card.
void openNameCardEditor(int member);

}  // namespace standin
