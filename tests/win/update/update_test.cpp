// The update check's page read and the download component, in this process,
// against the loopback server of the fixture "update_server".
#include "update/download.h"
#include "update/update_check.h"
#include "update/update_download.h"

#include "win/gbk_wide.h"
#include "win/unique_handle.h"

#include "test_support.h"
#include "update_test_support.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace vostrel {
namespace {

using namespace vostrel::test;

const char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

std::string sectionPage(const std::string& section) {
    return "<html><body><p>说明</p>////开始" + section + "////结束</body></html>";
}

TEST(ReadUpdatePage, AsksWithHttp10AcceptAllAndTheOldBrowserAgent) {
    ServedFiles files;
    ASSERT_TRUE(files.put("check-request.html", sectionPage("<p>是否强制更新=否</p>")));
    std::string page;
    std::string section = readUpdatePage(&page, (serverAddress() + "check-request.html").c_str());
    EXPECT_EQ(section, "<p>是否强制更新=否</p>");
    EXPECT_EQ(page, sectionPage("<p>是否强制更新=否</p>"));

    std::vector<LoggedRequest> requests = requestsFor("/check-request.html");
    ASSERT_EQ(requests.size(), 1u);
    const LoggedRequest& r = requests[0];
    EXPECT_EQ(r.line, "GET /check-request.html HTTP/1.0");
    EXPECT_EQ(r.header("Accept"), "*/*");
    EXPECT_EQ(r.header("User-Agent"), kUserAgent);
    // Neither a cached copy nor a conditional request: the server's current page.
    EXPECT_EQ(r.header("If-Modified-Since"), "");
    EXPECT_EQ(r.header("If-None-Match"), "");
}

TEST(ReadUpdatePage, TakesTheBodyWhateverTheStatusUpToTheFirstZeroByte) {
    ServedFiles files;
    ASSERT_TRUE(files.put("check-error.html", sectionPage("a")));
    ASSERT_TRUE(files.put("check-error.html.status", "500"));
    EXPECT_EQ(readUpdatePage(nullptr, (serverAddress() + "check-error.html").c_str()), "a");

    ASSERT_TRUE(files.put("check-zero.html", sectionPage("b") + std::string(1, '\0') + sectionPage("c")));
    std::string page;
    EXPECT_EQ(readUpdatePage(&page, (serverAddress() + "check-zero.html").c_str()), "b");
    EXPECT_EQ(page, sectionPage("b"));

    ASSERT_TRUE(files.put("check-zero-first.html", std::string("x\0", 2) + sectionPage("d")));
    EXPECT_EQ(readUpdatePage(nullptr, (serverAddress() + "check-zero-first.html").c_str()), "");
}

TEST(ReadUpdatePage, NoServerOrNoPageGivesAnEmptySection) {
    // Port 1 on the loopback: nobody listens, the connection is refused at once.
    std::string page = "stale";
    EXPECT_EQ(readUpdatePage(&page, "http://127.0.0.1:1/update.html"), "");
    EXPECT_EQ(page, "");
    EXPECT_EQ(readUpdatePage(nullptr, (serverAddress() + "no-such-page.html").c_str()), "");
    EXPECT_EQ(readUpdatePage(nullptr, "not an address"), "");
}

// Notices as the component hands them to this (the user-interface) thread.
std::vector<std::pair<int, std::int64_t>> g_notices;
DWORD g_noticeThread = 0;
void recordNotice(int code, std::int64_t value) {
    g_notices.emplace_back(code, value);
    g_noticeThread = GetCurrentThreadId();
}

class Download : public ::testing::Test {
protected:
    void SetUp() override { g_notices.clear(); }

