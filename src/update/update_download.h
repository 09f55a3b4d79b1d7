#pragma once

#include "win/unique_handle.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace vostrel {

void onUpdateWindowCreated();
// 按钮1 of UpdateWindow ("重新下载" after a failure): reads the update page again,
// as a slow link may have left the first read without a name, then downloads.
void downloadAgain();
void startUpdateDownload();
void showDownloadProgress();   // every tick of 时钟
// Runs on the user-interface thread: the download component hands its notices over.
void onDownloadNotice(int code, std::int64_t value);

// Starts the program at path in a normal window, waits up to 1 s for it to be
// ready for input and lets it run on (its process handle in *process when asked).
// The path is the application name, so a folder with spaces cannot make another
// program run.
bool startNewProgram(const std::wstring& path, UniqueHandle* process = nullptr);

// How long a new program is watched: one that ends within it with a failure
// (a loader error, a crash at start, a security product killing it) never ran.
constexpr int kNewProgramWatchMs = 3000;

struct NewProgramRun {
    int check = 0;          // the check that found the file; 0 when it never came
    bool failed = false;    // it could not start, or ended within the watch with a non-zero code
    bool started = false;
    DWORD exitCode = 0;     // when it started and ended within the watch
    bool restored = false;  // the file it replaced is back in its place
};

// Checks for the file up to `checks` times, 500 ms apart while handling messages,
// starts it once it is there and watches it for watchMs. When it cannot start or
// ends within the watch with a failure, the file the download moved aside for it
// (aside, empty for none) takes its place again. A program that ends at once
// with exit code 0 did its job.
NewProgramRun startNewProgramWhenPresent(const std::wstring& path, const std::wstring& aside, int checks = 99,
                                         int watchMs = kNewProgramWatchMs);

// At start-up: what earlier updates left aside of this program goes, now or, for
// a file the replaced program still holds while it ends, a little later.
void removeLeftoversOfEarlierUpdates();

}  // namespace vostrel
