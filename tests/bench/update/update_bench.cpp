// Downloads a 64 MB file from the loopback server four ways, five rounds each:
// a bare WinINet read loop that throws the bytes away, the same loop writing a
// file, writing and flushing it, and the download component with the update's own task settings while the
// user-interface thread runs an update window with its once-a-second labels. A
// second thread posts a message to that window every 5 ms; the loop notes how
// long each waited before it was handled. Exits with 1 when a measurement failed
// (a short read, a failed or unfinished transfer): its figures would mean nothing.
#include "app/layouts.h"
#include "core/progress_format.h"
#include "update/download.h"
#include "update/update_window.h"
#include "win/unique_handle.h"

#include "win/gbk_wide.h"

#include "test_support.h"
#include "update_test_support.h"

#include <commctrl.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

using namespace vostrel;
using namespace vostrel::test;

namespace {

constexpr size_t kSize = 64 * 1024 * 1024;
constexpr UINT kProbeMessage = WM_APP + 7;
constexpr double kRunDeadlineSeconds = 120;

bool g_measurementFailed = false;

double now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    static LONGLONG base = counter.QuadPart;  // small values: they travel in an LPARAM as microseconds
    return static_cast<double>(counter.QuadPart - base) / static_cast<double>(frequency.QuadPart);
}

