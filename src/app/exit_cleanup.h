// What the process releases when it ends. Each subsystem keeps its own
// process-wide variables beside the code that writes them; this gathers their
// release in one place.
#pragma once

namespace vostrel {

// Registers exitCleanup with the process; once, at start-up.
void registerExitCleanup();

// Run once when the process ends: stops and closes the download, releases the
// update's and the hotkey registry's state. Hotkeys stay registered (the system
// drops them with the window), the client keeps its size, and the library is not
// saved.
void exitCleanup();

}  // namespace vostrel
