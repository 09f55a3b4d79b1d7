#pragma once

#include <cstdint>
#include <string>

namespace vostrel {

void onUpdateWindowCreated();
void startUpdateDownload();    // 按钮1 of UpdateWindow
void showDownloadProgress();   // every tick of 时钟
// Runs on the user-interface thread: the download component hands its notices over.
void onDownloadNotice(int code, std::int64_t value);

// Starts the program at path in a normal window, waits up to 1 s for it to be
// ready for input and lets it run on. The path is the application name, so a
// folder with spaces cannot make another program run.
bool startNewProgram(const std::wstring& path);

// Checks for the file up to `checks` times, 500 ms apart while handling messages,
// and starts it once it is there; when it cannot start, the file the download
// moved aside for it takes its place again. Returns the number of the check that
// found it, 0 when none did.
int startNewProgramWhenPresent(const std::wstring& path, int checks = 99);

}  // namespace vostrel
