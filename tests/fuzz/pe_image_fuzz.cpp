// A downloaded file's first bytes come from the network: any bytes. readPeImage
// reads only inside them, and what it accepts has "MZ" and "PE\0\0" where the
// DOS header points.
#include "core/pe_image.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (auto image = vostrel::readPeImage(bytes)) {
        if (bytes.substr(0, 2) != "MZ") std::abort();
        size_t pe = static_cast<size_t>(data[0x3C]) | static_cast<size_t>(data[0x3D]) << 8 |
                    static_cast<size_t>(data[0x3E]) << 16 | static_cast<size_t>(data[0x3F]) << 24;
        if (bytes.substr(pe, 4) != std::string_view("PE\0\0", 4)) std::abort();
    }
    return 0;
}
