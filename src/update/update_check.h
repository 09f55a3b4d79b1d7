#pragma once

#include <string>

namespace vostrel {

// Fixed at build time; the tests' build points it at a loopback server.
constexpr char kUpdatePageAddress[] = VOSTREL_UPDATE_URL;

// Once at start-up: read the update page and open the update window if it asks.
void checkForUpdate();

// Handles the pending window messages once, then fetches the page (HTTP/1.0 GET,
// whatever the status) and returns its section; empty on any failure, and when the
// page runs past 64 KB without its end marker or takes longer than 5 s in all.
// The body as text, up to its first zero byte, goes to *page when given.
std::string readUpdatePage(std::string* page = nullptr, const char* address = kUpdatePageAddress);

}  // namespace vostrel
