// The update window's progress display, one tick's worth: every label as the GBK
// text it shows. Spelt as GBK bytes because this code is also built natively.
#pragma once

#include <cstdint>
#include <string>

namespace vostrel {

// A byte count with its unit, the number rounded to 2 decimals (halves away from
// zero) without trailing zeros: 512B, 1.5KB, 2MB; 0 and below as a bare integer.
std::string sizeText(std::int64_t bytes);

// One tick of the elapsed clock. Seconds and minutes run from 1 to 60, not 0 to
// 59, so that the three values always add up to the number of ticks.
void advanceElapsedClock(int& seconds, int& minutes, int& hours);

// "剩余时间：1时2分5秒" for 3725 seconds.
std::string remainingTimeText(std::int64_t seconds);

struct ProgressSample {
    double totalBytes = 0;               // 0 until the size notice has arrived
    std::int64_t downloadedBytes = 0;    // of the running transfer
    std::int64_t bytesThisTransfer = 0;  // received by it since the previous tick
    std::int64_t bytesAllTransfers = 0;  // received by all transfers since the previous tick
    int hours = 0, minutes = 0, seconds = 0;  // the clock, already advanced for this tick
};

struct ProgressLabels {
    std::string progress;    // 下载进度
    std::string speed;       // 下载速度
    std::string downloaded;  // 已经下载
    std::string elapsed;     // 已用时间
    std::string remaining;   // 剩余时间
    int barPosition = 0;     // 进度条, 0 to 100
};

// Before the size is known, and in a second without bytes, the figures that would
// divide by zero read "未知" (unknown) instead.
ProgressLabels formatProgress(const ProgressSample& sample);

// Why a transfer failed when the server's status was not the reason: the value of
// the download component's failure notice, which is otherwise the HTTP status.
namespace downloadFailure {
constexpr std::int64_t kBroken = 0;        // no answer, a broken or short transfer, a file not written
constexpr std::int64_t kEmpty = -1;        // an answer without a single byte
constexpr std::int64_t kNotAProgram = -2;  // a name ending in .exe, a body that is no Windows program
constexpr std::int64_t kWrongMachine = -3; // a Windows program for a processor this Windows cannot run
constexpr std::int64_t kCannotReplace = -4; // the file there could neither be replaced nor moved aside
constexpr std::int64_t kNotSigned = -5;     // no signature, or not the maker's of these bytes
}  // namespace downloadFailure

// 下载进度 after a failed transfer: "下载失败：服务器返回404" (the server answered 404)
// for an HTTP status other than 200, "下载失败：文件为空" (the file is empty),
// "下载失败：不是可执行程序" (not an executable program), "下载失败：新程序不能在这台电脑
// 的Windows上运行,没有替换任何文件" (the new program cannot run on this computer's
// Windows; nothing was replaced), "下载失败：原来的程序文件被占用或只读,无法替换" (the old
// program's file is in use or read-only and cannot be replaced), "下载失败：签名验证未通过"
// (the signature check failed), "下载失败：传输中断" (transfer broken off) otherwise.
std::string downloadFailedText(std::int64_t failure);

// 下载进度 when the new program did not run: "更新失败：新程序无法启动" (could not
// start) or "更新失败：新程序启动后立即退出(代码 0xC0000135)" (ended at once with this
// code), followed by ",已恢复原来的程序" when the replaced program is back.
std::string newProgramFailedText(bool started, std::uint32_t exitCode, bool restored);

// 下载进度 when the page names no plain file name: "下载失败：程序名字无效".
std::string rejectedProgramNameText();

}  // namespace vostrel
