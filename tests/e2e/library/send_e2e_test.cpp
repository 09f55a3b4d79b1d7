// Sending a room-control text, end to end: the real program and the stand-in
// client side by side; the test captures the client with F10, double-clicks a row
// of the text list as the user does, and reads what the client's chat received
// from its log.
#include "app/layouts.h"
#include "client/send_text.h"
#include "core/text_record.h"
#include "standin_log.h"

#include "test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <sstream>

namespace vostrel {
namespace {

using namespace vostrel::test;

const char kCaptureTitle[] = "温馨提示：";  // the capture's own notices
constexpr int kCaptureMenuRow = 6;          // 抓取指定客户端

const std::string kGreeting = "\xB4\xF3\xBC\xD2\xBA\xC3 \\ welcome\r\n\xB5\xDA\xB6\xFE\xD0\xD0";  // 大家好 \ welcome, 第二行
const std::string kRules = "rule one";

// The clipboard's text as this process reads it; "<closed>" when it cannot be opened.
std::string clipboardText() {
    if (!OpenClipboard(nullptr)) return "<closed>";
    std::string text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void putOnClipboard(const std::string& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

class SendRoad : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(writeFileBytes(folder.file("morvath.txt"),
                                   encodeTextRows({{{"greeting", kGreeting}}, {{"rules", kRules}}})));
        std::string exe = folder.file("vostrel.exe");
        ASSERT_TRUE(CopyFileA(siblingPath("vostrel.exe").c_str(), exe.c_str(), FALSE));
        log = folder.file("standin.log");
        ASSERT_TRUE(client.start(siblingPath("standin-client.exe"), "\"" + log + "\"", folder.path()));
        room = waitForProcessWindow(client.id(), standin::kRoomTitle);
        ASSERT_TRUE(room) << "no room window; visible windows:\n" << describeWindows();
        ASSERT_TRUE(program.start(exe, "", folder.path()));
        main = waitForProcessWindow(program.id(), kMainCaption);
        ASSERT_TRUE(main) << "no main window; visible windows:\n" << describeWindows();
        list = findDescendantById(main, controlIdOf(kMainWindowLayout, "超级列表框1"));
        ASSERT_TRUE(list);
        ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
        ASSERT_TRUE(waitUntil([&] { return readFileBytes(log).rfind("ready", 0) == 0; }));
        // Beside the room, so that clicks on the list reach the list.
        SetWindowPos(main, HWND_TOP, 840, 300, 0, 0, SWP_NOSIZE);
    }

    void TearDown() override {
        if (HasFailure()) std::cout << "client log:\n" << gbkToUtf8(readFileBytes(log)) << describeWindows();
        if (program.running()) {
            PostMessageA(main, WM_CLOSE, 0, 0);
            program.waitForExit();
        }
    }

    HWND waitForBox(const char* title, int timeoutMs = 5000) {
        HWND box = nullptr;
        waitUntil([&] { return (box = findProcessWindow(program.id(), title)) != nullptr; }, timeoutMs);
        return box;
    }
    std::string dismissBox(const char* title) {
        HWND box = waitForBox(title);
        if (!box) return "<no message box '" + gbkToUtf8(title) + "'>";
        std::string text = messageBoxText(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(waitUntil([&] { return !IsWindow(box); }));
        return text;
    }

    void capture() {
        PostMessageA(main, WM_COMMAND, kFirstMenuId + kCaptureMenuRow, 0);
        dismissBox(kCaptureTitle);
        POINT strip{400, 12};  // the room's title strip
        ClientToScreen(room, &strip);
        SetCursorPos(strip.x, strip.y);
        keybd_event(VK_F10, 0, 0, 0);
        keybd_event(VK_F10, 0, KEYEVENTF_KEYUP, 0);
        dismissBox(kCaptureTitle);
        RECT r{};
        GetWindowRect(room, &r);
        ASSERT_EQ(r.right - r.left, 802) << "not captured";
    }

    // Two quick real clicks on the list: on row `row`, or below the rows for -1.
    void doubleClickRow(int row) {
        SetForegroundWindow(main);
        RECT header{}, listRect{};
        GetWindowRect(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0)), &header);
        GetWindowRect(list, &listRect);
        int rowHeight = 17;
        int y = row >= 0 ? header.bottom + rowHeight * row + rowHeight / 2 : listRect.bottom - 20;
        SetCursorPos(listRect.left + 40, y);
        for (int i = 0; i < 2; ++i) {
            mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
            mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        }
    }

