#include "client/hotkey_switches.h"

namespace vostrel {

void switchF1() {}
void switchF3() {}
void switchF4() {}
void switchF5() {}
void switchF6() {}
void switchF7() {}
void switchF8() {}

}  // namespace vostrel
