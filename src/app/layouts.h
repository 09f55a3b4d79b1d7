// The main window's layout table and its menu; the dialogs' tables live with
// the library and the update.
#pragma once

#include "win/window.h"

namespace vostrel {

extern const WindowLayout kMainWindowLayout;

struct MenuItemLayout {
    const char* menu;     // the drop-down menu it belongs to
    const char* caption;
    Handler handler;
};

// Menu bar items, in order; command id = kFirstMenuId + row.
constexpr int kFirstMenuId = 100;
extern const MenuItemLayout kMainMenuLayout[7];

// "场控文本编辑器", also the pop-up menu of the text list.
constexpr char kTextMenuCaption[] = "场控文本编辑器";

}  // namespace vostrel
