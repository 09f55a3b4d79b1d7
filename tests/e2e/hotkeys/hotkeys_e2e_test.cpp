// The moderator's road, end to end: the real program and the stand-in client run
// side by side; the test ticks the program's check boxes, points at a member in
// the client, presses the function key as the user would and reads the effect
// from the client's log.
#include "client/capture.h"
#include "win/gbk_wide.h"

#include "e2e_fixture.h"

#include <gtest/gtest.h>

#include <utility>

namespace vostrel {
namespace {

using namespace vostrel::test;

const char kReminderTitle[] = "友情提醒";
const char kCaptured[] = "客户端窗口大小已经调整请勿在做改变";

// A hotkey held by "another program": this test process.
class HeldKey {
public:
    explicit HeldKey(UINT key) : held_(RegisterHotKey(nullptr, 0x5A00 + static_cast<int>(key), 0, key) != FALSE), key_(key) {}
    ~HeldKey() { release(); }
    bool held() const { return held_; }
    void release() {
        if (held_) UnregisterHotKey(nullptr, 0x5A00 + static_cast<int>(key_));
        held_ = false;
    }

private:
    bool held_;
    UINT key_;
};

class HotkeyRoad : public ProgramDriver {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(startClient());
        ASSERT_NO_FATAL_FAILURE(startProgram());
    }

    bool isChecked(const char* box) { return SendMessageA(control(box), BM_GETCHECK, 0, 0) == BST_CHECKED; }

    // A click on the real check box, as the user's click would arrive.
    void click(const char* box) {
        HWND c = control(box);
        ASSERT_TRUE(c) << box;
        SendMessageA(c, BM_CLICK, 0, 0);
    }

    void tick(const char* box) {
        ASSERT_FALSE(isChecked(box)) << box;
        click(box);
        ASSERT_TRUE(isChecked(box)) << box;
    }

    // The log's effect lines: all but "ready" and "menu".
    std::vector<std::string> effects() {
        std::vector<std::string> out;
        for (const std::string& line : logLines()) {
            if (line.rfind("ready", 0) != 0 && line.rfind("menu", 0) != 0) out.push_back(line);
        }
        return out;
    }

    // Waits for the client to log these effects (and nothing else) after the mark.
    void expectEffectsSince(size_t mark, const std::vector<std::string>& expected, int timeoutMs = 5000) {
        auto since = [&] {
            std::vector<std::string> all = effects();
            return std::vector<std::string>(all.begin() + static_cast<long>(std::min(mark, all.size())), all.end());
        };
        bool arrived = waitUntil([&] { return since().size() >= expected.size(); }, timeoutMs);
        // Give a wrong extra effect the chance to show, once the client has no menu open.
        waitUntil([] { return !FindWindowA(standin::kWindowClass, standin::kMenuTitle); }, 1000);
        waitUntil([] { return false; }, 150);
        EXPECT_TRUE(arrived) << "waited for " << expected.size() << " effect(s)";
        EXPECT_EQ(since(), expected);
    }

    // The window has the size a capture gives (802 x 582); where before is given, still at its place.
    void expectCaptured(HWND window, const RECT* before = nullptr) {
        RECT after{};
        GetWindowRect(window, &after);
        EXPECT_EQ(after.right - after.left, 802);
        EXPECT_EQ(after.bottom - after.top, 582);
        if (before) {
            EXPECT_EQ(after.left, before->left);
            EXPECT_EQ(after.top, before->top);
        }
    }

    void expectNothingFor(int ms) {
        size_t before = logLines().size();
        waitUntil([] { return false; }, ms);
        EXPECT_EQ(logLines().size(), before) << "the client reacted although it should not have";
    }

