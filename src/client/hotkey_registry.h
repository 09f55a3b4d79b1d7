// System-wide hotkeys bound to routines of the tool.
#pragma once

#include <windows.h>

#include <string>

namespace vostrel {

using HotkeyAction = void (*)();

// One successful registration. Rows are never removed during a run.
struct HotkeyEntry {
    HWND window = nullptr;
    std::string identifierText;  // stored untrimmed
    HotkeyAction action = nullptr;
};

}  // namespace vostrel
