// Sending a room-control text, end to end: the real program and the stand-in
// client side by side; the test captures the client with F10, double-clicks a row
// of the text list as the user does, and reads what the client's chat received
// from its log.
#include "client/send_text.h"
#include "core/text_record.h"

#include "e2e_fixture.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace vostrel {
namespace {

using namespace vostrel::test;

const std::string kGreeting = "\xB4\xF3\xBC\xD2\xBA\xC3 \\ welcome\r\n\xB5\xDA\xB6\xFE\xD0\xD0";  // 大家好 \ welcome, 第二行
const std::string kRules = "rule one";

class SendRoad : public ProgramDriver {
protected:
    void SetUp() override {
        ASSERT_TRUE(writeFileBytes(folder.file("morvath.txt"),
                                   encodeTextRows({{{"greeting", kGreeting}}, {{"rules", kRules}}})));
        ASSERT_NO_FATAL_FAILURE(startClient());
        ASSERT_NO_FATAL_FAILURE(startProgram());
        ASSERT_EQ(rowCount(), 2);
        // Beside the room, so that clicks on the list reach the list.
        SetWindowPos(main, HWND_TOP, 840, 300, 0, 0, SWP_NOSIZE);
    }

    void capture() {
        armCapture();
        pointAt({400, 12});  // the room's title strip
        press(VK_F10);
        dismissMessage(kCaptureTitle);
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
        movePointer(listRect.left + 40, y);
        for (int i = 0; i < 2; ++i) {
            mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
            mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        }
    }

    // What the chat input did: each line sent, and each Enter that had nothing to send.
    std::vector<std::string> chatLines() {
        std::vector<std::string> lines;
        for (const std::string& line : logLines()) {
            if (line.rfind("chat", 0) == 0) lines.push_back(line);
        }
        return lines;
    }
    // Sends the rules row and checks the whole chat once its line is there. The
    // client handles what is posted to it in order, so anything an earlier send
    // put into the chat is in the log by then: no waiting for what should not come.
    void expectChatAfterRules(std::vector<std::string> earlier) {
        const std::string rules = "chat " + kRules;
        doubleClickRow(1);
        ASSERT_TRUE(waitUntil([&] {
            std::vector<std::string> lines = chatLines();
            return !lines.empty() && lines.back() == rules;
        })) << "the rules did not arrive; the client logged:\n" << logText();
        earlier.push_back(rules);
        EXPECT_EQ(chatLines(), earlier);
    }
};

TEST_F(SendRoad, DoubleClickSendsTheBodyAsOnePasteAndOneEnter) {
    capture();
    ASSERT_TRUE(putOnClipboard("what the user copied"));
    doubleClickRow(0);
    const std::string line = "chat " + standin::escapeLogText(kGreeting);
    ASSERT_TRUE(waitUntil([&] { return !chatLines().empty(); })) << "nothing reached the chat";
    EXPECT_EQ(clipboardText(), kGreeting);

    // The same row again: sent again, each time one line.
    doubleClickRow(0);
    ASSERT_TRUE(waitUntil([&] { return chatLines().size() >= 2; })) << "the second send did not arrive";
    expectChatAfterRules({line, line});
}

TEST_F(SendRoad, WithoutSelectionAnEmptyTextGoes) {
    capture();
    ASSERT_TRUE(putOnClipboard("what the user copied"));
    doubleClickRow(-1);  // below the rows: nothing selected
    ASSERT_TRUE(waitUntil([&] { return clipboardText().empty(); }, 3000)) << gbkToUtf8(clipboardText());
    EXPECT_EQ(selectedRow(), -1);
    // The client took the select-all, the paste and Enter, and sent nothing.
    ASSERT_TRUE(waitUntil([&] { return !chatLines().empty(); })) << "the Enter did not arrive";
    EXPECT_EQ(chatLines(), std::vector<std::string>{"chat-empty"});
}

TEST_F(SendRoad, WithoutACapturedClientItSaysSoAndSendsNothing) {
    ASSERT_TRUE(putOnClipboard("what the user copied"));
    doubleClickRow(0);
    EXPECT_EQ(dismissMessage(send::kTitle), send::kNoClientMessage);
    EXPECT_EQ(clipboardText(), "what the user copied");
    capture();
    expectChatAfterRules({});
}

// A captured client that has since closed counts as none: the user is told to
// capture again instead of double-clicks that do nothing.
TEST_F(SendRoad, AClosedClientCountsAsNotCaptured) {
    capture();
    client.terminate();
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(room); }));
    doubleClickRow(0);
    EXPECT_EQ(dismissMessage(send::kTitle), send::kNoClientMessage);
}

TEST_F(SendRoad, HeldClipboardSendsNothingAndSaysSo) {
    capture();
    ASSERT_TRUE(putOnClipboard("what the user copied"));
    // This test's window holds the clipboard open, as another program might.
    HWND holder = CreateWindowExA(0, "STATIC", "holder", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(OpenClipboard(holder));
    doubleClickRow(0);
    std::string message = dismissMessage(send::kTitle);
    CloseClipboard();
    DestroyWindow(holder);
    EXPECT_EQ(message, send::kClipboardBusyMessage);
    EXPECT_EQ(clipboardText(), "what the user copied");
    expectChatAfterRules({});
}

}  // namespace
}  // namespace vostrel
