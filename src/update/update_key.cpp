#include "update/update_key.h"

#include <cstddef>

namespace vostrel {
namespace {

// CMake lets only 128 hex digits or nothing through.
std::string bytesOfHex(const char* hex) {
    auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    std::string bytes;
    for (std::size_t at = 0; hex[at] && hex[at + 1]; at += 2) {
        bytes.push_back(static_cast<char>(nibble(hex[at]) << 4 | nibble(hex[at + 1])));
    }
    return bytes;
}

}  // namespace

const std::string& updatePublicKey() {
    static const std::string key = bytesOfHex(VOSTREL_UPDATE_PUBLIC_KEY);
    return key;
}

}  // namespace vostrel
