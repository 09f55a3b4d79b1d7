#include "client/hotkey_switches.h"

#include "actions/moderation.h"
#include "app/windows.h"
#include "client/hotkey_registry.h"

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

// The box has already changed its state when this runs. A key that another
// program holds cannot be ours: rather than a ticked box whose key does nothing,
// the box is unticked again and the user told which key is taken.
void applySwitch(const HotkeySwitch& row) {
    MainWindow& window = mainWindow();
    if (!window.isChecked(row.checkBox)) {
        unregisterWindowHotkey(window.handle(), row.identifierText);
        return;
    }
    if (窗口_热键注册(window.handle(), 0, row.key, row.action, row.identifierText)) return;
    SendMessageA(window.control(row.checkBox), BM_SETCHECK, BST_UNCHECKED, 0);
    showReminder(keyTakenMessage(row.keyName));
}

}  // namespace

std::string keyTakenMessage(const char* keyName) {
    return std::string("快捷键") + keyName + "已被其他程序占用，无法使用，请先关闭占用它的程序";
}

void switchF1() { applySwitch(kSwitches[0]); }
void switchF3() { applySwitch(kSwitches[1]); }
void switchF4() { applySwitch(kSwitches[2]); }
void switchF5() { applySwitch(kSwitches[3]); }
void switchF6() { applySwitch(kSwitches[4]); }
void switchF7() { applySwitch(kSwitches[5]); }
void switchF8() { applySwitch(kSwitches[6]); }

}  // namespace vostrel
