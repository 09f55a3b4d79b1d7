#include "core/progress_format.h"

#include <cmath>
#include <cstdio>

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
constexpr char kEmptyFile[] = "\xCE\xC4\xBC\xFE\xCE\xAA\xBF\xD5";                                     // 文件为空
constexpr char kNotAProgram[] = "\xB2\xBB\xCA\xC7\xBF\xC9\xD6\xB4\xD0\xD0\xB3\xCC\xD0\xF2";             // 不是可执行程序
constexpr char kWrongMachine[] = "\xD0\xC2\xB3\xCC\xD0\xF2\xB2\xBB\xC4\xDC\xD4\xDA\xD5\xE2\xCC\xA8\xB5\xE7\xC4\xD4\xB5\xC4Windows\xC9\xCF\xD4\xCB\xD0\xD0,\xC3\xBB\xD3\xD0\xCC\xE6\xBB\xBB\xC8\xCE\xBA\xCE\xCE\xC4\xBC\xFE";  // 新程序不能在这台电脑的Windows上运行,没有替换任何文件
constexpr char kCannotReplace[] = "\xD4\xAD\xC0\xB4\xB5\xC4\xB3\xCC\xD0\xF2\xCE\xC4\xBC\xFE\xB1\xBB\xD5\xBC\xD3\xC3\xBB\xF2\xD6\xBB\xB6\xC1,\xCE\xDE\xB7\xA8\xCC\xE6\xBB\xBB";  // 原来的程序文件被占用或只读,无法替换
constexpr char kUpdateFailedPrefix[] = "\xB8\xFC\xD0\xC2\xCA\xA7\xB0\xDC\xA3\xBA";  // 更新失败：
constexpr char kCouldNotStart[] = "\xD0\xC2\xB3\xCC\xD0\xF2\xCE\xDE\xB7\xA8\xC6\xF4\xB6\xAF";  // 新程序无法启动
constexpr char kEndedAtOnce[] = "\xD0\xC2\xB3\xCC\xD0\xF2\xC6\xF4\xB6\xAF\xBA\xF3\xC1\xA2\xBC\xB4\xCD\xCB\xB3\xF6(\xB4\xFA\xC2\xEB ";  // 新程序启动后立即退出(代码 
constexpr char kRestored[] = ",\xD2\xD1\xBB\xD6\xB8\xB4\xD4\xAD\xC0\xB4\xB5\xC4\xB3\xCC\xD0\xF2";  // ,已恢复原来的程序
constexpr char kNotSigned[] = "\xC7\xA9\xC3\xFB\xD1\xE9\xD6\xA4\xCE\xB4\xCD\xA8\xB9\xFD";               // 签名验证未通过

// A count kept as a double, back as a 64-bit integer: a size announced as
// 9223372036854775807 is 2^63 as a double, one past the largest integer.
std::int64_t wholeCount(double value) {
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (!(value > 0)) return 0;
    return value >= kTwoTo63 ? INT64_MAX : static_cast<std::int64_t>(value);
}

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
        // More bytes than announced never take the bar past its end.
        labels.barPosition = percent >= 100 ? 100 : percent > 0 ? static_cast<int>(percent) : 0;
        labels.progress = kProgressPrefix + std::to_string(labels.barPosition) + "%";
    } else {
        labels.progress = std::string(kProgressPrefix) + kUnknown;
    }

    labels.speed = kSpeedPrefix + sizeText(sample.bytesThisTransfer) + kPerSecond;

    labels.downloaded = kDownloadedPrefix + sizeText(sample.downloadedBytes) + "/" +
                        (sizeKnown ? sizeText(wholeCount(sample.totalBytes)) : kUnknown);

    labels.elapsed = kElapsedPrefix + std::to_string(sample.hours) + kHoursLong + std::to_string(sample.minutes) +
                     kMinutesLong + std::to_string(sample.seconds) + kSeconds;

    double left = sample.totalBytes - static_cast<double>(sample.downloadedBytes);
    if (sizeKnown && left <= 0) {
        labels.remaining = remainingTimeText(0);
    } else if (sizeKnown && sample.bytesAllTransfers > 0) {
        labels.remaining =
            remainingTimeText(wholeCount(std::floor(left / static_cast<double>(sample.bytesAllTransfers))));
    } else {
        labels.remaining = std::string(kRemainingPrefix) + kUnknown;
    }
    return labels;
}

std::string downloadFailedText(std::int64_t failure) {
    if (failure > 0 && failure != 200) return kFailedPrefix + (kServerAnswered + std::to_string(failure));
    if (failure == downloadFailure::kEmpty) return std::string(kFailedPrefix) + kEmptyFile;
    if (failure == downloadFailure::kNotAProgram) return std::string(kFailedPrefix) + kNotAProgram;
    if (failure == downloadFailure::kWrongMachine) return std::string(kFailedPrefix) + kWrongMachine;
    if (failure == downloadFailure::kCannotReplace) return std::string(kFailedPrefix) + kCannotReplace;
    if (failure == downloadFailure::kNotSigned) return std::string(kFailedPrefix) + kNotSigned;
    return std::string(kFailedPrefix) + kTransferBroken;
}

std::string newProgramFailedText(bool started, std::uint32_t exitCode, bool restored) {
    std::string text = kUpdateFailedPrefix;
    if (started) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X)", static_cast<unsigned>(exitCode));
        text += std::string(kEndedAtOnce) + code;
    } else {
        text += kCouldNotStart;
    }
    if (restored) text += kRestored;
    return text;
}

std::string rejectedProgramNameText() { return std::string(kFailedPrefix) + kBadProgramName; }

}  // namespace vostrel
