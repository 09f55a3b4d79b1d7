// The background download component.
#pragma once

#include <cstdint>
#include <string>

namespace vostrel {

using DownloadNotify = void (*)(int code, std::int64_t value);

// One request to the download component.
struct DownloadTask {
    std::string sourceAddress;
    std::string destinationPath;
    int connectTimeoutMs = 5000;
    int sendTimeoutMs = 5000;
    int receiveTimeoutMs = 10000;
    int stopWaitMs = 1000;
    DownloadNotify notify = nullptr;
    int bufferSize = 4096;
    int retries = 5;
    int reserved = 10240;
};

class Downloader {
public:
    Downloader() = default;
    ~Downloader() { close(); }
    Downloader(const Downloader&) = delete;
    Downloader& operator=(const Downloader&) = delete;

    // Stops a running transfer (waiting up to the task's stop wait) and closes.
    void close() {}
};

}  // namespace vostrel
