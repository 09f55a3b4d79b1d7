#pragma once

#include <string>

namespace vostrel {

// The four values of the update-information page, GBK texts, empty when absent.
struct UpdateInfo {
    std::string forceUpdate;    // "是否强制更新="
    std::string promptUpdate;   // "是否提示更新="
    std::string updateAddress;  // "自动更新地址="
    std::string programName;    // "程序名字="
};

}  // namespace vostrel
