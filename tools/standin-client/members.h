// The room's members: their names, roles, flags and name cards. The room window
// shows them; the menu and the dialogs change them. They live here and nowhere else.
#pragma once

#include <string>

namespace standin {

struct Member {
    const wchar_t* name;
    bool guest = false;
    bool member = false;
    bool noTyping = false;
    bool noPictures = false;
    bool banned = false;
    std::wstring card;
};

// Member N, 1-based up to kMemberCount.
Member& roomMember(int member);

// The name card once one is saved, the name before.
std::wstring displayName(int member);

}  // namespace standin