    DownloadTask taskFor(const std::string& served, const std::string& destination) {
        DownloadTask task;
        task.sourceAddress = serverAddress() + served;
        task.destinationPath = toWide(destination);
        task.notify = recordNotice;
        return task;
    }
    bool waitForNotice(int code, int timeoutMs = 10000) {
        return waitUntil([code] {
            for (auto& n : g_notices) {
                if (n.first == code) return true;
            }
            return false;
        }, timeoutMs);
    }
    // The transfer's last word: finished or failed, past the size.
    static bool waitForOutcome() {
        return waitUntil([] { return !g_notices.empty() && g_notices.back().first != downloadNotice::kSize; });
    }
    static bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    // A copy of the stand-in program running from the folder: a file in use, as the
    // tool's own is while it updates. Its path; its bytes in old.
    std::string startRunningCopy(ChildProcess& program, std::string& old) {
        std::string running = folder.file("running.exe");
        EXPECT_TRUE(CopyFileA(siblingPath("update_new_program.exe").c_str(), running.c_str(), FALSE));
        old = readFileBytes(running);
        EXPECT_TRUE(program.start(running, "--stay"));
        EXPECT_TRUE(waitUntil([&] { return exists(running + ".ran"); }));
        return running;
    }

    TempFolder folder;
    ServedFiles files;
    Downloader downloader;
};

std::string patternBytes(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 4099) & 0xFF);
    return bytes;
}

TEST_F(Download, ACompleteTransferReportsSizeThenFinishedOnThisThreadAndReplacesTheFile) {
    std::string bytes = patternBytes(3 * 1024 * 1024 + 17);
    ASSERT_TRUE(files.put("complete.bin", bytes));
    ASSERT_TRUE(files.sign("complete.bin"));
    std::string destination = folder.file("new program.bin");
    ASSERT_TRUE(writeFileBytes(destination, "the old version"));

    ASSERT_TRUE(downloader.start(taskFor("complete.bin", destination)));
    ASSERT_TRUE(waitForNotice(downloadNotice::kFinished));
    ASSERT_EQ(g_notices.size(), 2u);
    EXPECT_EQ(g_notices[0], std::make_pair(downloadNotice::kSize, static_cast<std::int64_t>(bytes.size())));
    EXPECT_EQ(g_notices[1].first, downloadNotice::kFinished);
    EXPECT_EQ(g_noticeThread, GetCurrentThreadId());
    EXPECT_TRUE(readFileBytes(destination) == bytes);
    EXPECT_FALSE(exists(destination + ".download"));
    EXPECT_EQ(requestsFor("/complete.bin.sig").size(), 1u) << "the signature was not asked for";

    // Every byte was counted once by each counter, and reading reset them.
    EXPECT_EQ(downloader.takeTransferBytes(), static_cast<std::int64_t>(bytes.size()));
    EXPECT_EQ(downloader.takeTransferBytes(), 0);
    EXPECT_EQ(downloader.takeAllTransferBytes(), static_cast<std::int64_t>(bytes.size()));
    EXPECT_EQ(downloader.takeAllTransferBytes(), 0);
    EXPECT_EQ(downloader.downloadedBytes(), 0);  // no transfer running any more
}

TEST_F(Download, CountersAdvanceDuringATransferAndResetWhenRead) {
    const size_t size = 600 * 1024;
    ASSERT_TRUE(files.put("slow.bin", patternBytes(size)));
    ASSERT_TRUE(files.put("slow.bin.rate", std::to_string(400 * 1024)));
    ASSERT_TRUE(files.sign("slow.bin"));
    ASSERT_TRUE(downloader.start(taskFor("slow.bin", folder.file("slow.bin"))));
    std::int64_t transferSum = 0, allSum = 0;
    int readsWithBytes = 0;
    while (!waitForNotice(downloadNotice::kFinished, 250)) {
        std::int64_t now = downloader.takeTransferBytes();
        readsWithBytes += now > 0;
        transferSum += now;
        allSum += downloader.takeAllTransferBytes();
        EXPECT_LE(downloader.downloadedBytes(), static_cast<std::int64_t>(size));
        ASSERT_LT(readsWithBytes, 100) << "no completion";
    }
    transferSum += downloader.takeTransferBytes();
    allSum += downloader.takeAllTransferBytes();
    EXPECT_EQ(transferSum, static_cast<std::int64_t>(size));
    EXPECT_EQ(allSum, static_cast<std::int64_t>(size));
    EXPECT_GE(readsWithBytes, 2);  // about 1.5 s of transfer, read every 250 ms
}

struct FailureCase {
    const char* name;
    const char* control;      // control file suffix, "" for none
    const char* controlValue;
    bool served;
    std::int64_t status;      // the failure notice's value
};

