#include "core/progress_format.h"

#include "gbk_literal.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace vostrel {
namespace {

using test::gbk;

TEST(SizeText, UnitsRoundingAndTrailingZeros) {
    struct Case { std::int64_t bytes; const char* text; } cases[] = {
        {0, "0"},
        {-5, "-5"},
        {1, "1B"},
        {512, "512B"},
        {1023, "1023B"},
        {1024, "1KB"},
        {1536, "1.5KB"},
        {1034, "1.01KB"},        // 1.00977 rounds up
        {1029, "1KB"},           // 1.00488 rounds down to 1.00, written without zeros
        {1075, "1.05KB"},        // 1.049805 rounds up
        {1048575, "1024KB"},     // just below a megabyte rounds to 1024.00
        {1048576, "1MB"},
        {2097152, "2MB"},
        {1572864, "1.5MB"},
        {1073741823, "1024MB"},
        {1073741824, "1GB"},
        {5368709120, "5GB"},
        {INT64_MAX, "8589934592GB"},
    };
    for (const Case& c : cases) EXPECT_EQ(sizeText(c.bytes), c.text) << c.bytes;
}

TEST(SizeText, AHalfHundredthRoundsAwayFromZero) {
    // 1.125 KB = 1152 bytes is an exact half: 1.13, not the 1.12 of rounding to even.
    EXPECT_EQ(sizeText(1152), "1.13KB");
    EXPECT_EQ(sizeText(1048576 + 1048576 / 8), "1.13MB");
}

TEST(ElapsedClock, SecondsAndMinutesRunFromOneToSixty) {
    int s = 0, m = 0, h = 0;
    for (int tick = 1; tick <= 60; ++tick) advanceElapsedClock(s, m, h);
    EXPECT_EQ((std::tuple{h, m, s}), (std::tuple{0, 0, 60}));
    advanceElapsedClock(s, m, h);
    EXPECT_EQ((std::tuple{h, m, s}), (std::tuple{0, 1, 1}));
    // Always adds up to the number of ticks.
    s = m = h = 0;
    for (int tick = 1; tick <= 4000; ++tick) {
        advanceElapsedClock(s, m, h);
        ASSERT_EQ(h * 3600 + m * 60 + s, tick);
        ASSERT_TRUE(s >= 1 && s <= 60 && m >= 0 && m <= 60);
    }
}

TEST(RemainingTime, SplitsIntoHoursMinutesSeconds) {
    EXPECT_EQ(remainingTimeText(3725), gbk("剩余时间：1时2分5秒"));
    EXPECT_EQ(remainingTimeText(0), gbk("剩余时间：0时0分0秒"));
    EXPECT_EQ(remainingTimeText(59), gbk("剩余时间：0时0分59秒"));
    EXPECT_EQ(remainingTimeText(3600 * 30 + 60), gbk("剩余时间：30时1分0秒"));
    EXPECT_EQ(remainingTimeText(2147483647), gbk("剩余时间：596523时14分7秒"));
}

TEST(ProgressLabels, ReadAsTheWindowShowsThem) {
    ProgressSample sample;
    sample.totalBytes = 2097152;
    sample.downloadedBytes = 1048576;
    sample.bytesThisTransfer = 1536;
    sample.bytesAllTransfers = 1000;  // 1048.576 s left, floored
    sample.seconds = 60;
    ProgressLabels labels = formatProgress(sample);
    EXPECT_EQ(labels.progress, gbk("正在下载...已完成：50%"));
    EXPECT_EQ(labels.barPosition, 50);
    EXPECT_EQ(labels.speed, gbk("下载速度：1.5KB/秒"));
    EXPECT_EQ(labels.downloaded, gbk("已经下载：1MB/2MB"));
    EXPECT_EQ(labels.elapsed, gbk("已用时间：0小时0分钟60秒"));
    EXPECT_EQ(labels.remaining, gbk("剩余时间：0时17分28秒"));

    sample.bytesAllTransfers = 1;
    sample.totalBytes = 1048576 + 3725;
    EXPECT_EQ(formatProgress(sample).remaining, gbk("剩余时间：1时2分5秒"));
}

TEST(ProgressLabels, PercentRoundsHalvesUpAndTheTotalIsTruncated) {
    ProgressSample sample;
    sample.totalBytes = 200.9;
    sample.downloadedBytes = 1;    // 0.4977 %
    EXPECT_EQ(formatProgress(sample).barPosition, 0);
    sample.totalBytes = 200;
    sample.downloadedBytes = 1;    // 0.5 %
    EXPECT_EQ(formatProgress(sample).progress, gbk("正在下载...已完成：1%"));
    sample.totalBytes = 1536.7;
    sample.downloadedBytes = 1536;
    EXPECT_EQ(formatProgress(sample).downloaded, gbk("已经下载：1.5KB/1.5KB"));
    EXPECT_EQ(formatProgress(sample).progress, gbk("正在下载...已完成：100%"));
}

TEST(ProgressLabels, ReadableBeforeTheSizeIsKnownAndInASecondWithoutBytes) {
    ProgressSample sample;  // nothing known yet, nothing received
    sample.seconds = 1;
    ProgressLabels labels = formatProgress(sample);
    EXPECT_EQ(labels.progress, gbk("正在下载...已完成：未知"));
    EXPECT_EQ(labels.barPosition, 0);
    EXPECT_EQ(labels.speed, gbk("下载速度：0/秒"));
    EXPECT_EQ(labels.downloaded, gbk("已经下载：0/未知"));
    EXPECT_EQ(labels.remaining, gbk("剩余时间：未知"));

    sample.totalBytes = 4096;
    sample.downloadedBytes = 1024;
    EXPECT_EQ(formatProgress(sample).remaining, gbk("剩余时间：未知"));   // stalled second
    sample.downloadedBytes = 4096;
    EXPECT_EQ(formatProgress(sample).remaining, gbk("剩余时间：0时0分0秒"));  // all there
}

TEST(ProgressLabels, StaySaneForAnySixtyFourBitSize) {
    // A server may announce a Content-Length of 9223372036854775807.
    ProgressSample sample;
    sample.totalBytes = static_cast<double>(INT64_MAX);
    sample.downloadedBytes = 1;
    sample.bytesAllTransfers = 1;
    ProgressLabels labels = formatProgress(sample);
    EXPECT_EQ(labels.progress, gbk("正在下载...已完成：0%"));
    EXPECT_EQ(labels.downloaded, gbk("已经下载：1B/8589934592GB"));
    EXPECT_EQ(labels.remaining, gbk("剩余时间：2562047788015215时30分7秒"));

    // More bytes than announced: the bar stays within 0 to 100.
    sample.totalBytes = 1;
    sample.downloadedBytes = INT64_MAX;
    EXPECT_EQ(formatProgress(sample).barPosition, 100);
}

TEST(FailureLabels, SayWhatWentWrong) {
    EXPECT_EQ(downloadFailedText(404), gbk("下载失败：服务器返回404"));
    EXPECT_EQ(downloadFailedText(0), gbk("下载失败：传输中断"));
    EXPECT_EQ(downloadFailedText(200), gbk("下载失败：传输中断"));  // 200 but short or broken
    EXPECT_EQ(rejectedProgramNameText(), gbk("下载失败：程序名字无效"));
    EXPECT_EQ(downloadFailedText(downloadFailure::kEmpty), gbk("下载失败：文件为空"));
    EXPECT_EQ(downloadFailedText(downloadFailure::kNotAProgram), gbk("下载失败：不是可执行程序"));
}

}  // namespace
}  // namespace vostrel
