// The seven check boxes of the action page switch their function keys on and off.
#pragma once

#include <windows.h>

#include <string>

namespace vostrel {

void switchF1();  // 选择框1
void switchF3();  // 选择框2
void switchF4();  // 选择框3
void switchF5();  // 选择框4
void switchF6();  // 选择框5
void switchF7();  // 选择框6
void switchF8();  // 选择框7

// What the user is told when a function key ("F4") cannot be registered because
// another program holds it.
std::string keyTakenMessage(const char* keyName);

// The low-level keyboard hook that watches the keys' releases while a box is
// ticked; nullptr while none is. Windows may remove it without a word (a test
// does so to show that the keys live on).
HHOOK keyWatchHook();

}  // namespace vostrel
