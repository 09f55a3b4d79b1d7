#include "log_writer.h"

#include "standin_log.h"

#include <windows.h>

namespace standin {
namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;

std::string effectLine(std::string_view effect, int member) {
    std::string line(effect);
    line += ' ';
    line += memberTag(member);
    return line;
}

}  // namespace

void openLog(const std::wstring& path) {
    g_log = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void closeLog() {
    if (g_log != INVALID_HANDLE_VALUE) CloseHandle(g_log);
    g_log = INVALID_HANDLE_VALUE;
}

void logLine(const std::string& line) {
    if (g_log == INVALID_HANDLE_VALUE) return;
    std::string bytes = line + "\n";
    DWORD written = 0;
    WriteFile(g_log, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    FlushFileBuffers(g_log);
}

void logEffect(std::string_view effect, int member) { logLine(effectLine(effect, member)); }

void logEffect(std::string_view effect, int member, std::string_view detail) {
    std::string line = effectLine(effect, member);
    line += ' ';
    line += detail;
    logLine(line);
}

}  // namespace standin