    // The tool's window beside the room, not over it. Where the two overlap, one may be
    // raised over the other after the test has looked (Wine activates a window a
    // moment after the instruction box closes, when X reports the focus), and F10
    // then rightly takes the window on top.
    void moveToolClearOfTheRoom() {
        RECT roomRect{}, at{};
        GetWindowRect(room, &roomRect);
        const int x = roomRect.left + 802 + 40, y = 420;  // past the room, even once captured
        SetWindowPos(main, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(waitUntil([&] { return GetWindowRect(main, &at) && at.left == x && at.top == y; }));
    }

    // F10 with the pointer at the centre of the window, once nothing covers it there;
    // returns the capture's notice, answered with OK.
    std::string captureAt(HWND target) {
        RECT r{};
        GetWindowRect(target, &r);
        POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        movePointer(centre.x, centre.y);
        if (!waitUntil([&] { return WindowFromPoint(centre) == target; })) return "<covered>";
        press(VK_F10);
        return dismissMessage(kCaptureTitle, 5000);
    }
};

struct KeyCase {
    const char* box;
    BYTE key;
    int member;
    std::string effect;
};

TEST_F(HotkeyRoad, EachKeyActsOnTheMemberUnderThePointer) {
    setWindowText(control("马甲格式"), "【管理】大熊");
    const KeyCase cases[] = {
        {"选择框1", VK_F1, 2, "guest m2 on"},         {"选择框2", VK_F3, 3, "member m3 on"},
        {"选择框3", VK_F4, 4, "no-typing m4 on"},     {"选择框4", VK_F5, 5, "no-pictures m5 on"},
        {"选择框5", VK_F6, 6, "ban-id m6"},           {"选择框6", VK_F7, 7, "ban-ip m7"},
        {"选择框7", VK_F8, 8, "name-card m8 【管理】大熊"},
    };
    // All seven keys live at once: each must run only its own action.
    for (const KeyCase& c : cases) tick(c.box);
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.effect);
        size_t mark = effects().size();
        pointAt(standin::memberListPoint(c.member));
        press(c.key);
        expectEffectsSince(mark, {c.effect});
        EXPECT_TRUE(logHas("menu " + standin::memberTag(c.member) + " list"));
    }
    // The role walks show the menu's handle, a decimal number, in 标签2.
    std::string shown = windowText(control("标签2"));
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(shown.find_first_not_of("-0123456789"), std::string::npos) << shown;
    EXPECT_NE(shown, "0");

    // The toggles undo themselves on the second press.
    size_t mark = effects().size();
    pointAt(standin::memberListPoint(2));
    press(VK_F1);
    expectEffectsSince(mark, {"guest m2 off"});
    mark = effects().size();
    pointAt(standin::memberListPoint(4));
    press(VK_F4);
    expectEffectsSince(mark, {"no-typing m4 off"});
}

TEST_F(HotkeyRoad, WithBox8TheLeftClickAloneWorksOnTheChatPane) {
    tick("选择框3");
    tick("选择框8");
    pointAt(standin::chatNamePoint(3));
    press(VK_F4);
    expectEffectsSince(0, {"no-typing m3 on"});
    EXPECT_TRUE(logHas("menu m3 chat"));
    EXPECT_FALSE(logHas("menu m3 list"));
}

TEST_F(HotkeyRoad, TickUntickTickTurnsTheKeyOnOffOn) {
    pointAt(standin::memberListPoint(1));
    tick("选择框4");
    press(VK_F5);
    expectEffectsSince(0, {"no-pictures m1 on"});

    click("选择框4");
    ASSERT_FALSE(isChecked("选择框4"));
    press(VK_F5);
    expectNothingFor(800);

    tick("选择框4");
    press(VK_F5);
    expectEffectsSince(1, {"no-pictures m1 off"});
}

TEST_F(HotkeyRoad, AKeyHeldElsewhereUnticksTheBoxAndNamesTheKey) {
    HeldKey f6(VK_F6);
    ASSERT_TRUE(f6.held());
    // Posted: the program answers with a message box, which would hold a sent click.
    PostMessageA(control("选择框5"), BM_CLICK, 0, 0);
    EXPECT_EQ(dismissMessage(kReminderTitle), "快捷键F6已被其他程序占用，无法使用，请先关闭占用它的程序");
    EXPECT_FALSE(isChecked("选择框5")) << "a ticked box whose key does nothing";

    // Once the other program lets go, ticking works.
    f6.release();
    pointAt(standin::memberListPoint(5));
    tick("选择框5");
    press(VK_F6);
    expectEffectsSince(0, {"ban-id m5"});
}

TEST_F(HotkeyRoad, ASecondKeyDuringTheMenuWaitRunsNestedAndBothFinish) {
    tick("选择框1");
    tick("选择框3");
    std::string before = windowText(control("标签2"));
    pointAt(standin::memberListPoint(2));
    press(VK_F1);
    // The client has opened the menu: F1 is now in its 200 ms wait.
    ASSERT_TRUE(waitUntil([&] { return logHas("menu m2 list"); }, 3000));
    press(VK_F4);
    ASSERT_TRUE(waitUntil([&] { return logHas("no-typing m2 on"); }));
    // F1 went on after F4 had finished: it reached the step that shows the menu's handle.
    EXPECT_TRUE(waitUntil([&] { return windowText(control("标签2")) != before; }, 3000));
    waitUntil([] { return !FindWindowA(standin::kWindowClass, standin::kMenuTitle); }, 2000);

    // Nothing is left half-done: both keys still work.
    size_t mark = effects().size();
    press(VK_F4);
    expectEffectsSince(mark, {"no-typing m2 off"});
    mark = effects().size();
    press(VK_F1);
    expectEffectsSince(mark, {logHas("guest m2 on") ? "guest m2 off" : "guest m2 on"});
}

