#include "core/progress_format.h"

#include <cmath>

namespace vostrel {
namespace {

constexpr char kProgressPrefix[] = "\xD5\xFD\xD4\xDA\xCF\xC2\xD4\xD8...\xD2\xD1\xCD\xEA\xB3\xC9\xA3\xBA";  // 正在下载...已完成：
constexpr char kSpeedPrefix[] = "\xCF\xC2\xD4\xD8\xCB\xD9\xB6\xC8\xA3\xBA";                            // 下载速度：
constexpr char kPerSecond[] = "/\xC3\xEB";                                                            // /秒
constexpr char kDownloadedPrefix[] = "\xD2\xD1\xBE\xAD\xCF\xC2\xD4\xD8\xA3\xBA";                       // 已经下载：
constexpr char kElapsedPrefix[] = "\xD2\xD1\xD3\xC3\xCA\xB1\xBC\xE4\xA3\xBA";                          // 已用时间：
constexpr char kHoursLong[] = "\xD0\xA1\xCA\xB1";                                                     // 小时
constexpr char kMinutesLong[] = "\xB7\xD6\xD6\xD3";                                                   // 分钟
constexpr char kSeconds[] = "\xC3\xEB";                                                               // 秒
constexpr char kRemainingPrefix[] = "\xCA\xA3\xD3\xE0\xCA\xB1\xBC\xE4\xA3\xBA";                        // 剩余时间：
constexpr char kHoursShort[] = "\xCA\xB1";                                                            // 时
constexpr char kMinutesShort[] = "\xB7\xD6";                                                          // 分
constexpr char kUnknown[] = "\xCE\xB4\xD6\xAA";                                                       // 未知
constexpr char kFailedPrefix[] = "\xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC\xA3\xBA";                           // 下载失败：
constexpr char kServerAnswered[] = "\xB7\xFE\xCE\xF1\xC6\xF7\xB7\xB5\xBB\xD8";                         // 服务器返回
constexpr char kTransferBroken[] = "\xB4\xAB\xCA\xE4\xD6\xD0\xB6\xCF";                                 // 传输中断
constexpr char kBadProgramName[] = "\xB3\xCC\xD0\xF2\xC3\xFB\xD7\xD6\xCE\xDE\xD0\xA7";                 // 程序名字无效

// value / unit in hundredths, halves away from zero, without overflowing for any
// positive 64-bit value: the remainder is below 2^30, so remainder * 200 fits.
std::int64_t hundredthsOf(std::int64_t value, std::int64_t unit) {
    std::int64_t whole = value / unit;
    std::int64_t rest = value % unit;
    return whole * 100 + (rest * 200 + unit) / (2 * unit);
}

std::string decimalText(std::int64_t hundredths) {
    std::string text = std::to_string(hundredths / 100);
    int fraction = static_cast<int>(hundredths % 100);
    if (fraction != 0) {
        text += '.';
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0) text += static_cast<char>('0' + fraction % 10);
    }
    return text;
}

}  // namespace

std::string sizeText(std::int64_t bytes) {
    constexpr std::int64_t kKilo = 1024, kMega = kKilo * 1024, kGiga = kMega * 1024;
    if (bytes <= 0) return std::to_string(bytes);
    if (bytes < kKilo) return std::to_string(bytes) + "B";
    if (bytes < kMega) return decimalText(hundredthsOf(bytes, kKilo)) + "KB";
    if (bytes < kGiga) return decimalText(hundredthsOf(bytes, kMega)) + "MB";
    return decimalText(hundredthsOf(bytes, kGiga)) + "GB";
}

void advanceElapsedClock(int& seconds, int& minutes, int& hours) {
    ++seconds;
    if (seconds > 60) {
        seconds = 1;
        ++minutes;
    }
    if (minutes > 60) {
        minutes = 1;
        ++hours;
    }
}

std::string remainingTimeText(std::int64_t seconds) {
    return std::string(kRemainingPrefix) + std::to_string(seconds / 3600) + kHoursShort +
           std::to_string(seconds / 60 % 60) + kMinutesShort + std::to_string(seconds % 60) + kSeconds;
}

ProgressLabels formatProgress(const ProgressSample& sample) {
    ProgressLabels labels;
    bool sizeKnown = sample.totalBytes > 0;
    if (sizeKnown) {
        double percent = std::round(static_cast<double>(sample.downloadedBytes) / sample.totalBytes * 100.0);
        labels.barPosition = static_cast<int>(percent);
        labels.progress = kProgressPrefix + std::to_string(labels.barPosition) + "%";
    } else {
        labels.progress = std::string(kProgressPrefix) + kUnknown;
    }

    labels.speed = kSpeedPrefix + sizeText(sample.bytesThisTransfer) + kPerSecond;

    labels.downloaded = kDownloadedPrefix + sizeText(sample.downloadedBytes) + "/" +
                        (sizeKnown ? sizeText(static_cast<std::int64_t>(sample.totalBytes)) : kUnknown);

    labels.elapsed = kElapsedPrefix + std::to_string(sample.hours) + kHoursLong + std::to_string(sample.minutes) +
                     kMinutesLong + std::to_string(sample.seconds) + kSeconds;

    double left = sample.totalBytes - static_cast<double>(sample.downloadedBytes);
    if (sizeKnown && left <= 0) {
        labels.remaining = remainingTimeText(0);
    } else if (sizeKnown && sample.bytesAllTransfers > 0) {
        labels.remaining = remainingTimeText(
            static_cast<std::int64_t>(std::floor(left / static_cast<double>(sample.bytesAllTransfers))));
    } else {
        labels.remaining = std::string(kRemainingPrefix) + kUnknown;
    }
    return labels;
}

std::string downloadFailedText(std::int64_t httpStatus) {
    if (httpStatus > 0 && httpStatus != 200) return kFailedPrefix + (kServerAnswered + std::to_string(httpStatus));
    return std::string(kFailedPrefix) + kTransferBroken;
}

std::string rejectedProgramNameText() { return std::string(kFailedPrefix) + kBadProgramName; }

}  // namespace vostrel
