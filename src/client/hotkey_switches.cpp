#include "client/hotkey_switches.h"

#include "actions/moderation.h"
#include "client/hotkey_registry.h"
#include "win/window.h"

#include <iterator>
#include <string>

namespace vostrel {
namespace {

struct HotkeySwitch {
    const char* checkBox;
    const char* keyName;
    UINT key;
    const char* identifierText;
    HotkeyAction action;
};

// One row per check box of the action page. The identifier texts are constants,
// so each keeps one hotkey id for the whole run.
constexpr HotkeySwitch kSwitches[] = {
    {"选择框1", "F1", VK_F1, "嘉宾", toggleGuest},
    {"选择框2", "F3", VK_F3, "会员", toggleMember},
    {"选择框3", "F4", VK_F4, "禁止打字", toggleNoTyping},
    {"选择框4", "F5", VK_F5, "禁止发图", toggleNoPictures},
    {"选择框5", "F6", VK_F6, "禁止ID", banById},
    {"选择框6", "F7", VK_F7, "禁止ip", banByIp},
    {"选择框7", "F8", VK_F8, "协助", setNameCard},
};

// A function key held down repeats its key-down, and each repeat is a hotkey
// message (MOD_NOREPEAT asks the system not to, but Wine sends them anyway). An
// action waits while handling messages, so every repeat would start the action
// again inside the wait of the one before, and a key held past an action's end
// would start it again. So a key starts its action only for a key-down that
// follows a key-up, and never while its own action runs; another key's action
// may still run inside this one's wait.
//
// The key-ups are watched with a low-level keyboard hook while any key is on.
// Asking for the key's state does not do: under Wine a key pressed by another
// program reads as up for a while after the press, and for good once another
// window takes the focus (the client's menu does, at once).
struct KeyGate {
    unsigned presses = 0;  // key-downs that followed a key-up, as the hook saw them
    unsigned answered = 0; // presses already answered by a hotkey message
    bool down = false;     // as the hook last saw it
    bool running = false;
    DWORD lastSeen = 0;    // the time of the hook's last event for this key
};

// The hook's event for a key and the hotkey message it causes carry the time of
// the same input. A hotkey message later than this after the hook last heard of
// its key is a key-down the hook never saw.
constexpr DWORD kHookMissedMs = 100;

KeyGate g_gates[std::size(kSwitches)];
HHOOK g_keyWatch = nullptr;

LRESULT CALLBACK watchKeys(int code, WPARAM message, LPARAM data) noexcept {
    if (code == HC_ACTION) {
        const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
        bool up = (event->flags & LLKHF_UP) != 0;
        for (size_t row = 0; row < std::size(kSwitches); ++row) {
            if (kSwitches[row].key != event->vkCode) continue;
            KeyGate& gate = g_gates[row];
            if (!up && !gate.down) ++gate.presses;
            gate.down = !up;
            gate.lastSeen = event->time;
        }
    }
    return CallNextHookEx(nullptr, code, message, data);
}

// A fresh watch starts with every key up.
void installKeyWatch() {
    for (KeyGate& gate : g_gates) {
        gate.down = false;
        gate.answered = gate.presses;
    }
    g_keyWatch = SetWindowsHookExW(WH_KEYBOARD_LL, watchKeys, GetModuleHandleW(nullptr), 0);
}

// Runs while any key is on.
void updateKeyWatch() {
    bool anyOn = false;
    for (const HotkeySwitch& row : kSwitches) anyOn = anyOn || mainWindow().isChecked(row.checkBox);
    if (anyOn && !g_keyWatch) {
        installKeyWatch();
    } else if (!anyOn && g_keyWatch) {
        UnhookWindowsHookEx(g_keyWatch);
        g_keyWatch = nullptr;
    }
}

void runGated(size_t row) {
    KeyGate& gate = g_gates[row];
    // The hook sees a key-down before its hotkey message is posted. Windows removes
    // a low-level hook without a word once it answers too slowly (the thread busy
    // with a large library, a slow disk): a key it last saw down would then stay
    // down for good. A hotkey message the hook did not hear of is such a press: it
    // counts, and the watch is made again.
    bool missed = g_keyWatch && static_cast<DWORD>(GetMessageTime()) - gate.lastSeen > kHookMissedMs;
    if (missed) {
        UnhookWindowsHookEx(g_keyWatch);  // fails quietly when Windows took it already
        installKeyWatch();
        // Still held, its release is the new hook's to see; its repeats are no presses.
        gate.down = (GetAsyncKeyState(static_cast<int>(kSwitches[row].key)) & 0x8000) != 0;
    }
    // A key the hook last saw up, with no new press, means the hook saw nothing:
    // then, as without a hook, every hotkey message counts as a press rather than
    // the key doing nothing.
    bool fresh = missed || gate.presses != gate.answered || !gate.down || !g_keyWatch;
    gate.answered = gate.presses;
    if (!fresh || gate.running) return;
    gate.running = true;
    kSwitches[row].action();
    gate.running = false;
}

template <size_t Row>
void gatedAction() {
    runGated(Row);
}

// What each key runs: its row's action behind the gate.
constexpr HotkeyAction kGatedActions[] = {gatedAction<0>, gatedAction<1>, gatedAction<2>, gatedAction<3>,
                                          gatedAction<4>, gatedAction<5>, gatedAction<6>};
static_assert(std::size(kGatedActions) == std::size(kSwitches));

// The box has already changed its state when this runs. A key that another
// program holds cannot be ours: rather than a ticked box whose key does nothing,
// the box is unticked again and the user told which key is taken.
void applySwitch(size_t index) {
    const HotkeySwitch& row = kSwitches[index];
    Window& window = mainWindow();
    if (!window.isChecked(row.checkBox)) {
        unregisterWindowHotkey(window.handle(), row.identifierText);
        updateKeyWatch();
        return;
    }
    if (窗口_热键注册(window.handle(), MOD_NOREPEAT, row.key, kGatedActions[index], row.identifierText)) {
        updateKeyWatch();
        return;
    }
    SendMessageW(window.control(row.checkBox), BM_SETCHECK, BST_UNCHECKED, 0);
    showReminder(keyTakenMessage(row.keyName));
}

}  // namespace

HHOOK keyWatchHook() { return g_keyWatch; }

std::string keyTakenMessage(const char* keyName) {
    return std::string("快捷键") + keyName + "已被其他程序占用，无法使用，请先关闭占用它的程序";
}

void switchF1() { applySwitch(0); }
void switchF3() { applySwitch(1); }
void switchF4() { applySwitch(2); }
void switchF5() { applySwitch(3); }
void switchF6() { applySwitch(4); }
void switchF7() { applySwitch(5); }
void switchF8() { applySwitch(6); }

}  // namespace vostrel
