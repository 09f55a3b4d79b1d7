// What the update keeps for the whole run: the page's keys, read by the start-up
// check and the update window, and the one download with its clock. One
// user-interface thread reads and writes it; no locks.
#pragma once

#include "core/update_info.h"
#include "update/download.h"

namespace vostrel {

struct UpdateState {
    UpdateInfo updateInfo;
    Downloader download;
    DownloadTask downloadTask;

    double totalBytes = 0;
    int elapsedSeconds = 0;
    int elapsedMinutes = 0;
    int elapsedHours = 0;
};

// Created on first use, so tests that link the update without the program's
// start-up still have a state to work on.
UpdateState& updateState();

// Part of the exit clean-up: stops and closes the download, releases the state.
void releaseUpdateState();

}  // namespace vostrel
