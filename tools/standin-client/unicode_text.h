// The client is a Unicode program, as the real one is: what it shows and what it
// receives is UTF-16. GBK meets it in two places only, the contract's class and
// titles (standin_log.h) and the log, both converted here with code page 936 by
// name, never with the system's code page.
#pragma once

#include <string>
#include <string_view>

namespace standin {

std::wstring wide(std::string_view gbk);

// Received text as the log writes it: GBK where a character has an exact GBK form,
// "\u{XXXX}" where it has none, escaped so that it stays on one line (standin_log.h).
std::string logText(std::wstring_view received);

}  // namespace standin
