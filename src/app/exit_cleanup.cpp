#include "app/exit_cleanup.h"

#include "client/hotkey_registry.h"
#include "update/update_state.h"

#include <cstdlib>

namespace vostrel {
namespace {

extern "C" void runExitCleanup() { exitCleanup(); }

}  // namespace

void registerExitCleanup() { std::atexit(runExitCleanup); }

void exitCleanup() {
    releaseUpdateState();
    releaseHotkeyState();
}

}  // namespace vostrel
