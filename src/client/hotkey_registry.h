// System-wide hotkeys bound to routines of the tool. Every key is registered on a
// window together with an identifier text; the first successful registration
// subclasses that window so that its hotkey messages run the bound routines.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vostrel {

using HotkeyAction = void (*)();

// One successful registration. Rows are never removed during a run.
struct HotkeyEntry {
    HWND window = nullptr;
    std::string identifierText;  // stored untrimmed
    HotkeyAction action = nullptr;
};

// What the registry keeps for the whole run; written only here. One
// user-interface thread reads and writes it; no locks.
struct HotkeyState {
    std::vector<HotkeyEntry> hotkeyTable;       // only grows during a run
    WNDPROC previousWindowProcedure = nullptr;  // replaced by the first registration's subclassing
};

// Created on first use, so tests that link the registry without the program's
// start-up still have a table to work on.
HotkeyState& hotkeyState();

// Part of the exit clean-up: releases the table. The hotkeys stay registered (the
// system drops them with the window).
void releaseHotkeyState();

// Registers key (with the MOD_* flags in modifiers) on the window and binds it to
// the action under the identifier text; earlier bindings of the same text are
// released first. window nullptr: the tool's own first visible top-level window.
// A blank identifier text (only ASCII and full-width spaces) is refused with a
// reminder box. False when the system refuses the key.
bool 窗口_热键注册(HWND window, UINT modifiers, UINT key, HotkeyAction action, const std::string& identifierText);

// UnregisterHotKey for the identifier text's id; the table keeps its rows.
bool unregisterWindowHotkey(HWND window, const std::string& identifierText);

// Installed on the first registered window: WM_HOTKEY runs the bound action, every
// other message goes on to the procedure it replaced.
LRESULT CALLBACK hotkeyWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// 1-based position of the first row whose identifier text equals the text byte for
// byte; 0 if none.
int findEntryByIdentifier(const std::string& identifierText);

// showMessage(text, title, flags, owner); returns the pressed button's id minus 1.
// owner nullptr: the tool's own first visible top-level window.
int showReminder(const std::string& text, UINT flags = MB_OK, const char* title = "友情提醒", HWND owner = nullptr);

// The hotkey id that stands for the identifier text for the whole run (ids start at 1).
int hotkeyIdOf(const std::string& identifierText);

}  // namespace vostrel
