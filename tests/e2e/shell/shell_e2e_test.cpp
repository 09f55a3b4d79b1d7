// The real program, started from a folder of its own: its windows, its tab pages
// (screenshots of each are kept beside the build), its dialogs and its exit.
#include "core/text_record.h"
#include "library/text_editing.h"
#include "library/text_windows.h"

#include "e2e_fixture.h"

#include <gtest/gtest.h>

namespace vostrel {
namespace {

using namespace vostrel::test;

class RunningProgram : public ProgramDriver {
protected:
    void SetUp() override { startProgram(); }
};

// A library beside the program is GBK, whatever the system's code page; a start
// that found one must end with the window showing its rows and answering.
class StartingProgram : public ProgramDriver {};

TEST_F(StartingProgram, AGbkLibraryBesideItShowsItsRowsAndTheWindowAnswers) {
    std::vector<TextRow> rows(2);
    rows[0].cells = {"欢迎词", "欢迎来到本频道！请文明发言"};
    rows[1].cells = {"晚安", "今天的活动到此结束\r\n感谢大家"};
    ASSERT_TRUE(writeFileBytes(folder.file("morvath.txt"), encodeTextRows(rows)));
    startProgram();
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, &answer)) << "the window does not answer";
    EXPECT_EQ(rowsText(shownRows(list)), rowsText(rows));
    EXPECT_EQ(closeProgram(), 0);
}

TEST_F(RunningProgram, StartsWithoutALibraryToAnEmptyListAndNoMessage) {
    EXPECT_EQ(rowCount(), 0);
    // The main window is the program's only visible window, and it takes input.
    EXPECT_FALSE(anotherWindowShows(1000)) << describeWindows();
    EXPECT_TRUE(IsWindowEnabled(main));

    EXPECT_EQ(closeProgram(), 0);
}

TEST_F(RunningProgram, EachTabPageShowsItsControls) {
    HWND tab = control("高级选择夹1");
    const char* pages[] = {"选择夹页1", "选择夹页2", "选择夹页3"};
    RECT tabRect{};
    GetWindowRect(tab, &tabRect);
    SetForegroundWindow(main);
    for (int page = 0; page < 3; ++page) {
        // Click the page's header: a real click, as the user does.
        int headerX = tabRect.left + (page == 0 ? 40 : page == 1 ? 140 : 250);
        movePointer(headerX, tabRect.top + 10);
        mouse_event(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        HWND shown = control(pages[page]);
        ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(shown) != FALSE; }, 3000)) << "page " << page + 1;
        for (int other = 0; other < 3; ++other) {
            if (other != page) {
                EXPECT_FALSE(IsWindowVisible(control(pages[other])));
            }
        }
        RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        waitUntil([] { return false; }, 300);  // let the other process paint
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "..." + std::string.
        std::string picture = "main-page-";
        picture += std::to_string(page + 1);
        EXPECT_TRUE(saveArtifact(main, picture + ".bmp"));
    }
    EXPECT_EQ(closeProgram(), 0);
}

TEST_F(RunningProgram, DialogsOpenModalAndFreshEachTime) {
    for (int opening = 0; opening < 2; ++opening) {
        chooseMenuItem(openTextEditor);
        HWND editor = waitForProcessWindow(program.id(), "Morvath--Vostrel文本编辑器");
        ASSERT_TRUE(editor) << describeWindows();
        EXPECT_FALSE(IsWindowEnabled(main));
        HWND title = control(editor, kTextEditorWindowLayout, "编辑框1");
        ASSERT_TRUE(title);
        EXPECT_EQ(controlText(title), "");  // nothing typed in an earlier opening survives
        SendMessageA(title, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed"));
        PostMessageA(editor, WM_CLOSE, 0, 0);
        ASSERT_TRUE(waitUntil([&] { return !IsWindow(editor); }));
        EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(main) != FALSE; }));
    }

    chooseMenuItem(openTextModifier);  // with no row selected
    HWND modifier = waitForProcessWindow(program.id(), "Morvath--Vostrel文本修改器");
    ASSERT_TRUE(modifier) << describeWindows();
    EXPECT_FALSE(IsWindowEnabled(main));
    PostMessageA(modifier, WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(modifier); }));

    EXPECT_EQ(closeProgram(), 0);
}

}  // namespace
}  // namespace vostrel
