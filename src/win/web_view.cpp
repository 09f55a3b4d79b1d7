#include "win/web_view.h"

#include "win/gbk_wide.h"
#include "win/http_address.h"
#include "win/unique_handle.h"

#include <string>
#include <thread>

namespace vostrel {

void requestPageInBackground(const char* url) {
    if (!url || !*url) return;
    std::thread([address = std::string(url)] {
        UniqueHInternet session(InternetOpenW(toWide(kUserAgent).c_str(),
                                              INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!session) return;
        UniqueHInternet page(InternetOpenUrlW(session.get(), toWide(address).c_str(), nullptr, 0,
                                              INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD, 0));
        if (!page) return;
        char buffer[4096];
        DWORD read = 0;
        while (InternetReadFile(page.get(), buffer, sizeof buffer, &read) && read > 0) {
        }
    }).detach();
}

}  // namespace vostrel
