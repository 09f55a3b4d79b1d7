#pragma once

#include <cstdint>

namespace vostrel {

void onUpdateWindowCreated();
void startUpdateDownload();    // 按钮1 of UpdateWindow
void showDownloadProgress();   // every tick of 时钟
void onDownloadNotice(int code, std::int64_t value);

}  // namespace vostrel
