// The process-wide state through which the parts of the tool share what they
// found or started. One user-interface thread reads and writes it; no locks.
#pragma once

#include "client/hotkey_registry.h"
#include "client/window_queries.h"
#include "core/update_info.h"
#include "update/download.h"

#include <windows.h>

#include <string>
#include <vector>

namespace vostrel {

struct ApplicationState {
    HWND clientTarget = nullptr;                  // captured client window, 0 until F10
    std::vector<HotkeyEntry> hotkeyTable;         // only grows during a run
    WNDPROC previousWindowProcedure = nullptr;    // replaced by the registry's subclassing
    std::vector<WindowInfo> windowList;           // the enumeration's gathering list
    HWND sharedWindow = nullptr;                  // window the running action last looked up

    UpdateInfo updateInfo;
    std::string checkPage, checkSection;          // the start-up check's read
    std::string updatePage, updateSection;        // the update window's read
    Downloader download;
    DownloadTask downloadTask;

    double totalBytes = 0;
    int elapsedSeconds = 0;
    int elapsedMinutes = 0;
    int elapsedHours = 0;

    int lastInsertedRow = 0;
};

ApplicationState& appState();

// Gives every item its initial value and registers exitCleanup with the process.
void initialiseApplicationState();

// Run once when the process ends: stops and closes the download, releases the state.
// Hotkeys stay registered (the system drops them with the window), the client keeps
// its size, and the library is not saved.
void exitCleanup();

}  // namespace vostrel
