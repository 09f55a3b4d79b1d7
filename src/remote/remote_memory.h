// Memory that a control in another process can address: a block is allocated in
// that process (NT family) or, on the older systems, is the view of a shared
// page-file mapping, which every process there sees at the same address.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vostrel {

namespace os_class {
constexpr int kUnknown = 0;
constexpr int kWin32s = 1;
constexpr int kWindows9x = 2;
constexpr int kNt = 3;
}  // namespace os_class

// The class of the running system from GetVersionExW's platform id.
int operatingSystemClass();

struct SharedMapping {
    HANDLE mappingHandle = nullptr;
    void* viewAddress = nullptr;  // the block address handed out
};

class RemoteMemory {
public:
    RemoteMemory() = default;
    // The records are the object's; the views and mapping handles they name are not
    // unmapped or closed here (their blocks are released in the exchange that made them).
    ~RemoteMemory() = default;
    RemoteMemory(const RemoteMemory&) = default;
    RemoteMemory& operator=(const RemoteMemory&) = default;

    // Closes the handle (0 is left alone) and forgets the mapping records.
    void closeProcess(HANDLE process);
    // The process that owns the window, opened with every access right; 0 on failure.
    HANDLE openWindowProcess(HWND window);
    bool writeMemory(HANDLE process, void* address, const void* source, int count);
    // A block of size bytes the other process can address, or 0.
    void* allocate(HANDLE process, int size);
    // Nonzero when the block was released.
    BOOL release(HANDLE process, void* address);
    // Exactly count bytes (empty for count <= 0); zeros where the block cannot be read.
    std::string readMemory(HANDLE process, const void* address, int count);
    // 32 or 64: the bitness of the process, whose records a list view there reads;
    // 0 when it cannot be learnt.
    int processBits(HANDLE process) const;

    int osClass() const { return osClass_; }
    const std::vector<SharedMapping>& mappings() const { return mappings_; }

    // Tests only: Wine always reports the NT family, so the mapping path is
    // chosen by forcing the class. -1 goes back to asking the system.
    void forceOsClass(int osClass) { forcedOsClass_ = osClass; }
    // Tests only: the answer of processBits for every process; -1 asks the system.
    void forceProcessBits(int bits) { forcedProcessBits_ = bits; }

private:
    int osClass_ = os_class::kUnknown;
    std::vector<SharedMapping> mappings_;
    int forcedOsClass_ = -1;
    int forcedProcessBits_ = -1;
};

}  // namespace vostrel
