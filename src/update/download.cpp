#include "update/download.h"

#include "win/file_signature.h"
#include "win/gbk_wide.h"
#include "win/http_address.h"
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

bool readAt(HANDLE file, std::int64_t offset, char* bytes, DWORD count) {
    LARGE_INTEGER at{};
    at.QuadPart = offset;
    DWORD got = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, bytes, count, &got, nullptr) &&
           got == count;
}

// A Windows program starts with "MZ", and the 32-bit value at 0x3C of that
// header tells where its "PE\0\0" header lies. A captive portal's page, an
// error text or a cut file has neither.
bool holdsWindowsProgram(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    unsigned char header[64] = {};
    if (!file || !readAt(file.get(), 0, reinterpret_cast<char*>(header), sizeof header)) return false;
    if (header[0] != 'M' || header[1] != 'Z') return false;
    std::int64_t peAt = header[0x3C] | header[0x3D] << 8 | header[0x3E] << 16 |
                        static_cast<std::int64_t>(header[0x3F]) << 24;
    char signature[4] = {};
    return readAt(file.get(), peAt, signature, sizeof signature) && std::memcmp(signature, "PE\0\0", 4) == 0;
}

// Moves the finished file over the destination. The file of a running program
// cannot be replaced, but it can be renamed: it goes aside first, and comes back
// when the new one cannot be moved in. A file left aside by an earlier update
// goes now, so that one found aside later is this update's.
bool moveIntoPlace(const std::wstring& temporary, const std::wstring& destination) {
    constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    std::wstring aside = previousVersionPath(destination);
    DeleteFileW(aside.c_str());
    if (MoveFileExW(temporary.c_str(), destination.c_str(), kReplace)) return true;
    if (!MoveFileExW(destination.c_str(), aside.c_str(), kReplace)) return false;
    if (MoveFileExW(temporary.c_str(), destination.c_str(), kReplace)) return true;
    MoveFileExW(aside.c_str(), destination.c_str(), kReplace);
    return false;
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
    } else if (endsWithExe(task.destinationPath) && !holdsWindowsProgram(temporary)) {
        refused = downloadFailure::kNotAProgram;
    } else if (!signedByKeyHolder(t)) {
        refused = downloadFailure::kNotSigned;
    } else if (!moveIntoPlace(temporary, task.destinationPath)) {
        refused = downloadFailure::kBroken;
    }
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
    std::int64_t length = queryContentLength(request);
    if (length < 0 && !isChunked(request)) return failed(downloadFailure::kBroken);
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

std::wstring previousVersionPath(const std::wstring& destination) { return destination + L".old"; }

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