// A held key repeats its key-down; the action runs once per press, however long
// the key is held: here the repeats come after each action has finished.
TEST_F(HotkeyRoad, AKeyHeldDownActsOnce) {
    tick("选择框3");
    pointAt(standin::memberListPoint(4));
    for (int i = 0; i < 5; ++i) {
        keybd_event(VK_F4, 0, 0, 0);
        waitUntil([] { return false; }, 400);
    }
    keybd_event(VK_F4, 0, KEYEVENTF_KEYUP, 0);
    expectEffectsSince(0, {"no-typing m4 on"});
    expectNothingFor(500);
    size_t menus = 0;
    for (const std::string& line : logLines()) menus += line.rfind("menu", 0) == 0;
    EXPECT_EQ(menus, 1u) << "one menu per press";

    // Released, the key acts again.
    press(VK_F4);
    expectEffectsSince(1, {"no-typing m4 off"});
}

TEST_F(HotkeyRoad, F10CapturesTheWindowUnderThePointerOnce) {
    RECT before{};
    GetWindowRect(room, &before);
    // Chosen twice: the instruction twice, F10 armed once.
    armCapture();
    armCapture();

    pointAt({400, 12});  // the room window's title strip
    press(VK_F10);
    HWND done = waitForWindow(kCaptureTitle);
    ASSERT_TRUE(done) << "no capture";
    EXPECT_EQ(messageBoxText(done), kCaptured);
    expectCaptured(room, &before);
    ASSERT_TRUE(pressOk(done));

    // F10 is an ordinary key again: nobody holds it, and pressing it captures nothing.
    {
        HeldKey f10(VK_F10);
        EXPECT_TRUE(f10.held()) << "F10 still registered after the capture";
    }
    press(VK_F10);
    EXPECT_FALSE(waitForWindow(kCaptureTitle, 800)) << "F10 captured a second time";
}

TEST_F(HotkeyRoad, F10OverTheToolItselfCapturesTheTool) {
    armCapture();

    moveToolClearOfTheRoom();
    RECT before{};
    GetWindowRect(main, &before);
    movePointer(before.left + 60, before.top + 8);  // the tool's title bar
    ASSERT_TRUE(waitUntil([&] {
        POINT at{before.left + 60, before.top + 8};
        return WindowFromPoint(at) == main;
    })) << describeWindows();
    press(VK_F10);
    HWND done = waitForWindow(kCaptureTitle);
    ASSERT_TRUE(done) << "no capture";
    expectCaptured(main, &before);
    pressOk(done);
}

// Over a child control F10 takes the control's top-level window, and the control
// keeps its size inside it: the room, not its send button; the tool, not its list.
TEST_F(HotkeyRoad, F10OverAChildControlCapturesItsTopLevelWindow) {
    HWND button = FindWindowExA(room, nullptr, "Button", nullptr);
    ASSERT_TRUE(button) << "the room window has no child control";
    // F10 over the child with its top-level window raised: the child's rectangle
    // before and after.
    moveToolClearOfTheRoom();
    auto captureOver = [&](HWND top, HWND child) {
        RECT before = rectInParent(child);
        armCapture();
        EXPECT_EQ(captureAt(child), kCaptured);
        expectCaptured(top);
        return std::pair{before, rectInParent(child)};
    };
    auto [buttonBefore, buttonAfter] = captureOver(room, button);
    EXPECT_EQ(GetParent(button), room);
    EXPECT_EQ(buttonAfter.right - buttonAfter.left, buttonBefore.right - buttonBefore.left);
    EXPECT_EQ(buttonAfter.bottom - buttonAfter.top, buttonBefore.bottom - buttonBefore.top);

    auto [listBefore, listAfter] = captureOver(main, list);
    EXPECT_EQ(listAfter.left, listBefore.left);
    EXPECT_EQ(listAfter.top, listBefore.top);
    EXPECT_EQ(listAfter.right, listBefore.right);
    EXPECT_EQ(listAfter.bottom, listBefore.bottom);
}

