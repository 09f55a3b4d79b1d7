#pragma once

#include <windows.h>

namespace vostrel {

// One message the way every loop of the tool handles it: keys of the windows
// that take dialog keys through IsDialogMessageA, the rest translated and
// dispatched.
void dispatchMessage(MSG& message);

// The application's one message loop; returns the exit code of WM_QUIT.
int runMessageLoop();

// Handles the messages already waiting in this thread's queue, one by one, the
// way the main loop does; stops at an empty queue or at WM_QUIT, which stays
// queued for the main loop.
void processPendingMessages();

}  // namespace vostrel
