#include "update/update_check.h"

#include "app/application_state.h"
#include "app/message_loop.h"
#include "app/unique_handle.h"
#include "app/windows.h"
#include "core/update_page.h"
#include "update/http_address.h"

#include <wininet.h>

#include <vector>

namespace vostrel {
namespace {

// The whole body of a GET, whatever its status; empty when anything fails. The
// request is HTTP/1.0 and neither reads nor fills the local cache: the page must
// be the server's current one.
std::string fetchPage(const char* address) {
    HttpAddress parts;
    if (!address || !splitHttpAddress(address, parts)) return {};

    UniqueHInternet session(InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return {};
    UniqueHInternet connection(InternetConnectA(session.get(), parts.host.c_str(), parts.port, nullptr, nullptr,
                                                INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return {};
    const char* accept[] = {"*/*", nullptr};
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI;
    if (parts.secure) flags |= INTERNET_FLAG_SECURE;
    UniqueHInternet request(
        HttpOpenRequestA(connection.get(), "GET", parts.object.c_str(), "HTTP/1.0", nullptr, accept, flags, 0));
    if (!request || !HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0)) return {};

    std::string body;
    std::vector<char> block(8192);
    DWORD got = 0;
    while (InternetReadFile(request.get(), block.data(), static_cast<DWORD>(block.size()), &got) && got > 0) {
        body.append(block.data(), got);
    }
    return body;
}

}  // namespace

std::string readUpdatePage(std::string* page, const char* address) {
    // Paint the main window before the tool blocks on the network.
    processPendingMessages();
    std::string body = fetchPage(address);
    body.resize(body.find('\0') == std::string::npos ? body.size() : body.find('\0'));
    if (page) *page = body;
    return updatePageSection(body);
}

void checkForUpdate() {
    ApplicationState& state = appState();
    state.checkSection = readUpdatePage(&state.checkPage);
    readDecisionKeys(state.checkSection, state.updateInfo);

    if (isYes(state.updateInfo.forceUpdate)) openUpdateWindow();
    if (isYes(state.updateInfo.promptUpdate)) {
        int answer = MessageBoxA(nullptr, "当前程序已经有更新版本,是否更新", "助手版本更新提示：",
                                 MB_YESNO | MB_TASKMODAL);
        if (answer == IDYES) openUpdateWindow();
    }
}

}  // namespace vostrel
