#include "win/machine.h"

#include "core/pe_image.h"

#include <windows.h>

#include <optional>

namespace vostrel {
namespace {

// Functions of newer Windows, looked up where they exist: IsWow64Process2 (Windows
// 10 1511), IsWow64GuestMachineSupported (Windows 10 1709).
using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
using GuestSupportedFunction = HRESULT(WINAPI*)(USHORT, BOOL*);

template <typename Function>
Function kernelFunction(const char* name) {
    // Through void(*)(): a cast between unrelated function types is otherwise flagged.
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

}  // namespace

std::uint16_t nativeMachine() {
    USHORT process = 0, native = 0;
    if (auto isWow64Process2 = kernelFunction<IsWow64Process2Function>("IsWow64Process2")) {
        if (isWow64Process2(GetCurrentProcess(), &process, &native) && native != 0) return native;
    }
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    switch (info.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_INTEL: return machine::kX86;
    case PROCESSOR_ARCHITECTURE_AMD64: return machine::kX64;
    case 12: return machine::kArm64;  // PROCESSOR_ARCHITECTURE_ARM64, newer than our headers' floor
    }
    return 0;
}

bool windowsRunsProgramFor(std::uint16_t machine) {
    std::optional<bool> guest;
    if (auto supported = kernelFunction<GuestSupportedFunction>("IsWow64GuestMachineSupported")) {
        BOOL yes = FALSE;
        if (SUCCEEDED(supported(machine, &yes))) guest = yes != FALSE;
    }
    return windowsRunsMachine(machine, nativeMachine(), guest);
}

}  // namespace vostrel
