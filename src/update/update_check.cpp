#include "update/update_check.h"

#include "core/update_page.h"
#include "update/update_state.h"
#include "update/update_window.h"
#include "win/gbk_wide.h"
#include "win/http_address.h"
#include "win/input_box.h"
#include "win/message_loop.h"
#include "win/unique_handle.h"

#include <wininet.h>

#include <atomic>
#include <memory>
#include <vector>

namespace vostrel {
namespace {

// The page is a few hundred bytes; a server that sends more than this without
// the section's end marker sends no update page.
constexpr size_t kPageCap = 64 * 1024;
// The whole read, connection included, happens before the main window takes
// input: a server that trickles a byte at a time must not hold up the start.
constexpr DWORD kPageDeadlineMs = 5000;

// What the reading thread shares with the user-interface thread, which may stop
// waiting for it and leave it to end on its own.
struct PageRead {
    std::string address;
    std::string body;  // complete once `done` is set
    std::atomic<bool> abandoned{false};
    UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// The body read so far holds all that counts of the page: the section's end
// marker, or a zero byte, after which nothing counts.
bool holdsWholePage(std::string_view body) {
    return body.find('\0') != std::string_view::npos || !updatePageSection(body).empty();
}

// The body of a GET, whatever its status, up to the section's end; empty when
// anything fails or the page runs past the cap. The request is HTTP/1.0 and
// neither reads nor fills the local cache: the page must be the server's current one.
std::string fetchPage(const std::string& address, const std::atomic<bool>& abandoned) {
    HttpAddress parts;
    if (!splitHttpAddress(address, parts)) return {};

    UniqueHInternet session(InternetOpenW(toWide(kUserAgent).c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return {};
    // An abandoned read ends by itself soon after the deadline.
    DWORD timeout = kPageDeadlineMs;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionW(session.get(), option, &timeout, sizeof timeout);
    }
    UniqueHInternet connection(InternetConnectW(session.get(), toWide(parts.host).c_str(), parts.port, nullptr,
                                                nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return {};
    const wchar_t* accept[] = {L"*/*", nullptr};
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI;
    if (parts.secure) flags |= INTERNET_FLAG_SECURE;
    UniqueHInternet request(
        HttpOpenRequestW(connection.get(), L"GET", toWide(parts.object).c_str(), L"HTTP/1.0", nullptr, accept, flags, 0));
    if (!request || !HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) return {};

    std::string body;
    std::vector<char> block(8192);
    DWORD got = 0;
    while (!abandoned && InternetReadFile(request.get(), block.data(), static_cast<DWORD>(block.size()), &got) &&
           got > 0) {
        body.append(block.data(), got);
        if (holdsWholePage(body)) break;
        if (body.size() >= kPageCap) return {};
    }
    return body;
}

DWORD WINAPI pageReadThread(void* parameter) {
    std::unique_ptr<std::shared_ptr<PageRead>> owned(static_cast<std::shared_ptr<PageRead>*>(parameter));
    PageRead& read = **owned;
    read.body = fetchPage(read.address, read.abandoned);
    SetEvent(read.done.get());
    return 0;
}

// The read runs on a thread of its own so that the deadline holds whatever the
// network does; this thread waits for it without handling messages.
std::string fetchPageWithinDeadline(const char* address) {
    if (!address) return {};
    auto read = std::make_shared<PageRead>();
    read->address = address;
    if (!read->done) return {};
    auto* threadReference = new std::shared_ptr<PageRead>(read);
    UniqueHandle thread(CreateThread(nullptr, 0, pageReadThread, threadReference, 0, nullptr));
    if (!thread) {
        delete threadReference;
        return {};
    }
    if (WaitForSingleObject(read->done.get(), kPageDeadlineMs) != WAIT_OBJECT_0) {
        read->abandoned = true;
        return {};
    }
    return std::move(read->body);
}

}  // namespace

std::string readUpdatePage(std::string* page, const char* address) {
    // Paint the main window before the tool blocks on the network.
    processPendingMessages();
    std::string body = fetchPageWithinDeadline(address);
    body.resize(body.find('\0') == std::string::npos ? body.size() : body.find('\0'));
    if (page) *page = body;
    return updatePageSection(body);
}

void checkForUpdate() {
    UpdateState& state = updateState();
    readDecisionKeys(readUpdatePage(), state.updateInfo);

    if (isYes(state.updateInfo.forceUpdate)) openUpdateWindow();
    if (isYes(state.updateInfo.promptUpdate)) {
        // After a forced update the main window is closed, and the last window's
        // end has asked the loop to quit: a message box would end at once on that
        // request. It waits until the user has answered.
        MSG quit{};
        bool quitting = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
        int answer = showMessage("当前程序已经有更新版本,是否更新", "助手版本更新提示：", MB_YESNO | MB_TASKMODAL);
        if (answer == IDYES) openUpdateWindow();
        if (quitting) PostQuitMessage(static_cast<int>(quit.wParam));
    }
}

}  // namespace vostrel
