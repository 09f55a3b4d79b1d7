#include "update/update_download.h"

#include "actions/input.h"
#include "core/gbk_text.h"
#include "core/progress_format.h"
#include "core/update_page.h"
#include "library/text_library.h"
#include "update/update_check.h"
#include "update/update_state.h"
#include "update/update_window.h"
#include "win/gbk_wide.h"
#include "win/program_path.h"
#include "win/unique_handle.h"
#include "win/window.h"

#include <commctrl.h>

#include <cstdlib>

namespace vostrel {
namespace {

std::wstring currentFolder() {
    DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return L".";
    std::wstring folder(needed, L'\0');
    DWORD length = GetCurrentDirectoryW(needed, folder.data());
    if (length == 0 || length >= needed) return L".";
    folder.resize(length);
    return folder;
}

// While a download runs 按钮1 lies below the window's bottom edge, where nobody
// sees it. A retry must be seen to be pressed: the button moves up under the
// labels and the window grows to hold it.
void revealRetryButton(const UpdateWindow& window) {
    constexpr int kTopBelowLabels = 96;
    constexpr int kBottomMargin = 4;
    HWND button = window.control("按钮1");
    RECT client{}, place{};
    GetClientRect(window.handle(), &client);
    GetWindowRect(button, &place);
    MapWindowPoints(nullptr, window.handle(), reinterpret_cast<POINT*>(&place), 2);
    if (place.bottom <= client.bottom) return;
    const int height = place.bottom - place.top;
    SetWindowPos(button, nullptr, place.left, kTopBelowLabels, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int grow = kTopBelowLabels + height + kBottomMargin - client.bottom;
    RECT outer{};
    GetWindowRect(window.handle(), &outer);
    SetWindowPos(window.handle(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top + grow,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The clock stops, 下载进度 says why, and 按钮1 offers to download again.
void showFailure(const std::string& text) {
    if (UpdateWindow* window = updateWindow()) {
        window->setClockInterval(0);
        window->setText("下载进度", text);
        revealRetryButton(*window);
        window->setText("按钮1", "重新下载");
        EnableWindow(window->control("按钮1"), TRUE);
    }
}

// The page names the file that the download replaces and then starts: it may
// never be the text library, which a download would overwrite. The name must be
// plain both as the page's bytes and as the wide name Windows gets.
bool isUpdatableName(const std::string& name) {
    std::wstring wide = toWide(name);
    return isPlainFileName(name) && isPlainFileName(std::u16string(wide.begin(), wide.end())) &&
           _wcsicmp(wide.c_str(), toWide(library::kDefaultFileName).c_str()) != 0;
}

bool isFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void onUpdateWindowCreated() {
    // Posted: the main window closes when the messages are next handled, and the
    // update window, owned by nobody, lives on.
    // When the question follows a forced update, the main window is gone already.
    if (HWND main = mainWindow().handle()) PostMessageW(main, WM_CLOSE, 0, 0);
    readDownloadKeys(readUpdatePage(), updateState().updateInfo);
    startUpdateDownload();
}

void downloadAgain() {
    // A read that fails again keeps what an earlier one found.
    std::string section = readUpdatePage();
    if (!section.empty()) readDownloadKeys(section, updateState().updateInfo);
    startUpdateDownload();
}

void startUpdateDownload() {
    UpdateWindow* window = updateWindow();
    if (!window) return;
    window->setText("按钮1", "正在更新,请稍等.");
    EnableWindow(window->control("按钮1"), FALSE);

    UpdateState& state = updateState();
    DownloadTask& task = state.downloadTask;
    const std::string& programName = state.updateInfo.programName;
    std::wstring folder = currentFolder();
    // The component's defaults (timeouts, buffers, retries) are the update's.
    task = DownloadTask{};
    task.sourceAddress = trimSpaces(state.updateInfo.updateAddress);
    task.destinationPath = folder + (folder.back() == L'\\' ? L"" : L"\\") + toWide(programName);
    task.notify = onDownloadNotice;

    // Without the maker's key no download could be told from a stranger's: said
    // once, and no retry is offered, for none could succeed.
    if (task.publicKey.empty()) {
        window->setText("下载进度", "无法更新：程序未内置签名公钥");
        return;
    }
    // The name is written in the current folder and then started: a path, a drive
    // or a device would write or run something else.
    if (!isUpdatableName(programName)) return showFailure(rejectedProgramNameText());
    if (!state.download.start(task)) return showFailure(downloadFailedText(0));
    window->setClockInterval(1000);
}

void showDownloadProgress() {
    UpdateWindow* window = updateWindow();
    if (!window) return;
    UpdateState& state = updateState();
    advanceElapsedClock(state.elapsedSeconds, state.elapsedMinutes, state.elapsedHours);

    ProgressSample sample;
    sample.totalBytes = state.totalBytes;
    sample.downloadedBytes = state.download.downloadedBytes();
    sample.bytesThisTransfer = state.download.takeTransferBytes();
    sample.bytesAllTransfers = state.download.takeAllTransferBytes();
    sample.hours = state.elapsedHours;
    sample.minutes = state.elapsedMinutes;
    sample.seconds = state.elapsedSeconds;
    ProgressLabels labels = formatProgress(sample);

    window->setText("下载进度", labels.progress);
    SendMessageW(window->control("进度条"), PBM_SETPOS, static_cast<WPARAM>(labels.barPosition), 0);
    window->setText("下载速度", labels.speed);
    window->setText("已经下载", labels.downloaded);
    window->setText("已用时间", labels.elapsed);
    window->setText("剩余时间", labels.remaining);
}

void onDownloadNotice(int code, std::int64_t value) {
    switch (code) {
    case downloadNotice::kSize:
        updateState().totalBytes = static_cast<double>(value);
        break;
    case downloadNotice::kFinished: {
        if (UpdateWindow* window = updateWindow()) window->setClockInterval(0);
        UpdateState& state = updateState();
        NewProgramRun run =
            startNewProgramWhenPresent(state.downloadTask.destinationPath, state.download.previousVersion());
        // The working program is back: the user keeps a tool that runs, and is told.
        if (run.failed) return showFailure(newProgramFailedText(run.started, run.exitCode, run.restored));
        // The orderly end: the exit clean-up runs from here as after the message loop.
        std::exit(0);
    }
    case downloadNotice::kFailed:
        showFailure(downloadFailedText(value));
        break;
    default:
        break;
    }
}

bool startNewProgram(const std::wstring& path, UniqueHandle* process) {
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION created{};
    std::wstring commandLine = L"\"" + path + L"\"";
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &created)) {
        return false;
    }
    UniqueHandle thread(created.hThread);
    UniqueHandle started(created.hProcess);
    WaitForInputIdle(started.get(), 1000);
    if (process) *process = std::move(started);
    return true;
}

NewProgramRun startNewProgramWhenPresent(const std::wstring& path, const std::wstring& aside, int checks,
                                         int watchMs) {
    NewProgramRun run;
    for (int check = 1; check <= checks && !run.check; ++check) {
        if (isFile(path)) {
            run.check = check;
        } else {
            MessagePumpDelay(500);
        }
    }
    if (!run.check) return run;
    UniqueHandle process;
    run.started = startNewProgram(path, &process);
    run.failed = !run.started;
    for (DWORD start = GetTickCount(); run.started && GetTickCount() - start < static_cast<DWORD>(watchMs);) {
        if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process.get(), &run.exitCode);
            run.failed = run.exitCode != 0;
            break;
        }
        MessagePumpDelay(50);
    }
    // A new file that did not run gives its place back to the one the download
    // moved aside (this running program's own file, say).
    if (run.failed && !aside.empty() && isFile(aside)) {
        run.restored =
            MoveFileExW(aside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    return run;
}

namespace {

constexpr UINT kLeftoverRetryMs = 1000;
constexpr int kLeftoverTries = 30;

void CALLBACK retryLeftovers(HWND, UINT, UINT_PTR timer, DWORD) {
    static int tries = 0;
    if (removePreviousVersions(ownProgramPath()) || ++tries >= kLeftoverTries) KillTimer(nullptr, timer);
}

}  // namespace

void removeLeftoversOfEarlierUpdates() {
    std::wstring self = ownProgramPath();
    if (self.empty() || removePreviousVersions(self)) return;
    // The program this one replaced may still be ending (it watches this one for a
    // few seconds first): its file goes once it has.
    SetTimer(nullptr, 0, kLeftoverRetryMs, retryLeftovers);
}

}  // namespace vostrel