    std::vector<std::string> chatLines() {
        std::vector<std::string> lines;
        std::istringstream in(readFileBytes(log));
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("chat ", 0) == 0) lines.push_back(line);
        }
        return lines;
    }
    void expectNoNewChatFor(size_t count, int ms) {
        waitUntil([] { return false; }, ms);
        EXPECT_EQ(chatLines().size(), count) << "the client's chat received something";
    }

    TempFolder folder;
    ChildProcess client, program;
    std::string log;
    HWND room = nullptr, main = nullptr, list = nullptr;
};

TEST_F(SendRoad, DoubleClickSendsTheBodyAsOnePasteAndOneEnter) {
    capture();
    putOnClipboard("what the user copied");
    doubleClickRow(0);
    const std::string line = "chat " + standin::escapeLogText(kGreeting);
    ASSERT_TRUE(waitUntil([&] { return !chatLines().empty(); })) << "nothing reached the chat";
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(chatLines(), std::vector<std::string>{line});
    EXPECT_EQ(clipboardText(), kGreeting);

    // The same row again: sent again.
    doubleClickRow(0);
    ASSERT_TRUE(waitUntil([&] { return chatLines().size() == 2; })) << "the second send did not arrive";
    EXPECT_EQ(chatLines()[1], line);

    doubleClickRow(1);
    ASSERT_TRUE(waitUntil([&] { return chatLines().size() == 3; }));
    EXPECT_EQ(chatLines()[2], "chat " + kRules);
}

TEST_F(SendRoad, WithoutSelectionAnEmptyTextGoes) {
    capture();
    putOnClipboard("what the user copied");
    doubleClickRow(-1);  // below the rows: nothing selected
    ASSERT_TRUE(waitUntil([&] { return clipboardText().empty(); }, 3000)) << gbkToUtf8(clipboardText());
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), -1);
    expectNoNewChatFor(0, 400);  // the client sends nothing for an empty input
}

TEST_F(SendRoad, WithoutACapturedClientItSaysSoAndSendsNothing) {
    putOnClipboard("what the user copied");
    doubleClickRow(0);
    EXPECT_EQ(dismissBox(send::kTitle), send::kNoClientMessage);
    expectNoNewChatFor(0, 300);
    EXPECT_EQ(clipboardText(), "what the user copied");
}

// A captured client that has since closed counts as none: the user is told to
// capture again instead of double-clicks that do nothing.
TEST_F(SendRoad, AClosedClientCountsAsNotCaptured) {
    capture();
    client.terminate();
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(room); }));
    doubleClickRow(0);
    EXPECT_EQ(dismissBox(send::kTitle), send::kNoClientMessage);
}

TEST_F(SendRoad, HeldClipboardSendsNothingAndSaysSo) {
    capture();
    putOnClipboard("what the user copied");
    // This test's window holds the clipboard open, as another program might.
    HWND holder = CreateWindowExA(0, "STATIC", "holder", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(OpenClipboard(holder));
    doubleClickRow(0);
    std::string message = dismissBox(send::kTitle);
    CloseClipboard();
    DestroyWindow(holder);
    EXPECT_EQ(message, send::kClipboardBusyMessage);
    expectNoNewChatFor(0, 400);
    EXPECT_EQ(clipboardText(), "what the user copied");
}

}  // namespace
}  // namespace vostrel
