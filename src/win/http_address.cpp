#include "win/http_address.h"

namespace vostrel {

bool splitHttpAddress(const std::string& address, HttpAddress& out) {
    char host[256] = {}, path[2048] = {}, extra[2048] = {};
    URL_COMPONENTSA parts{sizeof parts};
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    parts.lpszExtraInfo = extra;
    parts.dwExtraInfoLength = sizeof extra;
    if (!InternetCrackUrlA(address.c_str(), 0, 0, &parts)) return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
    out.host = host;
    out.port = parts.nPort;
    out.object = std::string(path[0] ? path : "/") + extra;
    out.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    return true;
}

}  // namespace vostrel
