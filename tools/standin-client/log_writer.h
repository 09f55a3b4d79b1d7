// The log named on the command line: one "\n"-ended line per effect, appended and
// flushed as it happens (the formats and the escaping are in standin_log.h).
// Without an open log nothing is written.
#pragma once

#include <string>
#include <string_view>

namespace standin {

void openLog(const std::wstring& path);
void closeLog();

void logLine(const std::string& line);

// "<effect> m<N>", and "<effect> m<N> <detail>" (the space stays when the detail is empty).
void logEffect(std::string_view effect, int member);
void logEffect(std::string_view effect, int member, std::string_view detail);

}  // namespace standin
