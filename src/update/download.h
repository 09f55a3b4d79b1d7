// The background download component: one transfer at a time on a worker thread
// of its own, over WinINet. Its notices reach the thread that started the transfer
// through a message-only window, so the notice routine runs on the user-interface
// thread, in order, with the full 64-bit value.
#pragma once

#include "core/progress_format.h"
#include "update/update_key.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace vostrel {

using DownloadNotify = void (*)(int code, std::int64_t value);

// The notice codes. 3 and 4 are the ones the update window acts on; a failed
// transfer reports 2 with the HTTP status when it was not 200, else with one of
// the values of downloadFailure: kBroken for a broken or short transfer, an
// unknown length that no last chunk ends, a file that cannot be written or moved
// into place; kEmpty for an empty body; kNotAProgram for a destination ending in
// .exe whose body is no Windows program; kNotSigned for a file without the key
// holder's signature. The destination is then untouched.
namespace downloadNotice {
constexpr int kFailed = 2;
constexpr int kSize = 3;      // value: the file's total size in bytes; not sent for a chunked body
constexpr int kFinished = 4;  // the file is complete at the destination path
}  // namespace downloadNotice

// Where the file a download replaces is kept when it cannot simply be replaced
// (the file of a running program): beside it, ".old" added. When an earlier
// ".old" cannot be removed (still running, held by a scanner, read-only on
// Windows), the next free of ".old1" to ".old9" is taken.
std::wstring previousVersionPath(const std::wstring& destination);
constexpr int kPreviousVersionNames = 10;  // ".old", then ".old1" to ".old9"
std::wstring previousVersionPath(const std::wstring& destination, int which);

// Removes what earlier updates left aside of this file; the names that cannot
// go yet (the program that was replaced may still be ending) stay. True when
// none is left.
bool removePreviousVersions(const std::wstring& path);

// One request to the download component.
struct DownloadTask {
    std::string sourceAddress;     // GBK as the page gives it; bytes above 0x7F go as %XX
    std::wstring destinationPath;
    int connectTimeoutMs = 5000;
    int sendTimeoutMs = 5000;
    int receiveTimeoutMs = 10000;
    int stopWaitMs = 1000;
    DownloadNotify notify = nullptr;
    int readBufferSize = 4096;     // INTERNET_OPTION_READ_BUFFER_SIZE of the request
    int connectRetries = 5;        // INTERNET_OPTION_CONNECT_RETRIES
    int writeBufferKb = 10240;     // at most this many KB are held before they go to the file
    // The file replaces nothing unless <sourceAddress>.sig, fetched on the same
    // terms, is this key's signature of it (see win/file_signature.h). Empty: nothing is accepted.
    std::string publicKey = updatePublicKey();
};

struct Transfer;  // what the worker thread shares with the component

class Downloader {
public:
    Downloader();
    ~Downloader();
    Downloader(const Downloader&) = delete;
    Downloader& operator=(const Downloader&) = delete;

    // Starts the transfer in the background, after stopping one still running.
    // False when it cannot start (no address, no thread); nothing is reported then.
    bool start(const DownloadTask& task);

    // Bytes received so far by the running transfer; 0 when none is running.
    std::int64_t downloadedBytes() const;
    // Bytes received since the previous call: by the running transfer, and by all
    // transfers. Reading resets each counter, so only the progress tick reads them.
    std::int64_t takeTransferBytes();
    std::int64_t takeAllTransferBytes();

    bool running() const;

    // Where the last finished transfer put the file it replaced; empty when it
    // replaced none or had to move nothing aside.
    std::wstring previousVersion() const;

    // Stops a running transfer: the worker is told to stop, its connection is
    // closed under it, and this waits up to the task's stop wait for it to end.
    // A worker that does not end in time is left to the process's end; it owns
    // everything it still touches.
    void close();

    // Delivers the notices queued by the worker (the message-only window calls it).
    void deliverNotices();

private:
    std::shared_ptr<Transfer> transfer_;
    std::shared_ptr<std::atomic<std::int64_t>> allTransfersBytes_;
    HWND noticeWindow_ = nullptr;
};

}  // namespace vostrel
