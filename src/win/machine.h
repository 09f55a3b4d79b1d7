// Which programs this Windows can start, by the processor they are built for.
#pragma once

#include <cstdint>

namespace vostrel {

// The processor of this Windows itself (not of this process, which may run under
// WOW64 or emulation): an IMAGE_FILE_MACHINE_* value, 0 when unknown.
std::uint16_t nativeMachine();

// Whether this Windows starts a program built for `machine`: its own processor's
// programs; x86 ones on x64 and ARM64 Windows (WOW64, emulation); x64 ones on an
// ARM64 Windows that emulates them (Windows 11), as Windows itself says.
bool windowsRunsProgramFor(std::uint16_t machine);

}  // namespace vostrel
