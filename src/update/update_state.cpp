#include "update/update_state.h"

namespace vostrel {
namespace {

UpdateState* g_state = nullptr;

}  // namespace

UpdateState& updateState() {
    if (!g_state) g_state = new UpdateState();
    return *g_state;
}

void releaseUpdateState() {
    if (!g_state) return;
    g_state->download.close();
    delete g_state;
    g_state = nullptr;
}

}  // namespace vostrel