// The baseline: one GET, 64 KB reads, optionally written to a file and flushed.
double bareLoop(const std::string& address, const std::string& file, bool flush = true) {
    double start = now();
    UniqueHInternet session(InternetOpenA("bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    UniqueHInternet request(InternetOpenUrlA(session.get(), address.c_str(), nullptr, 0,
                                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    UniqueFile out;
    if (!file.empty()) out.reset(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    std::vector<char> buffer(64 * 1024);
    size_t total = 0;
    DWORD got = 0;
    while (InternetReadFile(request.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got) && got > 0) {
        total += got;
        if (out) {
            DWORD wrote = 0;
            WriteFile(out.get(), buffer.data(), got, &wrote, nullptr);
        }
    }
    if (out && flush) FlushFileBuffers(out.get());  // as the component does before its rename
    double seconds = now() - start;
    if (!request || total != kSize) {
        std::printf("bare loop read %zu bytes!\n", total);
        g_measurementFailed = true;
    }
    return seconds;
}

std::atomic<bool> g_finished{false};
double g_finishedAt = 0;
void noteNotice(int code, std::int64_t) {
    if (code == downloadNotice::kFinished || code == downloadNotice::kFailed) {
        if (code == downloadNotice::kFailed) {
            std::printf("component: transfer failed!\n");
            g_measurementFailed = true;
        }
        g_finishedAt = now();
        g_finished = true;
    }
}

Window* g_window = nullptr;
Downloader* g_downloader = nullptr;
int g_ticks = 0;

// What the update window's tick does, once a second.
void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    ProgressSample sample;
    sample.totalBytes = static_cast<double>(kSize);
    sample.downloadedBytes = g_downloader->downloadedBytes();
    sample.bytesThisTransfer = g_downloader->takeTransferBytes();
    sample.bytesAllTransfers = g_downloader->takeAllTransferBytes();
    sample.seconds = ++g_ticks;
    ProgressLabels labels = formatProgress(sample);
    g_window->setText("下载进度", labels.progress);
    g_window->setText("下载速度", labels.speed);
    g_window->setText("已经下载", labels.downloaded);
    g_window->setText("已用时间", labels.elapsed);
    g_window->setText("剩余时间", labels.remaining);
    SendMessageA(g_window->control("进度条"), PBM_SETPOS, static_cast<WPARAM>(labels.barPosition), 0);
}

struct ComponentRun {
    double seconds;
    std::vector<double> latenciesMs;
};

ComponentRun componentRun(const std::string& address, const std::string& file, Window& window) {
    Downloader downloader;
    g_downloader = &downloader;
    g_window = &window;
    g_finished = false;
    DownloadTask task;  // the update's own settings
    task.sourceAddress = address;
    task.destinationPath = toWide(file);
    task.notify = noteNotice;
    task.readBufferSize = 4096;
    task.connectRetries = 5;
    task.writeBufferKb = 10240;

    HWND target = window.handle();
    std::atomic<bool> probing{true};
    std::thread prober([&] {
        while (probing) {
            double sent = now();
            PostMessageA(target, kProbeMessage, 0, static_cast<LPARAM>(static_cast<LONG>(sent * 1e6)));
            Sleep(5);
        }
    });
    UINT_PTR timer = SetTimer(nullptr, 0, 1000, tick);
    ComponentRun run{};
    double start = now();
    if (!downloader.start(task)) {
        std::printf("component: the transfer did not start!\n");
        g_measurementFailed = true;
        g_finished = true;
        g_finishedAt = start;
    }
    MSG message;
    // The tick wakes this loop once a second at least, so the deadline is seen.
    while (!g_finished && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (now() - start > kRunDeadlineSeconds) {
            std::printf("component: no end after %.0f s!\n", kRunDeadlineSeconds);
            g_measurementFailed = true;
            g_finishedAt = now();
            break;
        }
        if (message.message == kProbeMessage && message.hwnd == target) {
            double sentUs = static_cast<double>(static_cast<LONG>(message.lParam));
            double nowUs = now() * 1e6;
            run.latenciesMs.push_back((nowUs - sentUs) / 1000.0);
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    run.seconds = g_finishedAt - start;
    WIN32_FILE_ATTRIBUTE_DATA written{};
    if (!g_measurementFailed && (!GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &written) ||
                                 written.nFileSizeLow != kSize || written.nFileSizeHigh != 0)) {
        std::printf("component: the file is not the 64 MB served!\n");
        g_measurementFailed = true;
    }
    KillTimer(nullptr, timer);
    probing = false;
    prober.join();
    // Probes posted after the end belong to no run: the next run would count the
    // time the baselines took in between.
    while (PeekMessageA(&message, target, kProbeMessage, kProbeMessage, PM_REMOVE)) {
    }
    return run;
}

double best(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    ServedFiles files;
    std::string bytes(kSize, '\0');
    for (size_t i = 0; i < kSize; i += 4096) bytes[i] = static_cast<char>(i >> 12);
    // The component checks the maker's signature of what it downloads.
    if (!files.put("bench64.bin", bytes) || !files.sign("bench64.bin")) {
        std::printf("cannot write the served file; is the build tree's update-served folder there?\n");
        return 1;
    }
    std::string address = serverAddress() + "bench64.bin";
    TempFolder folder;
    vostrel::UpdateWindow window;
    window.create(nullptr);
    ShowWindow(window.handle(), SW_SHOW);

    std::vector<double> bare, bareWriteOnly, bareWrite, component, latencies;
    bareLoop(address, "");  // warm-up: the server's page cache, WinINet's first use
    for (int round = 0; round < 5; ++round) {
        bare.push_back(bareLoop(address, ""));
        bareWriteOnly.push_back(bareLoop(address, folder.file("bare.bin"), false));
        bareWrite.push_back(bareLoop(address, folder.file("bare.bin")));
        ComponentRun run = componentRun(address, folder.file("component.bin"), window);
        component.push_back(run.seconds);
        latencies.insert(latencies.end(), run.latenciesMs.begin(), run.latenciesMs.end());
        std::printf("round %d: bare read %.3f s, read+write %.3f s, read+write+flush %.3f s, component %.3f s\n",
                    round + 1, bare.back(), bareWriteOnly.back(), bareWrite.back(), component.back());
    }
    double mb = kSize / 1048576.0;
    std::printf("64 MB from 127.0.0.1, best of 5 (median in brackets):\n");
    std::printf("  bare WinINet read loop (64 KB reads, discarded): %.3f s = %.1f MB/s\n", best(bare), mb / best(bare));
    std::printf("  bare loop writing the file, no flush:            %.3f s = %.1f MB/s\n", best(bareWriteOnly),
                mb / best(bareWriteOnly));
    std::printf("  bare loop writing and flushing the file:        %.3f s = %.1f MB/s\n", best(bareWrite),
                mb / best(bareWrite));
    std::printf("  download component (64 KB reads and writes):    %.3f s = %.1f MB/s\n", best(component),
                mb / best(component));
    std::printf("  throughput ratio component / bare read loop:  %.2fx (%.2fx)\n", best(bare) / best(component),
                median(bare) / median(component));
    std::printf("  throughput ratio component / bare with file:  %.2fx (%.2fx)\n", best(bareWrite) / best(component),
                median(bareWrite) / median(component));
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        double sum = 0;
        for (double l : latencies) sum += l;
        std::printf("  UI thread: %zu messages posted to the update window during the downloads; handled after "
                    "median %.2f ms, 99th percentile %.2f ms, worst %.2f ms (target: within 50 ms)\n",
                    latencies.size(), latencies[latencies.size() / 2],
                    latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)], latencies.back());
        (void)sum;
    }
    if (g_measurementFailed) {
        std::printf("a measurement failed: the figures above do not count\n");
        return 1;
    }
    return 0;
}