TEST_F(Download, OnlyACompleteHttp200TransferBecomesTheFile) {
    const FailureCase cases[] = {
        {"error-status.bin", ".status", "404", true, 404},
        {"server-error.bin", ".status", "503", true, 503},
        {"missing.bin", "", "", false, 404},
        {"short.bin", ".short", "5000", true, 0},
        {"no-length.bin", ".nolength", "", true, 0},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        g_notices.clear();
        if (c.served) {
            ASSERT_TRUE(files.put(c.name, patternBytes(20000)));
        }
        if (*c.control) {
            ASSERT_TRUE(files.put(std::string(c.name) + c.control, c.controlValue));
        }
        std::string destination = folder.file(std::string(c.name) + ".exe");
        ASSERT_TRUE(downloader.start(taskFor(c.name, destination)));
        ASSERT_TRUE(waitForNotice(downloadNotice::kFailed));
        waitUntil([] { return false; }, 100);  // nothing else may follow
        for (auto& n : g_notices) EXPECT_NE(n.first, downloadNotice::kFinished);
        EXPECT_EQ(g_notices.back(), std::make_pair(downloadNotice::kFailed, c.status));
        EXPECT_FALSE(exists(destination));
        EXPECT_FALSE(exists(destination + ".download"));
    }
}

TEST_F(Download, AChunkedBodyWithoutALengthBecomesTheFile) {
    std::string bytes = patternBytes(300 * 1024 + 5);
    ASSERT_TRUE(files.put("chunked.bin", bytes));
    ASSERT_TRUE(files.put("chunked.bin.chunked", "65536"));
    ASSERT_TRUE(files.sign("chunked.bin"));
    ASSERT_TRUE(files.put("chunked.bin.sig.chunked", "16"));
    std::string destination = folder.file("chunked.bin");
    ASSERT_TRUE(downloader.start(taskFor("chunked.bin", destination)));
    ASSERT_TRUE(waitForOutcome());
    EXPECT_EQ(g_notices.back().first, downloadNotice::kFinished);
    EXPECT_TRUE(readFileBytes(destination) == bytes);

    // A length beside the chunks means nothing: the chunks measure the body.
    g_notices.clear();
    ASSERT_TRUE(files.put("chunked.bin.chunklength", std::to_string(bytes.size() + 1000)));
    ASSERT_TRUE(downloader.start(taskFor("chunked.bin", folder.file("both.bin"))));
    ASSERT_TRUE(waitForOutcome());
    EXPECT_EQ(g_notices.back().first, downloadNotice::kFinished);
    EXPECT_TRUE(readFileBytes(folder.file("both.bin")) == bytes);
}

// A program with its machine field changed: the same file, built for another processor.
std::string programFor(std::uint16_t machine) {
    std::string bytes = readFileBytes(siblingPath("update_new_program.exe"));
    size_t pe = static_cast<unsigned char>(bytes[0x3C]) | static_cast<unsigned char>(bytes[0x3D]) << 8;
    bytes[pe + 4] = static_cast<char>(machine & 0xFF);
    bytes[pe + 5] = static_cast<char>(machine >> 8);
    return bytes;
}

TEST_F(Download, AnEmptyBodyAnExeThatIsNoProgramOrCannotRunOrIsCutReplacesNothing) {
    struct Case { const char* served; std::string body; const char* destination; std::int64_t failure; } cases[] = {
        {"portal.html", "<html><body>请先登录</body></html>", "portal.exe", downloadFailure::kNotAProgram},
        {"mz-only.bin", "MZ" + std::string(200, '\0'), "mz-only.exe", downloadFailure::kNotAProgram},
        {"empty.bin", "", "empty.exe", downloadFailure::kEmpty},
        {"empty-data.bin", "", "empty.dat", downloadFailure::kEmpty},
        // No Windows on an x64 processor starts an ARM64 program: the working one stays.
        {"arm64.exe", programFor(0xAA64), "arm64.exe", downloadFailure::kWrongMachine},
        // A chunked body cut mid-chunk after its headers: it ends as a whole one would.
        {"cut.exe", readFileBytes(siblingPath("update_new_program.exe")), "cut.exe", downloadFailure::kBroken},
    };
    ASSERT_TRUE(files.put("cut.exe.chunked", "4096"));
    ASSERT_TRUE(files.put("cut.exe.chunkcut", "10000"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.served);
        g_notices.clear();
        ASSERT_TRUE(files.put(c.served, c.body));
        std::string destination = folder.file(c.destination);
        ASSERT_TRUE(writeFileBytes(destination, "the old version"));
        ASSERT_TRUE(downloader.start(taskFor(c.served, destination)));
        ASSERT_TRUE(waitForOutcome());
        EXPECT_EQ(g_notices.back(), std::make_pair(downloadNotice::kFailed, c.failure));
        EXPECT_TRUE(readFileBytes(destination) == "the old version") << "the file was replaced";
        EXPECT_FALSE(exists(destination + ".download"));
    }
}

