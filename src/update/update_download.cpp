#include "update/update_download.h"

namespace vostrel {

void onUpdateWindowCreated() {}
void startUpdateDownload() {}
void showDownloadProgress() {}
void onDownloadNotice(int, std::int64_t) {}

}  // namespace vostrel
