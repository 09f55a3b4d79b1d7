// The online update as the user meets it: the real program reads its update page
// from the loopback server at start-up, asks or not, downloads the new program
// with its progress display, starts it and ends.
#include "update/update_window.h"
#include "win/gbk_wide.h"

#include "e2e_fixture.h"
#include "update_test_support.h"

#include <gtest/gtest.h>

#include <set>

namespace vostrel {
namespace {

using namespace vostrel::test;

const char kUpdateCaption[] = "在线更新中请稍后";
const char kQuestionCaption[] = "助手版本更新提示：";

std::string section(const std::string& entries) { return "<html><body>////开始" + entries + "////结束</body></html>"; }

// A forced update to this served file, to be installed under this name.
std::string forcedPage(const std::string& file, const std::string& name) {
    return section("<p>是否强制更新=是</p><p>自动更新地址=" + serverAddress() + file + "</p><p>程序名字=" + name + "</p>");
}

class UpdatingProgram : public ProgramDriver {
protected:
    void SetUp() override {
        // A folder with a space: the downloaded program's path has one too.
        runFolder = folder.path() + "\\run folder";
        ASSERT_TRUE(CreateDirectoryW(toWide(runFolder).c_str(), nullptr));
        pageRequestsBefore = requestsFor("/update.html").size();
    }

    HWND waitForUpdateWindow() {
        HWND window = waitForWindow(kUpdateCaption, 10000);
        EXPECT_TRUE(window) << "no update window; visible windows:\n" << describeWindows();
        return window;
    }

    // The program started against this update page; its update window.
    HWND startWithPage(const std::string& page) {
        EXPECT_TRUE(files.put("update.html", page));
        launch(runFolder);
        return waitForUpdateWindow();
    }

    // Waits for the update window to say its download failed, and why.
    bool downloadFailed(HWND update, const std::string& why) {
        bool failed = waitUntil([&] { return label(update, "下载进度") == "下载失败：" + why; });
        if (!failed) ADD_FAILURE() << "下载进度: " << gbkToUtf8(label(update, "下载进度"));
        return failed;
    }

    // 按钮1 once it offers the retry: its caption and its state change one after the
    // other on the tool's thread, so both are waited for.
    HWND retryOffered(HWND update) {
        HWND button = control(update, kUpdateWindowLayout, "按钮1");
        EXPECT_TRUE(waitUntil([&] { return windowText(button) == "重新下载" && IsWindowEnabled(button); }))
            << gbkToUtf8(windowText(button));
        return button;
    }

    std::string label(HWND update, const char* name) {
        return windowText(control(update, kUpdateWindowLayout, name));
    }

    size_t pageRequests() { return requestsFor("/update.html").size() - pageRequestsBefore; }

