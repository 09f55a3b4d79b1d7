#include "update/download.h"

#include "core/pe_image.h"
#include "win/file_signature.h"
#include "win/gbk_wide.h"
#include "win/http_address.h"
#include "win/machine.h"
#include "win/unique_handle.h"

#include <wininet.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

namespace vostrel {

struct DownloadNoticeRecord {
    int code;
    std::int64_t value;
};

struct Transfer {
    DownloadTask task;
    std::wstring asidePath;      // where the replaced file went, once it has
    std::wstring temporaryPath;  // beside the destination, renamed into place when complete
    HWND noticeWindow = nullptr;
    std::shared_ptr<std::atomic<std::int64_t>> allTransfersBytes;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> ended{false};
    std::atomic<bool> abandoned{false};  // the stop did not wait for the worker and removed its file
    std::atomic<std::int64_t> downloaded{0};
    std::atomic<std::int64_t> sinceLastRead{0};
    UniqueHandle thread;

    std::mutex lock;  // guards the two handles below and the notices
    HINTERNET session = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    std::deque<DownloadNoticeRecord> notices;
};

namespace {

constexpr wchar_t kNoticeWindowClass[] = L"VostrelDownloadNotices";
constexpr UINT kNoticesQueuedMessage = WM_APP + 1;
// Bytes asked of one InternetReadFile. It returns only when the block is full or
// the data ends, so a larger block would leave the counters still on a slow line;
// a smaller one costs throughput (4 KB reads run at a fifth of 64 KB ones).
constexpr size_t kReadBlock = 64 * 1024;

void post(Transfer& t, int code, std::int64_t value) {
    {
        std::lock_guard<std::mutex> guard(t.lock);
        t.notices.push_back({code, value});
    }
    PostMessageW(t.noticeWindow, kNoticesQueuedMessage, 0, 0);
}

void closeHandles(Transfer& t) {
    std::lock_guard<std::mutex> guard(t.lock);
    if (t.request) InternetCloseHandle(std::exchange(t.request, nullptr));
    if (t.connection) InternetCloseHandle(std::exchange(t.connection, nullptr));
    if (t.session) InternetCloseHandle(std::exchange(t.session, nullptr));
}

// A body without a stated length counts only when it comes in chunks: then its
// end is the last chunk, which a broken connection cannot fake. A body that ends
// where the connection closes may have been cut anywhere.
bool isChunked(HINTERNET request) {
    wchar_t text[32] = {};
    DWORD size = sizeof text;
    return HttpQueryInfoW(request, HTTP_QUERY_TRANSFER_ENCODING, text, &size, nullptr) &&
           _wcsicmp(text, L"chunked") == 0;
}

std::int64_t queryContentLength(HINTERNET request) {
    wchar_t text[32] = {};
    DWORD size = sizeof text;
    if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return -1;
    wchar_t* end = nullptr;
    long long length = std::wcstoll(text, &end, 10);
    return (end != text && length >= 0) ? length : -1;
}

bool writeAll(HANDLE file, const std::vector<char>& bytes, size_t count) {
    size_t done = 0;
    while (done < count) {
        DWORD wrote = 0;
        if (!WriteFile(file, bytes.data() + done, static_cast<DWORD>(count - done), &wrote, nullptr) || wrote == 0) {
            return false;
        }
        done += wrote;
    }
    return true;
}

bool endsWithExe(const std::wstring& path) {
    return path.size() >= 4 && _wcsicmp(path.c_str() + path.size() - 4, L".exe") == 0;
}

// The first bytes of a file: enough for the headers and section table of any
// program a linker makes.
constexpr DWORD kHeaderBytes = 64 * 1024;

// Why the finished file may not become the program, if it may not: a captive
// portal's page or an error text is no program; a program for a processor this
// Windows cannot run would replace a working one with one that never starts; and
// a file shorter than its headers say was cut (a chunked body whose connection
// closed mid-chunk ends like a whole one).
std::optional<std::int64_t> refusalOfProgram(const std::wstring& path, std::int64_t length) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string header(static_cast<size_t>(length < kHeaderBytes ? length : kHeaderBytes), '\0');
    DWORD got = 0;
    if (!file || !ReadFile(file.get(), header.data(), static_cast<DWORD>(header.size()), &got, nullptr)) {
        return downloadFailure::kBroken;
    }
    header.resize(got);
    std::optional<PeImage> image = readPeImage(header);
    if (!image) return downloadFailure::kNotAProgram;
    if (!windowsRunsProgramFor(image->machine)) return downloadFailure::kWrongMachine;
    if (static_cast<std::uint64_t>(length) < image->wholeLength) return downloadFailure::kBroken;
    return std::nullopt;
}

constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

// A file left aside by an earlier update, gone if it can go: a read-only one
// (unpacked from a zip) once its attribute is cleared.
bool removeFile(const std::wstring& path) {
    if (DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return true;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path.c_str()) != FALSE;
}

// Moves the finished file over the destination: the failure to report, or
// nothing. The file of a running program cannot be replaced, but it can be
// renamed: it goes aside first (aside says where), and comes back when the new
// one cannot be moved in. Files left aside by earlier updates go now where they
// can, so that the one found aside later is this update's.
std::optional<std::int64_t> moveIntoPlace(const std::wstring& temporary, const std::wstring& destination,
                                          std::wstring& aside) {
    aside.clear();
    if (MoveFileExW(temporary.c_str(), destination.c_str(), kReplace)) return std::nullopt;
    for (int which = 0; which < kPreviousVersionNames && aside.empty(); ++which) {
        std::wstring candidate = previousVersionPath(destination, which);
        if (removeFile(candidate)) aside = candidate;
    }
    if (aside.empty() || !MoveFileExW(destination.c_str(), aside.c_str(), kReplace)) {
        aside.clear();
        return downloadFailure::kCannotReplace;
    }
    if (MoveFileExW(temporary.c_str(), destination.c_str(), kReplace)) return std::nullopt;
    MoveFileExW(aside.c_str(), destination.c_str(), kReplace);
    aside.clear();
    return downloadFailure::kCannotReplace;
}

// The transfer itself. Only a complete HTTP 200 answer (its stated length, or its
// last chunk) that is not empty, and for an .exe a Windows program, becomes the
// destination file: the bytes go to a temporary name beside it, which is renamed
// into place at the end, so an error page or a broken transfer is never what the
// update window starts.
// The request opened and sent, or why not: a failure to report, or nothing when
// a stop came first. Session, connection and request go into t as each is made,
// so that a stop can close them.
struct Opened {
    HINTERNET request = nullptr;
    std::optional<std::int64_t> failure;
};

Opened openRequest(Transfer& t, const std::string& sourceAddress) {
    const DownloadTask& task = t.task;
    HttpAddress address;
    if (!splitHttpAddress(sourceAddress, address)) return Opened{nullptr, 0};

    HINTERNET session = InternetOpenW(toWide(kUserAgent).c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session) return Opened{nullptr, 0};
    {
        std::lock_guard<std::mutex> guard(t.lock);
        if (t.stopRequested) {
            InternetCloseHandle(session);
            return {};
        }
        t.session = session;
    }
    // Set on every handle: some WinINet implementations read a request's
    // time-outs from the request handle only.
    DWORD connect = static_cast<DWORD>(task.connectTimeoutMs), send = static_cast<DWORD>(task.sendTimeoutMs),
          receive = static_cast<DWORD>(task.receiveTimeoutMs), retries = static_cast<DWORD>(task.connectRetries);
    auto setTimeOuts = [&](HINTERNET handle) {
        InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
        InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
        InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof send);
        InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
    };
    setTimeOuts(session);
    HINTERNET connection = InternetConnectW(session, toWide(address.host).c_str(), address.port, nullptr, nullptr,
                                            INTERNET_SERVICE_HTTP, 0, 0);
    if (!connection) return Opened{nullptr, 0};
    {
        std::lock_guard<std::mutex> guard(t.lock);
        if (!t.session) {  // stopped meanwhile
            InternetCloseHandle(connection);
            return {};
        }
        t.connection = connection;
    }
    setTimeOuts(connection);
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES |
                  INTERNET_FLAG_NO_AUTH | (address.secure ? INTERNET_FLAG_SECURE : 0);
    HINTERNET request =
        HttpOpenRequestW(connection, L"GET", toWide(address.object).c_str(), nullptr, nullptr, nullptr, flags, 0);
    {
        std::lock_guard<std::mutex> guard(t.lock);
        if (request && !t.session) {
            InternetCloseHandle(request);
            request = nullptr;
        }
        t.request = request;
    }
    if (!request) return Opened{nullptr, 0};
    setTimeOuts(request);
    DWORD readBuffer = static_cast<DWORD>(task.readBufferSize);
    InternetSetOptionW(request, INTERNET_OPTION_READ_BUFFER_SIZE, &readBuffer, sizeof readBuffer);
    if (!HttpSendRequestW(request, nullptr, 0, nullptr, 0)) return Opened{nullptr, 0};
    return Opened{request, std::nullopt};
}

