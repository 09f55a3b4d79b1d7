// The real program, started from a folder of its own: its windows, its tab pages
// (screenshots of each are kept beside the build), its dialogs and its exit.
#include "app/layouts.h"
#include "library/text_windows.h"

#include "test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace vostrel {
namespace {

using namespace vostrel::test;


class RunningProgram : public ::testing::Test {
protected:
    void SetUp() override {
        std::string exe = folder.file("vostrel.exe");
        ASSERT_TRUE(CopyFileA(siblingPath("vostrel.exe").c_str(), exe.c_str(), FALSE));
        ASSERT_TRUE(program.start(exe, "", folder.path()));
        main = waitForProcessWindow(program.id(), kMainCaption);
        ASSERT_TRUE(main) << "no main window; visible windows:\n" << describeWindows();
    }

    HWND control(const WindowLayout& layout, HWND window, const char* name) {
        return findDescendantById(window, controlIdOf(layout, name));
    }

    void chooseMenuItem(int row) { PostMessageA(main, WM_COMMAND, kFirstMenuId + row, 0); }

    TempFolder folder;
    ChildProcess program;
    HWND main = nullptr;
};

TEST_F(RunningProgram, StartsWithoutALibraryToAnEmptyListAndNoMessage) {
    HWND list = control(kMainWindowLayout, main, "超级列表框1");
    ASSERT_TRUE(list);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
    // The main window is the program's only visible window, and it takes input.
    EXPECT_FALSE(waitUntil([&] {
        HWND other = findProcessWindow(program.id());
        return other && other != main;
    }, 1000)) << describeWindows();
    EXPECT_TRUE(IsWindowEnabled(main));

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.waitForExit(), 0);
}

TEST_F(RunningProgram, EachTabPageShowsItsControls) {
    HWND tab = control(kMainWindowLayout, main, "高级选择夹1");
    const char* pages[] = {"选择夹页1", "选择夹页2", "选择夹页3"};
    RECT tabRect{};
    GetWindowRect(tab, &tabRect);
    SetForegroundWindow(main);
    for (int page = 0; page < 3; ++page) {
        // Click the page's header: a real click, as the user does.
        int headerX = tabRect.left + (page == 0 ? 40 : page == 1 ? 140 : 250);
        SetCursorPos(headerX, tabRect.top + 10);
        mouse_event(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        HWND shown = control(kMainWindowLayout, main, pages[page]);
        ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(shown) != FALSE; }, 3000)) << "page " << page + 1;
        for (int other = 0; other < 3; ++other) {
            if (other != page) {
                EXPECT_FALSE(IsWindowVisible(control(kMainWindowLayout, main, pages[other])));
            }
        }
        RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        waitUntil([] { return false; }, 300);  // let the other process paint
        CreateDirectoryA(siblingPath("artifacts").c_str(), nullptr);
        EXPECT_TRUE(saveScreenshot(main, siblingPath("artifacts\\main-page-" + std::to_string(page + 1) + ".bmp")));
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.waitForExit(), 0);
}

TEST_F(RunningProgram, DialogsOpenModalAndFreshEachTime) {
    for (int opening = 0; opening < 2; ++opening) {
        chooseMenuItem(0);  // 新增一组场控文本
        HWND editor = waitForProcessWindow(program.id(), "Morvath--Vostrel文本编辑器");
        ASSERT_TRUE(editor) << describeWindows();
        EXPECT_FALSE(IsWindowEnabled(main));
        HWND title = control(kTextEditorWindowLayout, editor, "编辑框1");
        ASSERT_TRUE(title);
        EXPECT_EQ(windowText(title), "");  // nothing typed in an earlier opening survives
        SendMessageA(title, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed"));
        PostMessageA(editor, WM_CLOSE, 0, 0);
        ASSERT_TRUE(waitUntil([&] { return !IsWindow(editor); }));
        EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(main) != FALSE; }));
    }

    chooseMenuItem(1);  // 修改选中场控文本, with no row selected
    HWND modifier = waitForProcessWindow(program.id(), "Morvath--Vostrel文本修改器");
    ASSERT_TRUE(modifier) << describeWindows();
    EXPECT_FALSE(IsWindowEnabled(main));
    PostMessageA(modifier, WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(modifier); }));

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.waitForExit(), 0);
}

}  // namespace
}  // namespace vostrel