    bool exists(const std::string& path) {
        return GetFileAttributesW(toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::string runFolder;
    ServedFiles files;
    size_t pageRequestsBefore = 0;
};

TEST_F(UpdatingProgram, ForcedUpdateShowsProgressStartsTheNewProgramAndEnds) {
    const size_t size = 3 * 1024 * 1024;
    ASSERT_TRUE(files.copy("next.exe", siblingPath("update_new_program.exe"), size));
    ASSERT_TRUE(files.put("next.exe.rate", std::to_string(1024 * 1024)));  // about three seconds
    ASSERT_TRUE(files.sign("next.exe"));
    // The address comes with half- and full-width spaces around it; the name is the
    // running program's own, in a folder with a space.
    const std::string page = section("<p>是否强制更新=是</p><p>是否提示更新=否</p><p>自动更新地址= " + serverAddress() +
                                     "next.exe　</p><p>程序名字=vostrel.exe</p>");
    size_t downloadsBefore = requestsFor("/next.exe").size();
    HWND update = startWithPage(page);
    ASSERT_TRUE(update);
    EXPECT_TRUE(waitUntil([&] { return !findProcessWindow(program.id(), kMainCaption); }))
        << "the main window stays open:\n" << describeWindows();
    HWND button = control(update, kUpdateWindowLayout, "按钮1");
    // The caption and the state change one after the other on the tool's thread: wait for both.
    EXPECT_TRUE(waitUntil([&] { return windowText(button) == "正在更新,请稍等." && !IsWindowEnabled(button); }))
        << gbkToUtf8(windowText(button)) << (IsWindowEnabled(button) ? ", enabled" : ", disabled");

    std::set<std::string> elapsed, progress, downloaded, speeds;
    bool shot = false;
    while (program.running() && IsWindow(update)) {
        elapsed.insert(label(update, "已用时间"));
        std::string now = label(update, "下载进度");
        ASSERT_NE(now.rfind("下载失败", 0), 0u) << gbkToUtf8(now);
        progress.insert(now);
        downloaded.insert(label(update, "已经下载"));
        speeds.insert(label(update, "下载速度"));
        if (!shot && elapsed.count("已用时间：0小时0分钟2秒")) {
            shot = saveArtifact(update, "update-window.bmp");
        }
        waitUntil([] { return false; }, 50);
        ASSERT_LT(elapsed.size(), 30u) << "the download does not end";
    }
    EXPECT_EQ(program.waitForExit(), 0) << "vostrel.exe did not end";

    std::string fmt;
    for (auto& s : progress) fmt += gbkToUtf8(s) + " | ";
    EXPECT_TRUE(elapsed.count("已用时间：0小时0分钟1秒") && elapsed.count("已用时间：0小时0分钟2秒")) << fmt;
    bool partway = false;
    for (const std::string& p : progress) {
        const std::string prefix = "正在下载...已完成：";
        if (p.rfind(prefix, 0) == 0) {
            int percent = std::atoi(p.c_str() + prefix.size());
            partway = partway || (percent > 0 && percent < 100);
        }
    }
    EXPECT_TRUE(partway) << "no percentage between 0 and 100: " << fmt;
    bool ofThree = false;
    for (const std::string& d : downloaded) ofThree = ofThree || d.find("/3MB") != std::string::npos;
    EXPECT_TRUE(ofThree) << "no 已经下载 label of 3MB";
    bool perSecond = false;
    for (const std::string& s : speeds) perSecond = perSecond || s.find("KB/秒") != std::string::npos;
    EXPECT_TRUE(perSecond);

    std::string installed = runFolder + "\\vostrel.exe";
    EXPECT_TRUE(waitUntil([&] { return exists(installed + ".ran"); })) << "the new program did not run";
    EXPECT_NE(readFileBytes(installed + ".ran").find("\"" + installed + "\""), std::string::npos)
        << readFileBytes(installed + ".ran");
    EXPECT_EQ(readFileBytes(installed).size(), size);
    EXPECT_TRUE(readFileBytes(runFolder + "\\vostrel.exe.old") == readFileBytes(siblingPath("vostrel.exe")))
        << "the program that was running is not kept aside";
    EXPECT_FALSE(exists(installed + ".download"));
    EXPECT_EQ(requestsFor("/next.exe").size() - downloadsBefore, 1u);
    EXPECT_EQ(pageRequests(), 2u) << "the check's read and the update window's read";
}

TEST_F(UpdatingProgram, PromptAsksAndNoCarriesOnWithoutAskingAgain) {
    ASSERT_TRUE(files.put("update.html", section("<p>是否强制更新=否</p><p>是否提示更新=是</p>")));
    launch(runFolder);
    HWND box = waitForWindow(kQuestionCaption, 10000);
    ASSERT_TRUE(box) << describeWindows();
    EXPECT_EQ(className(box), "#32770");
    EXPECT_FALSE(GetWindow(box, GW_OWNER)) << "the question has no owner window";
    EXPECT_TRUE(GetDlgItem(box, IDYES));
    EXPECT_TRUE(GetDlgItem(box, IDNO));
    std::string texts;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        texts += windowText(child) + "\n";
    }
    EXPECT_NE(texts.find("当前程序已经有更新版本,是否更新"), std::string::npos) << gbkToUtf8(texts);

    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDNO)));
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(box); }));
    ASSERT_NO_FATAL_FAILURE(waitForMainWindow());
    EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(main) != FALSE; }));
    // No second question and no update window.
    EXPECT_FALSE(waitUntil([&] {
        return findProcessWindow(program.id(), kQuestionCaption) || findProcessWindow(program.id(), kUpdateCaption);
    }, 1500)) << describeWindows();
    EXPECT_EQ(pageRequests(), 1u);

    EXPECT_EQ(closeProgram(), 0);
}