// The signature beside the file, <address>.sig, asked for as the file was: only
// a complete HTTP 200 answer of exactly its size counts. Empty when there is none.
std::string fetchSignature(Transfer& t) {
    closeHandles(t);  // the file's own request is done with
    Opened opened = openRequest(t, t.task.sourceAddress + ".sig");
    if (!opened.request) return {};
    DWORD status = 0, statusSize = sizeof status;
    HttpQueryInfoW(opened.request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &statusSize, nullptr);
    std::int64_t length = queryContentLength(opened.request);
    constexpr auto kSize = static_cast<std::int64_t>(p256::kSignatureSize);
    if (status != HTTP_STATUS_OK || (length < 0 ? !isChunked(opened.request) : length != kSize)) return {};
    // One byte of room more than a signature has, to see a longer answer.
    std::string signature(p256::kSignatureSize + 1, '\0');
    size_t received = 0;
    DWORD got = 0;
    do {
        if (!InternetReadFile(opened.request, signature.data() + received,
                              static_cast<DWORD>(signature.size() - received), &got)) {
            return {};
        }
        received += got;
    } while (got > 0 && received < signature.size());
    if (received != p256::kSignatureSize || t.stopRequested) return {};
    signature.resize(received);
    return signature;
}

// Anyone on the way can answer for the maker's server: only a file the holder of
// the task's key signed may replace anything.
bool signedByKeyHolder(Transfer& t) {
    return !t.task.publicKey.empty() && isSignedFile(t.temporaryPath, fetchSignature(t), t.task.publicKey);
}