// F10 becomes live only once its instruction has been answered: pressed with the
// pointer on the instruction's OK button it captures nothing.
TEST_F(HotkeyRoad, F10IsNotLiveWhileItsInstructionIsOpen) {
    chooseMenuItem(beginCapture);
    HWND box = waitForWindow(kCaptureTitle);
    ASSERT_TRUE(box);
    HWND ok = GetDlgItem(box, IDOK);
    ASSERT_TRUE(ok);
    RECT okBefore{}, boxBefore{};
    GetWindowRect(ok, &okBefore);
    GetWindowRect(box, &boxBefore);
    movePointer((okBefore.left + okBefore.right) / 2, (okBefore.top + okBefore.bottom) / 2);
    // The keys go to a window of this test, as to any program in front: an F10
    // that is no hotkey must not put the instruction into its keyboard menu mode.
    HWND front = CreateWindowExA(0, "STATIC", "front", WS_POPUP | WS_VISIBLE, 0, 0, 8, 8, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(front);
    press(VK_F10);
    auto otherBoxes = [&] {
        int count = 0;
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, nullptr, toWide(kCaptureTitle).c_str())) != nullptr;) {
            count += w != box && IsWindowVisible(w);
        }
        return count;
    };
    EXPECT_FALSE(waitUntil([&] { return otherBoxes() > 0; }, 800)) << "F10 captured while its instruction was open";
    RECT okAfter{}, boxAfter{};
    GetWindowRect(ok, &okAfter);
    GetWindowRect(box, &boxAfter);
    EXPECT_EQ(okAfter.right - okAfter.left, okBefore.right - okBefore.left);
    EXPECT_EQ(boxAfter.right - boxAfter.left, boxBefore.right - boxBefore.left);
    EXPECT_EQ(messageBoxText(box), kCaptureInstruction);
    ASSERT_TRUE(pressOk(box));
    DestroyWindow(front);

    // Answered: now F10 captures.
    SetWindowPos(room, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(captureAt(room), kCaptured);
    expectCaptured(room);
}

// The instruction comes first; a taken F10 is reported when the user has read it.
TEST_F(HotkeyRoad, F10HeldElsewhereIsReportedAfterTheInstruction) {
    HeldKey f10(VK_F10);
    ASSERT_TRUE(f10.held());
    armCapture();
    EXPECT_EQ(dismissMessage(kCaptureTitle), "快捷键F10已被其他程序占用，无法使用，请先关闭占用它的程序")
        << "F10 is taken and nobody said so";
}

// What the text sending relies on in the client, at the captured size: a posted
// click focuses the chat input, select-all and paste replace its content with
// the clipboard text, Enter sends it.
TEST_F(HotkeyRoad, TheCapturedRoomTakesAPastedChatLine) {
    program.terminate();
    MoveWindow(room, 10, 10, 802, 582, TRUE);
    const std::string body = "你好 \\ 世界\r\n第二行";
    ASSERT_TRUE(putOnClipboard(body));
    // Typed text that the paste must replace.
    PostMessageA(room, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(412, 525));
    PostMessageA(room, WM_LBUTTONUP, 0, MAKELPARAM(412, 525));
    PostMessageA(room, WM_CHAR, 'x', 0);
    PostMessageA(room, EM_SETSEL, 0, -1);
    PostMessageA(room, WM_PASTE, 0, 0);
    PostMessageA(room, WM_KEYDOWN, 13, 0);
    PostMessageA(room, WM_KEYUP, 13, 0);
    ASSERT_TRUE(waitUntil([&] { return !effects().empty(); }));
    EXPECT_EQ(effects(), std::vector<std::string>{"chat " + standin::escapeLogText(body)});
    EXPECT_EQ(effects()[0], "chat 你好 \\\\ 世界\\r\\n第二行");

    // A click elsewhere takes the keyboard from the input: Enter sends nothing.
    PostMessageA(room, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(600, 200));
    PostMessageA(room, WM_CHAR, 'y', 0);
    PostMessageA(room, WM_KEYDOWN, 13, 0);
    expectNothingFor(400);
}

// The client is a Unicode program: what it logs is what it received, so text
// garbled on its way can never pass for the text sent. A character beyond the
// Basic Multilingual Plane arrives as two WM_CHAR, its surrogates.
TEST_F(HotkeyRoad, TheRoomLogsTypedUnicodeExactly) {
    program.terminate();
    MoveWindow(room, 10, 10, 802, 582, TRUE);
    PostMessageW(room, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(412, 525));
    for (wchar_t unit : std::wstring(L"a\u4F60\U0001F600\u00B3\u00E9")) PostMessageW(room, WM_CHAR, unit, 0);
    PostMessageW(room, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(waitUntil([&] { return !effects().empty(); }));
    // é has a GBK form (pinyin), ³ has none.
    EXPECT_EQ(effects(), std::vector<std::string>{"chat a你\\u{1F600}\\u{B3}é"});
}

}  // namespace
}  // namespace vostrel
