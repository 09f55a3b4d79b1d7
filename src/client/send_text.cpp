#include "client/send_text.h"

#include "actions/client_constants.h"
#include "actions/input.h"
#include "client/capture.h"
#include "library/text_list.h"
#include "win/gbk_wide.h"
#include "win/input_box.h"
#include "win/unique_handle.h"

#include <cstring>

namespace vostrel {

void sendSelectedText() {
    HWND client = clientTarget();
    if (!client || !IsWindow(client)) {
        // Everything after this addresses the client; without one the click
        // would go to the desktop and Enter to the tool itself. A client that has
        // closed since its capture is none either: the user must capture again.
        showMessage(send::kNoClientMessage, send::kTitle);
        return;
    }
    HWND list = textList();
    int row = selectedRow(list);
    std::string text = row >= 0 ? cellText(list, row, 1) : std::string();
    if (!sendTextToClient(client, text)) showMessage(send::kClipboardBusyMessage, send::kTitle);
}

namespace {

// Every change of the clipboard wakes the programs that watch it (clipboard
// history, input methods, translators), and each opens it to copy the text; a
// standard edit control opens it once for a paste and pastes nothing while
// another holds it. So the paste is posted once the clipboard has stayed free
// for a moment after the change, or after a short wait at most.
constexpr int kClipboardQuietMs = 40;
constexpr int kClipboardSettleMaxMs = 400;
constexpr int kClipboardProbeMs = 5;

// How long in all the client may take to answer while a text is on its way to
// it; one that takes longer is left to itself (hung, or closing).
constexpr UINT kClientAnswerMs = 1000;

// A pause that answers what other programs send to the tool but takes nothing
// from its queue: the user's next double-click waits there until this text is on
// its way, so one send never starts inside another and overwrites its text.
void pauseTakingOnlySentMessages(int ms) {
    DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < static_cast<DWORD>(ms); elapsed = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms) - elapsed, QS_SENDMESSAGE);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void waitForClipboardWatchers() {
    DWORD start = GetTickCount();
    DWORD freeSince = start;
    while (GetTickCount() - start < static_cast<DWORD>(kClipboardSettleMaxMs)) {
        // Opening and closing without a change wakes no watcher.
        if (OpenClipboard(nullptr)) {
            CloseClipboard();
            if (GetTickCount() - freeSince >= static_cast<DWORD>(kClipboardQuietMs)) return;
        } else {
            freeSince = GetTickCount();
        }
        pauseTakingOnlySentMessages(kClipboardProbeMs);
    }
}

// Returns once the client answers again after the posts, so that the next text
// does not take this one's place on the clipboard while a client busy elsewhere
// (a stall in a busy channel) has not yet pasted. The client answers a message
// sent to it before it takes the next posted one, so one answer proves only that
// it is taking messages again; each further round lets it take more, as a rule
// one of the posted messages. One round more than messages were posted.
void waitForClientToTake(HWND client, int posted) {
    const DWORD start = GetTickCount();
    for (int round = 0; round <= posted; ++round) {
        DWORD elapsed = GetTickCount() - start;
        DWORD_PTR answer = 0;
        if (elapsed >= kClientAnswerMs ||
            !SendMessageTimeoutW(client, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kClientAnswerMs - elapsed, &answer)) {
            return;
        }
    }
}

// Select-all and paste of what the clipboard holds, into the window given the
// focus (the focused control of the foreground window for 0).
void pasteClipboardInto(HWND window) {
    if (window) {
        focusWindowAcrossThreads(window);
    } else {
        window = focusedWindowOfForeground();
    }
    waitForClipboardWatchers();
    PostMessageW(window, EM_SETSEL, 0, -1);
    PostMessageW(window, WM_PASTE, 0, 0);
    // The clipboard is left holding the text, not given back its earlier content.
    // The other thread handles the posted paste at a moment we cannot know (a sent
    // message would be handled before it, so none can mark it), and a standard edit
    // control opens the clipboard once and pastes nothing while we hold it.
}

}  // namespace

bool sendTextToClient(HWND client, const std::string& text) {
    // The clipboard first, and once: if it cannot take the text, the client would
    // paste whatever it held before, so nothing at all is posted.
    if (!writeClipboardText(text)) return false;
    postClientClick(client, client::kChatInputX, client::kChatInputY);
    pasteClipboardInto(client);
    postKeyToWindow(client, client::kKeyEnter);
    // The pointer move, the two buttons, select-all, paste, the key down and up.
    waitForClientToTake(client, 7);
    return true;
}

bool pasteTextIntoWindow(HWND window, const std::string& text) {
    if (!writeClipboardText(text)) return false;
    pasteClipboardInto(window);
    return true;
}

HWND focusedWindowOfForeground() {
    DWORD thread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    DWORD self = GetCurrentThreadId();
    AttachThreadInput(self, thread, TRUE);
    HWND focused = GetFocus();
    AttachThreadInput(self, thread, FALSE);
    return focused;
}

bool focusWindowAcrossThreads(HWND window) {
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    DWORD self = GetCurrentThreadId();
    AttachThreadInput(self, thread, TRUE);
    HWND previous = SetFocus(window);
    AttachThreadInput(self, thread, FALSE);
    return GetFocus() != previous;
}

void postKeyToWindow(HWND window, UINT key, int mode, bool system) {
    if (mode == 1) {
        PostMessageW(window, WM_CHAR, key, 0);
        return;
    }
    if (mode != 4) PostMessageW(window, system ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 0);
    if (mode != 3) PostMessageW(window, system ? WM_SYSKEYUP : WM_KEYUP, key, 0);
}

namespace {

// Chinese (PRC): the locale whose code page, 936, is that of the CF_TEXT we give.
constexpr LCID kGbkLocale = 0x0804;

// Hands the clipboard a copy of the bytes in one format.
bool putOnClipboard(UINT format, const void* bytes, size_t size) {
    UniqueHGlobal memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
    if (!memory) return false;
    {
        GlobalLockGuard lock(memory.get());
        if (!lock.data()) return false;
        std::memcpy(lock.data(), bytes, size);
    }
    if (!SetClipboardData(format, memory.get())) return false;
    memory.release();  // the clipboard owns it now
    return true;
}

}  // namespace

bool writeClipboardText(const std::string& text) {
    const std::wstring wide = toWide(text);
    ClipboardGuard clipboard;
    if (!clipboard.opened() || !EmptyClipboard()) return false;
    // Without CF_LOCALE Windows would make the Unicode text of a CF_TEXT with the
    // code page of the keyboard layout active at the time; with our own Unicode
    // text beside it nothing is converted at all.
    return putOnClipboard(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t)) &&
           putOnClipboard(CF_TEXT, text.c_str(), text.size() + 1) &&
           putOnClipboard(CF_LOCALE, &kGbkLocale, sizeof kGbkLocale);
}

std::optional<std::string> readClipboardText() {
    ClipboardGuard clipboard;
    if (!clipboard.opened()) return std::nullopt;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return std::string();
    GlobalLockGuard lock(data);
    if (!lock.data()) return std::string();
    const auto* units = static_cast<const wchar_t*>(lock.data());
    return toGbk(std::wstring_view(units, wcsnlen(units, GlobalSize(data) / sizeof(wchar_t))));
}

}  // namespace vostrel
