#pragma once

#include "win/window.h"

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

// Runs a dialog modal over the main window: the main window is disabled while the
// dialog is open, and this returns once the dialog has been destroyed. current
// points at the dialog from just before created runs until it has closed. A
// WM_QUIT that arrives meanwhile ends the dialog's loop and is passed on to the
// main loop.
void runModal(Window& dialog, Window*& current, HWND creationOwner, Handler created);

}  // namespace vostrel
