#include "remote/remote_memory.h"

#include <algorithm>

namespace vostrel {

namespace {
// PROCESS_ALL_ACCESS as the systems before Vista define it: the newer, larger value
// is refused by those systems.
constexpr DWORD kProcessAllAccess = 0x1F0FFF;

// Looked up, not imported: the systems before XP SP2 lack it, and they are all 32-bit.
bool isWow64Process(HANDLE process, bool& wow64) {
    using Function = BOOL(WINAPI*)(HANDLE, PBOOL);
    static const auto function = reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
    BOOL answer = FALSE;
    if (!function || !function(process, &answer)) return false;
    wow64 = answer != FALSE;
    return true;
}
}  // namespace

int operatingSystemClass() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;  // 276
    if (!GetVersionExW(&version)) return os_class::kUnknown;
    switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32s: return os_class::kWin32s;
    case VER_PLATFORM_WIN32_WINDOWS: return os_class::kWindows9x;
    case VER_PLATFORM_WIN32_NT: return os_class::kNt;
    default: return os_class::kUnknown;
    }
}

void RemoteMemory::closeProcess(HANDLE process) {
    if (!process) return;
    CloseHandle(process);
    mappings_.clear();
}

HANDLE RemoteMemory::openWindowProcess(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == 0) return nullptr;  // no such window: do not ask for process 0
    return OpenProcess(kProcessAllAccess, FALSE, processId);
}

bool RemoteMemory::writeMemory(HANDLE process, void* address, const void* source, int count) {
    if (count < 0) return false;
    return WriteProcessMemory(process, address, source, static_cast<SIZE_T>(count), nullptr) != FALSE;
}

void* RemoteMemory::allocate(HANDLE process, int size) {
    osClass_ = forcedOsClass_ >= 0 ? forcedOsClass_ : operatingSystemClass();
    // A negative size is no size: read as unsigned it would be 4 GB, which a 64-bit
    // process may well be given.
    if (size <= 0) return nullptr;
    if (osClass_ == os_class::kNt) {
        return VirtualAllocEx(process, nullptr, static_cast<SIZE_T>(static_cast<unsigned>(size)), MEM_COMMIT,
                              PAGE_READWRITE);
    }
    // A mapping that failed leaves no record behind: its block was never handed out,
    // and a record of handle 0 would turn a later release(0) into a success. Unnamed:
    // every block is a mapping of its own.
    SharedMapping mapping;
    mapping.mappingHandle =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(size), nullptr);
    if (!mapping.mappingHandle) return nullptr;
    mapping.viewAddress = MapViewOfFile(mapping.mappingHandle, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    if (!mapping.viewAddress) {
        CloseHandle(mapping.mappingHandle);
        return nullptr;
    }
    mappings_.push_back(mapping);
    return mapping.viewAddress;
}

BOOL RemoteMemory::release(HANDLE process, void* address) {
    if (osClass_ == os_class::kNt) return VirtualFreeEx(process, address, 0, MEM_RELEASE);
    auto found = std::find_if(mappings_.begin(), mappings_.end(),
                              [&](const SharedMapping& m) { return m.viewAddress == address; });
    if (found == mappings_.end()) return 0;
    UnmapViewOfFile(address);
    CloseHandle(found->mappingHandle);
    mappings_.erase(found);
    return 1;
}

int RemoteMemory::processBits(HANDLE process) const {
    if (forcedProcessBits_ >= 0) return forcedProcessBits_;
    bool wow64 = false;
    // A 32-bit program on 32-bit Windows: every process there is 32-bit.
    if (sizeof(void*) == 4 && (!isWow64Process(GetCurrentProcess(), wow64) || !wow64)) return 32;
    // On 64-bit Windows only the processes under WOW64 are 32-bit.
    if (!process || !isWow64Process(process, wow64)) return 0;
    return wow64 ? 32 : 64;
}

std::string RemoteMemory::readMemory(HANDLE process, const void* address, int count) {
    if (count <= 0) return std::string();
    std::string bytes(static_cast<size_t>(count), '\0');
    // Not tested on purpose: whatever could not be read stays zero.
    ReadProcessMemory(process, address, bytes.data(), bytes.size(), nullptr);
    return bytes;
}

}  // namespace vostrel