TEST_F(UpdatingProgram, WithoutMarkersOrWithATrailingSpaceTheProgramStartsNormally) {
    const std::string pages[] = {
        "<p>是否强制更新=是</p><p>是否提示更新=是</p>",                 // the keys without the markers
        section("<p>是否强制更新=是 </p><p>是否提示更新=是　</p>"),      // 是 with a space is not 是
    };
    for (const std::string& page : pages) {
        ASSERT_TRUE(files.put("update.html", page));
        size_t before = pageRequests();
        launch(runFolder);
        ASSERT_NO_FATAL_FAILURE(waitForMainWindow());
        EXPECT_FALSE(anotherWindowShows(1500)) << describeWindows();
        EXPECT_TRUE(IsWindowEnabled(main));
        EXPECT_EQ(pageRequests() - before, 1u);
        EXPECT_EQ(closeProgram(), 0);
    }
}

TEST_F(UpdatingProgram, APageThatStreamsWithoutEndOrTricklesDoesNotHoldUpTheStart) {
    // Filler after the page at 2 MB/s, or one byte every 200 ms: neither ever ends.
    const char* controls[][2] = {{"update.html.endless", "2000000"}, {"update.html.trickle", "0.2"}};
    for (auto& control : controls) {
        SCOPED_TRACE(control[0]);
        ServedFiles page;
        ASSERT_TRUE(page.put("update.html", section("<p>是否强制更新=是") + std::string(100, ' ')));
        ASSERT_TRUE(page.put(control[0], control[1]));
        launch(runFolder);
        ASSERT_NO_FATAL_FAILURE(waitForMainWindow());
        EXPECT_TRUE(waitUntil([&] {
            DWORD_PTR result = 0;
            return SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 100, &result) != 0;
        }, 20000)) << "the main window takes no input";
        EXPECT_FALSE(anotherWindowShows(1000)) << describeWindows();
        EXPECT_EQ(closeProgram(), 0);
    }
}

TEST_F(UpdatingProgram, ForcedAndAskedTheQuestionFollowsTheUpdateWindowAndWaitsForTheAnswer) {
    HWND update = startWithPage(section("<p>是否强制更新=是</p><p>是否提示更新=是</p><p>自动更新地址=" +
                                        serverAddress() + "absent.exe</p><p>程序名字=absent.exe</p>"));
    ASSERT_TRUE(update);
    ASSERT_TRUE(downloadFailed(update, "服务器返回404"));
    PostMessageA(update, WM_CLOSE, 0, 0);
    HWND box = waitForWindow(kQuestionCaption, 10000);
    ASSERT_TRUE(box) << "no question after the update window; the program " << (program.running() ? "runs" : "ended");
    EXPECT_FALSE(waitUntil([&] { return !IsWindow(box); }, 1000)) << "the question did not wait for an answer";
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDNO)));
    EXPECT_EQ(program.waitForExit(), 0);
}

