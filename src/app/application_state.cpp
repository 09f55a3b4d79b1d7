#include "app/application_state.h"

#include <cstdlib>

namespace vostrel {
namespace {

ApplicationState* g_state = nullptr;

extern "C" void runExitCleanup() { exitCleanup(); }

}  // namespace

ApplicationState& appState() {
    // Created on first use, so tests that link the library without the program's
    // start-up still have a state to work on.
    if (!g_state) g_state = new ApplicationState();
    return *g_state;
}

void initialiseApplicationState() {
    appState();
    std::atexit(runExitCleanup);
}

void exitCleanup() {
    if (!g_state) return;
    g_state->download.close();
    delete g_state;
    g_state = nullptr;
}

}  // namespace vostrel
