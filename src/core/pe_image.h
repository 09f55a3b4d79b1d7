// What the headers of a Windows program say about it, read from the first bytes
// of a downloaded file before it may replace anything.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vostrel {

namespace machine {
constexpr std::uint16_t kX86 = 0x014C;
constexpr std::uint16_t kX64 = 0x8664;
constexpr std::uint16_t kArm64 = 0xAA64;
}  // namespace machine

struct PeImage {
    std::uint16_t machine = 0;
    // The file is whole only when it is at least this long: the end of the headers,
    // of every section's raw data, and of the certificate table where one is named.
    std::uint64_t wholeLength = 0;
};

// The bytes must begin the file and hold its headers and section table (the first
// 64 KB of a file do for any program a linker makes). Nothing when they are no
// Windows program: no "MZ", no "PE\0\0" where the DOS header points, no PE32 or
// PE32+ optional header, or a section table that does not fit.
std::optional<PeImage> readPeImage(std::string_view headerBytes);

// Whether a Windows whose own processor is `native` starts a program built for
// `program`. guestSupported answers for the machines that Windows emulates or
// runs under WOW64 where it can say (IsWow64GuestMachineSupported); without it an
// x86 program runs everywhere (x64 and ARM64 Windows carry WOW64 for it) and any
// other only on its own processor.
bool windowsRunsMachine(std::uint16_t program, std::uint16_t native,
                        std::optional<bool> guestSupported = std::nullopt);

}  // namespace vostrel
