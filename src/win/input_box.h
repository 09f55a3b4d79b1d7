// The two small modal boxes the handlers ask the user through: a message with an
// OK button, and an input box of one line with OK and Cancel.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vostrel {

// The tool's one message box: MessageBoxW(owner, text, title, flags), returning
// the pressed button's id. By default OK only, no icon, no owner window, modal to
// the tool (every window of this thread is disabled until it is closed).
int showMessage(const std::string& text, const std::string& title, UINT flags = MB_OK | MB_TASKMODAL,
                HWND owner = nullptr);

// Control ids inside the input box, besides IDOK and IDCANCEL.
constexpr int kInputBoxPromptId = 100;
constexpr int kInputBoxEditId = 101;

// Created fresh each time, modal over the main window. The text entered on OK
// (possibly empty), or nothing on Cancel, Esc or the close box. The text comes
// as typed, not through GBK: a file name may hold any character.
std::optional<std::wstring> inputBox(const std::string& prompt, const std::string& title,
                                    const std::string& initialText = "");

}  // namespace vostrel