TEST_F(UpdatingProgram, AFailedDownloadOffersARetryThatReadsThePageAndDownloadsAgain) {
    HWND update = startWithPage(forcedPage("later.exe", "later.exe"));
    ASSERT_TRUE(update);
    ASSERT_TRUE(downloadFailed(update, "服务器返回404"));
    HWND button = retryOffered(update);
    // A retry the user cannot see is none: the button lies inside the window now.
    RECT client{}, shown{};
    auto buttonInside = [&] {
        GetClientRect(update, &client);
        GetWindowRect(button, &shown);
        MapWindowPoints(nullptr, update, reinterpret_cast<POINT*>(&shown), 2);
        return IsWindowVisible(button) && shown.top >= 0 && shown.bottom <= client.bottom;
    };
    EXPECT_TRUE(waitUntil(buttonInside))
        << "按钮1 at y " << shown.top << ".." << shown.bottom << ", client height " << client.bottom;

    // The retry reads the page again: what the first read missed or named wrongly
    // (a slow link, a page fixed meanwhile) is not what it retries.
    ASSERT_TRUE(files.put("update.html", forcedPage("moved.exe", "moved.exe")));
    ASSERT_TRUE(files.copy("moved.exe", siblingPath("update_new_program.exe")));
    ASSERT_TRUE(files.sign("moved.exe"));
    PostMessageA(update, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(program.waitForExit(), 0);
    EXPECT_TRUE(waitUntil([&] { return exists(runFolder + "\\moved.exe.ran"); })) << "the retry started nothing";
    EXPECT_EQ(pageRequests(), 3u) << "the check's read, the update window's and the retry's";
}

TEST_F(UpdatingProgram, AProgramSignedWithAnotherKeyReplacesNothingAndOffersARetry) {
    ASSERT_TRUE(files.copy("forged.exe", siblingPath("update_new_program.exe")));
    ASSERT_TRUE(files.sign("forged.exe", ServedFiles::Signer::Stranger));
    HWND update = startWithPage(forcedPage("forged.exe", "vostrel.exe"));
    ASSERT_TRUE(update);
    ASSERT_TRUE(downloadFailed(update, "签名验证未通过"));
    retryOffered(update);
    saveArtifact(update, "update-window-not-signed.bmp");
    EXPECT_TRUE(readFileBytes(runFolder + "\\vostrel.exe") == readFileBytes(siblingPath("vostrel.exe")))
        << "the running program's file was replaced";
    EXPECT_FALSE(exists(runFolder + "\\vostrel.exe.old"));
    EXPECT_FALSE(exists(runFolder + "\\vostrel.exe.download"));

    PostMessageA(update, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.waitForExit(), 0);
}

TEST_F(UpdatingProgram, AFailedDownloadSaysSoStopsTheClockAndClosingEnds) {
    // 是否提示更新=否 beside the forced update: closing the window ends the program
    // without a question (a question would hold the end up).
    HWND update = startWithPage(section("<p>是否强制更新=是</p><p>是否提示更新=否</p><p>自动更新地址=" + serverAddress() +
                                        "absent.exe</p><p>程序名字=absent.exe</p>"));
    ASSERT_TRUE(update);
    ASSERT_TRUE(downloadFailed(update, "服务器返回404"));
    std::string clock = label(update, "已用时间");
    waitUntil([] { return false; }, 1500);
    saveArtifact(update, "update-window-failed.bmp");
    EXPECT_EQ(label(update, "已用时间"), clock) << "the tick runs on after the failure";
    EXPECT_FALSE(exists(runFolder + "\\absent.exe"));

    PostMessageA(update, WM_CLOSE, 0, 0);
    EXPECT_FALSE(waitForWindow(kQuestionCaption, 1500)) << "asked although the page said 否";
    EXPECT_EQ(program.waitForExit(), 0);
}

TEST_F(UpdatingProgram, AProgramNameThatIsNotAPlainFileNameOrTheLibraryDownloadsNothing) {
    ASSERT_TRUE(files.copy("escape.exe", siblingPath("update_new_program.exe")));
    ASSERT_TRUE(writeFileBytes(runFolder + "\\morvath.txt", ""));
    for (const char* name : {"..\\escaped.exe", "MORVATH.txt"}) {
        SCOPED_TRACE(name);
        size_t before = requestsFor("/escape.exe").size();
        HWND update = startWithPage(forcedPage("escape.exe", name));
        ASSERT_TRUE(update);
        ASSERT_TRUE(downloadFailed(update, "程序名字无效"));
        waitUntil([] { return false; }, 1000);
        EXPECT_EQ(requestsFor("/escape.exe").size(), before);
        EXPECT_FALSE(exists(folder.path() + "\\escaped.exe"));
        EXPECT_EQ(readFileBytes(runFolder + "\\morvath.txt"), "");
        PostMessageA(update, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.waitForExit(), 0);
    }
}

TEST_F(UpdatingProgram, EndingDuringADownloadStopsItWithinTheStopWait) {
    ASSERT_TRUE(files.copy("stalls.exe", siblingPath("update_new_program.exe"), 1024 * 1024));
    ASSERT_TRUE(files.put("stalls.exe.stall", std::to_string(300 * 1024)));
    HWND update = startWithPage(forcedPage("stalls.exe", "stalls.exe"));
    ASSERT_TRUE(update);
    ASSERT_TRUE(waitUntil([&] { return label(update, "已经下载").find("/1MB") != std::string::npos; }))
        << gbkToUtf8(label(update, "已经下载"));

    DWORD before = GetTickCount();
    PostMessageA(update, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.waitForExit(5000), 0);
    std::cout << "vostrel.exe ended " << GetTickCount() - before << " ms after its window was closed\n";
    EXPECT_FALSE(exists(runFolder + "\\stalls.exe"));
    EXPECT_TRUE(waitUntil([&] { return !exists(runFolder + "\\stalls.exe.download"); }, 2000));
}

}  // namespace
}  // namespace vostrel
