// What the tool's HTTP requests share: the user agent and the split of an address.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

namespace vostrel {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

struct HttpAddress {
    std::string host;
    INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
    std::string object;  // path and query, "/" at least
    bool secure = false;
};

// Splits an http:// or https:// address; false for anything else.
bool splitHttpAddress(const std::string& address, HttpAddress& out);

}  // namespace vostrel
