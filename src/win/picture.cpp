#include "win/picture.h"

#include "win/gbk_wide.h"
#include "win/unique_handle.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>

namespace vostrel {

HBITMAP loadJpegResource(const char* resourceName) {
    HMODULE module = GetModuleHandleW(nullptr);
    // RT_RCDATA as the W call takes it (the SDK macro follows UNICODE, which we leave unset).
    HRSRC resource = FindResourceW(module, toWide(resourceName).c_str(), MAKEINTRESOURCEW(10));
    if (!resource) return nullptr;
    DWORD size = SizeofResource(module, resource);
    const void* bytes = LockResource(LoadResource(module, resource));
    if (!bytes || size == 0) return nullptr;

    // OleLoadPicture reads from a stream; the stream takes the memory block.
    UniqueHGlobal copy(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!copy) return nullptr;
    {
        GlobalLockGuard lock(copy.get());
        if (!lock.data()) return nullptr;
        std::memcpy(lock.data(), bytes, size);
    }
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(copy.get(), TRUE, &stream))) return nullptr;
    copy.release();

    IPicture* picture = nullptr;
    HRESULT loaded = OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                    reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(loaded) || !picture) return nullptr;

    // The picture owns its bitmap; keep a copy that outlives it.
    OLE_HANDLE handle = 0;
    HBITMAP result = nullptr;
    if (SUCCEEDED(picture->get_Handle(&handle))) {
        result = static_cast<HBITMAP>(
            CopyImage(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    }
    picture->Release();
    return result;
}

}  // namespace vostrel
