#pragma once
#include <windows.h>

namespace vostrel {
// Decodes a JPEG stored as an RCDATA resource into a bitmap the caller owns; 0 on failure.
HBITMAP loadJpegResource(const char* resourceName);
}
