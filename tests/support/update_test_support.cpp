#include "update_test_support.h"

#include "test_support.h"
#include "win/gbk_wide.h"

#include "win/gbk_wide.h"
#include "win/unique_handle.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>

namespace vostrel::test {

std::string serverAddress() { return "http://127.0.0.1:" + std::to_string(VOSTREL_UPDATE_PORT) + "/"; }

std::string servedPath(const std::string& name) { return siblingPath("update-served\\" + name); }

ServedFiles::~ServedFiles() {
    for (const std::string& name : names_) DeleteFileW(toWide(servedPath(name)).c_str());
}

bool ServedFiles::put(const std::string& name, const std::string& bytes) {
    names_.push_back(name);
    return writeFileBytes(servedPath(name), bytes);
}

bool ServedFiles::copy(const std::string& name, const std::string& fromPath, size_t padTo) {
    std::string bytes = readFileBytes(fromPath);
    if (bytes.empty()) return false;
    // Bytes past the end of an exe's image are never loaded: it still runs.
    if (bytes.size() < padTo) bytes.resize(padTo, '\0');
    return put(name, bytes);
}

bool ServedFiles::sign(const std::string& name, Signer by) {
    names_.push_back(name + ".sig");
    std::string address = serverAddress() + "sign/" + name + (by == Signer::Stranger ? "?by=stranger" : "");
    UniqueHInternet session(InternetOpenW(L"update tests", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    UniqueHInternet request(InternetOpenUrlW(session.get(), toWide(address).c_str(), nullptr, 0,
                                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    DWORD status = 0, size = sizeof status;
    if (!request ||
        !HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
        std::fprintf(stderr, "no answer to %s\n", address.c_str());
        return false;
    }
    if (status == HTTP_STATUS_OK) return true;
    char why[1024] = {};
    DWORD got = 0;
    InternetReadFile(request.get(), why, sizeof why - 1, &got);
    std::fprintf(stderr, "%s: %lu %s\n", address.c_str(), status, why);
    return false;
}

std::string LoggedRequest::header(const std::string& name) const {
    std::string prefix = name + ": ";
    for (const std::string& h : headers) {
        if (h.size() >= prefix.size() && _strnicmp(h.c_str(), prefix.c_str(), prefix.size()) == 0) {
            return h.substr(prefix.size());
        }
    }
    return {};
}

std::vector<LoggedRequest> requestsFor(const std::string& path) {
    std::string log = readFileBytes(siblingPath("update-requests.log"));
    std::vector<LoggedRequest> found;
    size_t at = 0;
    while (at < log.size()) {
        size_t end = log.find("\r\n\r\n", at);
        std::string block = log.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? log.size() : end + 4;
        LoggedRequest request;
        size_t lineStart = 0;
        while (lineStart <= block.size()) {
            size_t lineEnd = block.find("\r\n", lineStart);
            std::string line = block.substr(lineStart, lineEnd == std::string::npos ? std::string::npos
                                                                                    : lineEnd - lineStart);
            if (request.line.empty()) {
                request.line = line;
            } else if (!line.empty()) {
                request.headers.push_back(line);
            }
            if (lineEnd == std::string::npos) break;
            lineStart = lineEnd + 2;
        }
        if (request.line.rfind("GET " + path + " ", 0) == 0) found.push_back(request);
    }
    return found;
}

}  // namespace vostrel::test