// Receives the body into the temporary file and moves it into place; the failure
// to report when the file is not there in the end (the temporary file is gone then).
std::optional<std::int64_t> receiveIntoFile(Transfer& t, HINTERNET request, std::int64_t length,
                                            std::int64_t& received) {
    const DownloadTask& task = t.task;
    const std::wstring& temporary = t.temporaryPath;
    // Shared for deletion: a stop that cannot wait for this thread removes the file.
    UniqueFile file(CreateFileW(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return 0;

    // Each block goes to the file as it arrives, while it is still in the cache:
    // gathering megabytes first sent every byte out to memory and back, and the
    // component fell behind a bare loop that writes as it reads.
    size_t readBlock = kReadBlock;
    if (task.writeBufferKb > 0 && static_cast<size_t>(task.writeBufferKb) * 1024 < readBlock) {
        readBlock = static_cast<size_t>(task.writeBufferKb) * 1024;
    }
    std::vector<char> block(readBlock);
    bool intact = true;
    while (!t.stopRequested) {
        DWORD got = 0;
        if (!InternetReadFile(request, block.data(), static_cast<DWORD>(readBlock), &got)) {
            intact = false;
            break;
        }
        if (got == 0) break;
        received += got;
        t.downloaded = received;
        t.sinceLastRead += got;
        *t.allTransfersBytes += got;
        if (!writeAll(file.get(), block, got)) {
            intact = false;
            break;
        }
    }
    intact = intact && !t.stopRequested && (length < 0 || received == length) && FlushFileBuffers(file.get());
    file.reset();
    std::optional<std::int64_t> refused;
    if (!intact) {
        refused = downloadFailure::kBroken;
    } else if (received == 0) {
        refused = downloadFailure::kEmpty;
    } else if (endsWithExe(task.destinationPath)) {
        refused = refusalOfProgram(temporary, received);
    }
    if (!refused && !signedByKeyHolder(t)) refused = downloadFailure::kNotSigned;
    if (!refused) refused = moveIntoPlace(temporary, task.destinationPath, t.asidePath);
    // A later transfer to the same destination may own the name by now.
    if (refused && !t.abandoned) DeleteFileW(temporary.c_str());
    return refused;
}

void transferFile(Transfer& t) {
    auto failed = [&t](std::int64_t status) {
        if (!t.stopRequested) post(t, downloadNotice::kFailed, status);
    };
    Opened opened = openRequest(t, t.task.sourceAddress);
    if (!opened.request) {
        if (opened.failure) failed(*opened.failure);
        return;
    }
    HINTERNET request = opened.request;

    DWORD status = 0, statusSize = sizeof status;
    HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &statusSize, nullptr);
    if (status != HTTP_STATUS_OK) return failed(status);
    // A chunked body is measured by its chunks; a length sent beside them means nothing.
    const bool chunked = isChunked(request);
    std::int64_t length = chunked ? -1 : queryContentLength(request);
    if (length < 0 && !chunked) return failed(downloadFailure::kBroken);
    if (length >= 0) post(t, downloadNotice::kSize, length);

    std::int64_t received = 0;
    if (std::optional<std::int64_t> refused = receiveIntoFile(t, request, length, received)) return failed(*refused);
    post(t, downloadNotice::kFinished, received);
}

DWORD WINAPI transferThread(void* parameter) {
    // The thread holds its own reference: the component may let go of a worker
    // that did not stop in time.
    std::unique_ptr<std::shared_ptr<Transfer>> owned(static_cast<std::shared_ptr<Transfer>*>(parameter));
    Transfer& t = **owned;
    transferFile(t);
    closeHandles(t);
    t.ended = true;
    return 0;
}

LRESULT CALLBACK noticeWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == kNoticesQueuedMessage) {
        if (auto* downloader = reinterpret_cast<Downloader*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
            downloader->deliverNotices();
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND createNoticeWindow(Downloader* downloader) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW cls{};
        cls.lpfnWndProc = noticeWindowProcedure;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = kNoticeWindowClass;
        registered = RegisterClassW(&cls) != 0;
    }
    HWND window = CreateWindowExW(0, kNoticeWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (window) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(downloader));
    return window;
}

}  // namespace

