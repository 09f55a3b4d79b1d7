#include "win/http_address.h"

#include "core/gbk_text.h"
#include "win/gbk_wide.h"

#include <iterator>

namespace vostrel {

bool splitHttpAddress(const std::string& address, HttpAddress& out) {
    wchar_t host[256] = {}, path[2048] = {}, extra[2048] = {};
    URL_COMPONENTSW parts{sizeof parts};
    parts.lpszHostName = host;
    parts.dwHostNameLength = static_cast<DWORD>(std::size(host));
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = static_cast<DWORD>(std::size(path));
    parts.lpszExtraInfo = extra;
    parts.dwExtraInfoLength = static_cast<DWORD>(std::size(extra));
    // A name from the page may hold GBK bytes: they travel as %XX, the same bytes a
    // server gets from a Chinese Windows, and the address is plain ASCII from here on.
    std::wstring escaped = toWide(percentEncodeHighBytes(address));
    if (!InternetCrackUrlW(escaped.c_str(), 0, 0, &parts)) return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
    out.host = toGbk(host);
    out.port = parts.nPort;
    out.object = toGbk(path[0] ? path : L"/") + toGbk(extra);
    out.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    return true;
}

}  // namespace vostrel
