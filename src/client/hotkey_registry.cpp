#include "client/hotkey_registry.h"

#include "client/window_queries.h"
#include "core/gbk_text.h"
#include "win/input_box.h"

#include <vector>

namespace vostrel {
namespace {

// Every identifier text seen this run, in order of first use; its id is its
// position + 1. Texts are compared byte for byte (an atom table would fold case,
// and its ids lie in the range the system keeps for libraries).
std::vector<std::string>& idTexts() {
    static std::vector<std::string> texts;
    return texts;
}

const std::string* textOfId(WPARAM id) {
    const auto& texts = idTexts();
    if (id < 1 || id > texts.size()) return nullptr;
    return &texts[id - 1];
}

HWND defaultWindow(HWND window) { return window ? window : firstWindowOfProcess(GetCurrentProcessId()); }

HotkeyState* g_state = nullptr;

}  // namespace

HotkeyState& hotkeyState() {
    if (!g_state) g_state = new HotkeyState();
    return *g_state;
}

void releaseHotkeyState() {
    delete g_state;
    g_state = nullptr;
}

int hotkeyIdOf(const std::string& identifierText) {
    auto& texts = idTexts();
    for (size_t i = 0; i < texts.size(); ++i) {
        if (texts[i] == identifierText) return static_cast<int>(i) + 1;
    }
    texts.push_back(identifierText);
    return static_cast<int>(texts.size());
}

bool 窗口_热键注册(HWND window, UINT modifiers, UINT key, HotkeyAction action, const std::string& identifierText) {
    HotkeyState& state = hotkeyState();
    int id = hotkeyIdOf(identifierText);
    // Earlier bindings of this text give way to the new one; their rows stay.
    for (const HotkeyEntry& row : state.hotkeyTable) {
        if (row.identifierText == identifierText) UnregisterHotKey(row.window, id);
    }
    window = defaultWindow(window);
    if (trimSpaces(identifierText).empty()) {
        showReminder("【窗口_热键注册】命令第5个参数【标识文本】不能为空文本");
        return false;
    }
    if (!RegisterHotKey(window, id, modifiers, key)) return false;

    state.hotkeyTable.push_back(HotkeyEntry{window, identifierText, action});
    if (state.hotkeyTable.size() == 1) {
        // One subclassing per run, on the window of the first registration.
        state.previousWindowProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&hotkeyWindowProcedure)));
    }
    return true;
}

bool unregisterWindowHotkey(HWND window, const std::string& identifierText) {
    return UnregisterHotKey(defaultWindow(window), hotkeyIdOf(identifierText)) != FALSE;
}

int findEntryByIdentifier(const std::string& identifierText) {
    const auto& table = hotkeyState().hotkeyTable;
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].identifierText == identifierText) return static_cast<int>(i) + 1;
    }
    return 0;
}

LRESULT CALLBACK hotkeyWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    HotkeyState& state = hotkeyState();
    if (message == WM_HOTKEY) {
        const std::string* text = textOfId(wParam);
        int row = text ? findEntryByIdentifier(*text) : 0;
        if (row > 0) {
            // Taken out first: the action waits while pumping messages, and a
            // registration meanwhile may grow (and move) the table.
            HotkeyAction action = state.hotkeyTable[static_cast<size_t>(row) - 1].action;
            if (action) action();
            return 0;
        }
        // An id that stands for none of our rows belongs to whoever registered it
        // on this window: the window's own procedure.
    }
    if (!state.previousWindowProcedure) return DefWindowProcW(window, message, wParam, lParam);
    return CallWindowProcW(state.previousWindowProcedure, window, message, wParam, lParam);
}

int showReminder(const std::string& text, UINT flags, const char* title, HWND owner) {
    if (!owner) owner = firstWindowOfProcess(GetCurrentProcessId());
    return showMessage(text, title, flags, owner) - 1;
}

}  // namespace vostrel
