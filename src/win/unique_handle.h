// Move-only owners for the Win32 resources the tool opens, after WIL's unique_any:
// one template, one alias per kind. Window handles are not here on purpose: the
// tool never owns another program's windows, and its own die with their parent.
#pragma once

#include <windows.h>
#include <bcrypt.h>
#include <wininet.h>

#include <utility>

namespace vostrel {

template <typename Handle, typename Traits>
class UniqueAny {
public:
    UniqueAny() noexcept = default;
    explicit UniqueAny(Handle handle) noexcept : handle_(handle) {}
    UniqueAny(UniqueAny&& other) noexcept : handle_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    ~UniqueAny() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::invalid(); }

    Handle release() noexcept { return std::exchange(handle_, Traits::invalid()); }
    void reset(Handle handle = Traits::invalid()) noexcept {
        Handle old = std::exchange(handle_, handle);
        if (old != Traits::invalid()) Traits::close(old);
    }
    // For out-parameters: frees what is held, then lets the callee write.
    Handle* put() noexcept { reset(); return &handle_; }

private:
    Handle handle_ = Traits::invalid();
};

struct KernelHandleTraits {
    static HANDLE invalid() noexcept { return nullptr; }
    static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct FileHandleTraits {
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct HGlobalTraits {
    static HGLOBAL invalid() noexcept { return nullptr; }
    static void close(HGLOBAL h) noexcept { ::GlobalFree(h); }
};
struct HInternetTraits {
    static HINTERNET invalid() noexcept { return nullptr; }
    static void close(HINTERNET h) noexcept { ::InternetCloseHandle(h); }
};
struct GdiObjectTraits {
    static HGDIOBJ invalid() noexcept { return nullptr; }
    static void close(HGDIOBJ h) noexcept { ::DeleteObject(h); }
};

// CNG's three handles are one C type: the traits keep them apart.
struct BCryptAlgorithmTraits {
    static BCRYPT_ALG_HANDLE invalid() noexcept { return nullptr; }
    static void close(BCRYPT_ALG_HANDLE h) noexcept { ::BCryptCloseAlgorithmProvider(h, 0); }
};
struct BCryptKeyTraits {
    static BCRYPT_KEY_HANDLE invalid() noexcept { return nullptr; }
    static void close(BCRYPT_KEY_HANDLE h) noexcept { ::BCryptDestroyKey(h); }
};
struct BCryptHashTraits {
    static BCRYPT_HASH_HANDLE invalid() noexcept { return nullptr; }
    static void close(BCRYPT_HASH_HANDLE h) noexcept { ::BCryptDestroyHash(h); }
};

using UniqueHandle   = UniqueAny<HANDLE, KernelHandleTraits>;   // process, thread, event, timer, mapping
using UniqueFile     = UniqueAny<HANDLE, FileHandleTraits>;     // CreateFile's INVALID_HANDLE_VALUE
using UniqueHGlobal  = UniqueAny<HGLOBAL, HGlobalTraits>;
using UniqueHInternet = UniqueAny<HINTERNET, HInternetTraits>;
using UniqueGdiObject = UniqueAny<HGDIOBJ, GdiObjectTraits>;
using UniqueBCryptAlgorithm = UniqueAny<BCRYPT_ALG_HANDLE, BCryptAlgorithmTraits>;
using UniqueBCryptKey = UniqueAny<BCRYPT_KEY_HANDLE, BCryptKeyTraits>;
using UniqueBCryptHash = UniqueAny<BCRYPT_HASH_HANDLE, BCryptHashTraits>;  // destroy before its hash object

// GlobalLock for the lifetime of the guard.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL memory) noexcept
        : memory_(memory), data_(memory ? ::GlobalLock(memory) : nullptr) {}
    ~GlobalLockGuard() { if (data_) ::GlobalUnlock(memory_); }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    void* data() const noexcept { return data_; }

private:
    HGLOBAL memory_;
    void* data_;
};

// Closes the clipboard only if this guard opened it. OpenClipboard fails while
// another program holds it, often for a few ms right after a change, so the
// guard retries a handful of times, 8 ms apart, and never spins.
class ClipboardGuard {
public:
    explicit ClipboardGuard(HWND owner = nullptr, int attempts = 8) noexcept {
        for (int i = 0; i < attempts && !opened_; ++i) {
            if (i > 0) ::Sleep(8);
            opened_ = ::OpenClipboard(owner) != FALSE;
        }
    }
    ~ClipboardGuard() { if (opened_) ::CloseClipboard(); }
    ClipboardGuard(const ClipboardGuard&) = delete;
    ClipboardGuard& operator=(const ClipboardGuard&) = delete;
    bool opened() const noexcept { return opened_; }

private:
    bool opened_ = false;
};

template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) noexcept : f_(std::move(f)) {}
    ~ScopeExit() { if (armed_) f_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    void dismiss() noexcept { armed_ = false; }

private:
    F f_;
    bool armed_ = true;
};

template <typename F>
ScopeExit<F> scopeExit(F f) noexcept { return ScopeExit<F>(std::move(f)); }

}  // namespace vostrel