std::wstring previousVersionPath(const std::wstring& destination) { return previousVersionPath(destination, 0); }

std::wstring previousVersionPath(const std::wstring& destination, int which) {
    return destination + L".old" + (which > 0 ? std::to_wstring(which) : std::wstring());
}

bool removePreviousVersions(const std::wstring& path) {
    bool allGone = true;
    for (int which = 0; which < kPreviousVersionNames; ++which) {
        allGone = removeFile(previousVersionPath(path, which)) && allGone;
    }
    return allGone;
}

Downloader::Downloader() : allTransfersBytes_(std::make_shared<std::atomic<std::int64_t>>(0)) {}

Downloader::~Downloader() {
    close();
    if (noticeWindow_) {
        SetWindowLongPtrW(noticeWindow_, GWLP_USERDATA, 0);
        DestroyWindow(noticeWindow_);
    }
}

bool Downloader::start(const DownloadTask& task) {
    close();
    if (task.sourceAddress.empty() || task.destinationPath.empty()) return false;
    if (!noticeWindow_) noticeWindow_ = createNoticeWindow(this);
    if (!noticeWindow_) return false;

    auto transfer = std::make_shared<Transfer>();
    transfer->task = task;
    transfer->temporaryPath = task.destinationPath + L".download";
    transfer->noticeWindow = noticeWindow_;
    transfer->allTransfersBytes = allTransfersBytes_;
    auto* threadReference = new std::shared_ptr<Transfer>(transfer);
    transfer->thread.reset(CreateThread(nullptr, 0, transferThread, threadReference, 0, nullptr));
    if (!transfer->thread) {
        delete threadReference;
        return false;
    }
    transfer_ = std::move(transfer);
    return true;
}

std::int64_t Downloader::downloadedBytes() const {
    return (transfer_ && !transfer_->ended) ? transfer_->downloaded.load() : 0;
}

std::int64_t Downloader::takeTransferBytes() { return transfer_ ? transfer_->sinceLastRead.exchange(0) : 0; }

std::int64_t Downloader::takeAllTransferBytes() { return allTransfersBytes_->exchange(0); }

bool Downloader::running() const { return transfer_ && !transfer_->ended; }

// Written by the worker before it queues its finished notice, read after it.
std::wstring Downloader::previousVersion() const { return transfer_ ? transfer_->asidePath : std::wstring(); }

void Downloader::close() {
    std::shared_ptr<Transfer> transfer = std::move(transfer_);
    if (!transfer) return;
    transfer->stopRequested = true;
    // Closing the handles under the worker ends a connect or a read it is blocked in.
    closeHandles(*transfer);
    DWORD waited = WaitForSingleObject(transfer->thread.get(), static_cast<DWORD>(transfer->task.stopWaitMs));
    // Not every WinINet ends a blocked receive when its handle is closed (Wine's
    // waits for the receive time-out). The worker can no longer report anything;
    // its half-written file goes now rather than when the receive gives up.
    if (waited == WAIT_TIMEOUT) {
        transfer->abandoned = true;
        DeleteFileW(transfer->temporaryPath.c_str());
    }
}

void Downloader::deliverNotices() {
    for (;;) {
        std::shared_ptr<Transfer> transfer = transfer_;
        if (!transfer) return;
        DownloadNoticeRecord notice{};
        {
            std::lock_guard<std::mutex> guard(transfer->lock);
            if (transfer->notices.empty()) return;
            notice = transfer->notices.front();
            transfer->notices.pop_front();
        }
        if (transfer->task.notify) transfer->task.notify(notice.code, notice.value);
    }
}

}  // namespace vostrel
