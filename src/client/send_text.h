// Sending a room-control text into the captured client's chat, from outside:
// a click posted onto the chat input, the text on the clipboard, the focus given
// to the client window, select-all and paste posted to it, then Enter.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vostrel {

namespace send {
constexpr char kNoClientMessage[] = "您还没有抓取客户端信息\r\n选择左上方[客户端抓取选择]-[抓取客户端]";
constexpr char kTitle[] = "温馨提示:";  // both messages
constexpr char kClipboardBusyMessage[] = "剪贴板正被其他程序占用,文本没有发出\r\n请稍后再双击发送";
}  // namespace send

// Double-click on the text list: send the selected body into the captured client's chat.
void sendSelectedText();

// The click, the clipboard, the paste and Enter for one text. False, with nothing
// posted to the client, when the clipboard could not be written.
bool sendTextToClient(HWND client, const std::string& text);

// Puts the text into the window through the clipboard (the focused control of
// the foreground window when window is 0); the clipboard keeps the text. False,
// with nothing posted, when the text could not be placed on the clipboard.
bool pasteTextIntoWindow(HWND window, const std::string& text);

HWND focusedWindowOfForeground();
bool focusWindowAcrossThreads(HWND window);

// mode 1: WM_CHAR alone; 3: key-down only; 4: key-up only; any other: both.
// system: WM_SYSKEYDOWN / WM_SYSKEYUP instead of WM_KEYDOWN / WM_KEYUP.
void postKeyToWindow(HWND window, UINT key, int mode = 0, bool system = false);

// The GBK text as CF_UNICODETEXT (converted with code page 936), and as CF_TEXT
// in GBK marked Chinese (PRC) by CF_LOCALE: a reader of either format gets the
// same characters, whatever the system's code page or the active keyboard
// layout. The clipboard is opened by no window and retried briefly while another
// program holds it.
bool writeClipboardText(const std::string& text);
// The clipboard's Unicode text in GBK. Nothing when the clipboard could not be
// opened; an empty text when it holds no text.
std::optional<std::string> readClipboardText();

}  // namespace vostrel
