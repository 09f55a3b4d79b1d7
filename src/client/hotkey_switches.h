// The seven check boxes of the action page switch their function keys on and off.
#pragma once

namespace vostrel {

void switchF1();  // 选择框1
void switchF3();  // 选择框2
void switchF4();  // 选择框3
void switchF5();  // 选择框4
void switchF6();  // 选择框5
void switchF7();  // 选择框6
void switchF8();  // 选择框7

}  // namespace vostrel