// Whoever answers for the server can serve any program: only the one the holder
// of the built-in key signed may replace anything, and then only these very bytes.
TEST_F(Download, OnlyAFileSignedWithTheBuiltInKeyReplacesAnything) {
    ASSERT_TRUE(files.put("other.bin", patternBytes(70000)));
    ASSERT_TRUE(files.sign("other.bin"));
    const std::string otherSignature = readFileBytes(servedPath("other.bin.sig"));
    ASSERT_EQ(otherSignature.size(), 64u);
    enum class Signature { None, OfOtherBytes, Of63Bytes, ByAStranger, RightButNoKeyBuiltIn };
    const std::pair<const char*, Signature> cases[] = {
        {"unsigned.exe", Signature::None},
        {"other-bytes.exe", Signature::OfOtherBytes},
        {"short-signature.exe", Signature::Of63Bytes},
        {"stranger.exe", Signature::ByAStranger},
        {"keyless.exe", Signature::RightButNoKeyBuiltIn},
    };
    for (auto [served, signature] : cases) {
        SCOPED_TRACE(served);
        g_notices.clear();
        const std::string sig = std::string(served) + ".sig";
        ASSERT_TRUE(files.copy(served, siblingPath("update_new_program.exe")));
        std::string destination = folder.file(served);
        ASSERT_TRUE(writeFileBytes(destination, "the old version"));
        DownloadTask task = taskFor(served, destination);
        switch (signature) {
        case Signature::None:
            break;
        case Signature::OfOtherBytes:
            ASSERT_TRUE(files.put(sig, otherSignature));
            break;
        case Signature::Of63Bytes:
            ASSERT_TRUE(files.sign(served));
            ASSERT_TRUE(files.put(sig, readFileBytes(servedPath(sig)).substr(0, 63)));
            break;
        case Signature::ByAStranger:
            ASSERT_TRUE(files.sign(served, ServedFiles::Signer::Stranger));
            break;
        case Signature::RightButNoKeyBuiltIn:
            ASSERT_TRUE(files.sign(served));
            task.publicKey.clear();
            break;
        }
        ASSERT_TRUE(downloader.start(task));
        ASSERT_TRUE(waitForOutcome());
        EXPECT_EQ(g_notices.back(), std::make_pair(downloadNotice::kFailed, downloadFailure::kNotSigned));
        EXPECT_TRUE(readFileBytes(destination) == "the old version") << "the destination was replaced";
        EXPECT_FALSE(exists(destination + ".download"));
        EXPECT_FALSE(exists(toGbk(previousVersionPath(toWide(destination)))));
    }
}

TEST_F(Download, ARunningProgramIsMovedAsideAndComesBackWhenTheNewOneCannotStart) {
    ChildProcess program;
    std::string old;
    std::string running = startRunningCopy(program, old);
    ASSERT_FALSE(HasFailure());
    // A library is a Windows program file that CreateProcess refuses to start.
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    ASSERT_TRUE(files.copy("cannot-start.exe", std::string(system) + "\\version.dll"));
    ASSERT_TRUE(files.sign("cannot-start.exe"));

    ASSERT_TRUE(downloader.start(taskFor("cannot-start.exe", running)));
    ASSERT_TRUE(waitForOutcome());
    ASSERT_EQ(g_notices.back().first, downloadNotice::kFinished) << g_notices.back().second;
    EXPECT_TRUE(readFileBytes(running) == readFileBytes(servedPath("cannot-start.exe")));
    EXPECT_TRUE(readFileBytes(toGbk(previousVersionPath(toWide(running)))) == old);

    NewProgramRun run = startNewProgramWhenPresent(toWide(running), downloader.previousVersion(), 1);
    EXPECT_EQ(run.check, 1);
    EXPECT_TRUE(run.failed && !run.started && run.restored);
    EXPECT_TRUE(readFileBytes(running) == old) << "the running program's file is lost";
    EXPECT_FALSE(exists(toGbk(previousVersionPath(toWide(running)))));
}

// An earlier update's ".old" that cannot go (held by a scanner, still running) is
// no reason to fail this one: the running program goes aside under another name.
TEST_F(Download, ALeftoverAsideFileThatCannotGoDoesNotStopTheUpdate) {
    ChildProcess program;
    std::string old;
    std::string running = startRunningCopy(program, old);
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(writeFileBytes(running + ".old", "an earlier version"));
    UniqueFile held(CreateFileA((running + ".old").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr));
    ASSERT_TRUE(held);
    ASSERT_TRUE(files.copy("next.exe", siblingPath("update_new_program.exe"), 512 * 1024));
    ASSERT_TRUE(files.sign("next.exe"));

    ASSERT_TRUE(downloader.start(taskFor("next.exe", running)));
    ASSERT_TRUE(waitForOutcome());
    ASSERT_EQ(g_notices.back().first, downloadNotice::kFinished) << g_notices.back().second;
    EXPECT_EQ(toGbk(downloader.previousVersion()), running + ".old1");
    EXPECT_TRUE(readFileBytes(running + ".old1") == old);
    EXPECT_EQ(readFileBytes(running + ".old"), "an earlier version");

    // The new program clears them at its start, the held one once it is let go.
    program.terminate();
    EXPECT_FALSE(removePreviousVersions(toWide(running)));
    held.reset();
    SetFileAttributesA((running + ".old").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(waitUntil([&] { return removePreviousVersions(toWide(running)); }));
    EXPECT_FALSE(exists(running + ".old") || exists(running + ".old1"));
}

TEST_F(Download, NoServerIsAFailureAndAnEmptyAddressDoesNotStart) {
    DownloadTask task = taskFor("", folder.file("x.exe"));
    task.sourceAddress = "http://127.0.0.1:1/x.exe";
    ASSERT_TRUE(downloader.start(task));
    ASSERT_TRUE(waitForNotice(downloadNotice::kFailed, 15000));
    task.sourceAddress = "";
    EXPECT_FALSE(downloader.start(task));
}

TEST_F(Download, CloseStopsAStalledTransferWithinTheStopWait) {
    ASSERT_TRUE(files.put("stalled.bin", patternBytes(1024 * 1024)));
    ASSERT_TRUE(files.put("stalled.bin.stall", std::to_string(256 * 1024)));
    std::string destination = folder.file("stalled.exe");
    DownloadTask task = taskFor("stalled.bin", destination);
    task.receiveTimeoutMs = 2000;
    ASSERT_TRUE(downloader.start(task));
    ASSERT_TRUE(waitUntil([&] { return downloader.downloadedBytes() >= 256 * 1024; }, 10000));

    DWORD before = GetTickCount();
    downloader.close();
    DWORD took = GetTickCount() - before;
    std::cout << "close() of a stalled transfer took " << took << " ms\n";
    EXPECT_LE(took, static_cast<DWORD>(task.stopWaitMs) + 500);
    EXPECT_FALSE(downloader.running());
    EXPECT_EQ(downloader.downloadedBytes(), 0);
    // A receive still blocked inside WinINet gives up at the receive time-out; the
    // half-written file is gone by then, and nothing is reported or renamed.
    EXPECT_TRUE(waitUntil([&] { return !exists(destination + ".download"); }, task.receiveTimeoutMs + 3000));
    EXPECT_FALSE(exists(destination));
}

TEST_F(Download, AReceiveThatStallsLongerThanTheReceiveTimeOutFails) {
    ASSERT_TRUE(files.put("stuck.bin", patternBytes(100 * 1024)));
    ASSERT_TRUE(files.put("stuck.bin.stall", std::to_string(10 * 1024)));
    std::string destination = folder.file("stuck.exe");
    DownloadTask task = taskFor("stuck.bin", destination);
    task.receiveTimeoutMs = 1500;
    DWORD before = GetTickCount();
    ASSERT_TRUE(downloader.start(task));
    ASSERT_TRUE(waitForNotice(downloadNotice::kFailed, 8000));
    std::cout << "a stalled receive failed after " << GetTickCount() - before << " ms\n";
    EXPECT_FALSE(exists(destination));
    EXPECT_FALSE(exists(destination + ".download"));
}

TEST(NewProgram, StartsWithThePathAsApplicationNameEvenWithSpaces) {
    TempFolder folder;
    std::string spaced = folder.path() + "\\with space";
    ASSERT_TRUE(CreateDirectoryA(spaced.c_str(), nullptr));
    // A decoy where an unquoted command line would look first.
    ASSERT_TRUE(CopyFileA(siblingPath("update_new_program.exe").c_str(), (folder.path() + "\\with.exe").c_str(), FALSE));
    std::string program = spaced + "\\new version.exe";
    ASSERT_TRUE(CopyFileA(siblingPath("update_new_program.exe").c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(startNewProgram(toWide(program)));
    ASSERT_TRUE(waitUntil([&] { return !readFileBytes(program + ".ran").empty(); }))
        << "the new program did not run";
    EXPECT_NE(readFileBytes(program + ".ran").find("\"" + program + "\""), std::string::npos)
        << readFileBytes(program + ".ran");
    EXPECT_TRUE(readFileBytes(folder.path() + "\\with.exe.ran").empty());
    EXPECT_FALSE(startNewProgram(toWide(spaced + "\\absent.exe")));
}

TEST(NewProgram, AFileThatAppearsAfterTwoSecondsStartsAfterTheFifthCheck) {
    TempFolder folder;
    std::string program = folder.file("late.exe");
    std::string source = siblingPath("update_new_program.exe");
    std::thread late([&] {
        Sleep(2000);
        CopyFileA(source.c_str(), program.c_str(), FALSE);
    });
    int check = startNewProgramWhenPresent(toWide(program), L"").check;
    late.join();
    // Checks at 0, 0.5, 1, 1.5 and 2 s come first; the one after 2 s finds it. A
    // loaded machine may stretch a 500 ms wait a little, hence the one check of slack.
    EXPECT_GE(check, 4);
    EXPECT_LE(check, 7);
    std::cout << "the file that appeared after 2 s was found by check " << check << "\n";
    EXPECT_TRUE(waitUntil([&] { return !readFileBytes(program + ".ran").empty(); })) << "not started";

    DWORD before = GetTickCount();
    EXPECT_EQ(startNewProgramWhenPresent(toWide(folder.file("never.exe")), L"", 3).check, 0);
    EXPECT_GE(GetTickCount() - before, 1400u);  // three checks, each followed by its 500 ms
}

// A new version that starts and ends at once with a failure never ran: the one
// it replaced comes back. One that ends at once with 0 did its job and stays.
TEST(NewProgram, OneThatEndsAtOnceWithAFailureGivesItsPlaceBack) {
    TempFolder folder;
    std::string program = folder.file("vostrel.exe");
    std::string aside = program + ".old";
    ASSERT_TRUE(CopyFileA(siblingPath("update_new_program.exe").c_str(), program.c_str(), FALSE));
    std::string fresh = readFileBytes(program);
    ASSERT_TRUE(writeFileBytes(aside, "the version that worked"));
    ASSERT_TRUE(writeFileBytes(program + ".exitcode", "0xC0000135"));  // a DLL not found

    NewProgramRun run = startNewProgramWhenPresent(toWide(program), toWide(aside), 1);
    EXPECT_TRUE(run.started && run.failed && run.restored);
    EXPECT_EQ(run.exitCode, 0xC0000135u);
    EXPECT_EQ(readFileBytes(program), "the version that worked");

    ASSERT_TRUE(CopyFileA(siblingPath("update_new_program.exe").c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(writeFileBytes(aside, "the version that worked"));
    ASSERT_TRUE(writeFileBytes(program + ".exitcode", "0"));
    run = startNewProgramWhenPresent(toWide(program), toWide(aside), 1);
    EXPECT_TRUE(run.started && !run.failed && !run.restored);
    EXPECT_TRUE(readFileBytes(program) == fresh);
}

}  // namespace
}  // namespace vostrel
