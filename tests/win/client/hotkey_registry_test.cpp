// The registry on a real window of this process, with real hotkeys: the keys are
// pressed with keybd_event and arrive as WM_HOTKEY through this thread's queue.
#include "actions/input.h"
#include "app/exit_cleanup.h"
#include "client/hotkey_registry.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace vostrel {
namespace {

using namespace vostrel::test;

std::vector<std::string> g_ran;
std::vector<UINT> g_reachedOwnProcedure;
std::vector<std::string> g_reminders;
HWND g_reminderOwner = nullptr;

void actionA() { g_ran.push_back("A"); }
void actionB() { g_ran.push_back("B"); }

// Presses the key and returns what ran: once the expected number of actions has
// (or after 5 s, for a test that fails); where none should, what ran within a
// quarter of a second.
std::vector<std::string> ranAfter(size_t expected, BYTE key, BYTE modifier = 0) {
    g_ran.clear();
    press(key, modifier);
    waitUntil([&] { return expected > 0 && g_ran.size() >= expected; }, expected > 0 ? 5000 : 250);
    pumpMessages();
    return g_ran;
}

LRESULT CALLBACK ownProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HOTKEY || message >= WM_APP) g_reachedOwnProcedure.push_back(message);
    if (message == WM_APP + 7) return 1234;
    return DefWindowProcW(window, message, wParam, lParam);
}

// Answers the reminder box from inside its own modal loop, noting its text and owner.
VOID CALLBACK answerReminder(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowA("#32770", "友情提醒");
    if (!box) return;
    std::string text;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (className(c) == "Static") text += windowText(c);
    }
    g_reminders.push_back(text);
    g_reminderOwner = GetWindow(box, GW_OWNER);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        exitCleanup();  // a fresh run: empty table, nothing subclassed
        WNDCLASSW cls{};
        cls.lpfnWndProc = ownProcedure;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"RegistryTestWindow";
        RegisterClassW(&cls);
        window = CreateWindowExW(0, cls.lpszClassName, L"registry", WS_POPUP | WS_VISIBLE, 0, 0, 60, 60, nullptr,
                                 nullptr, cls.hInstance, nullptr);
        ASSERT_TRUE(window);
        g_ran.clear();
        g_reachedOwnProcedure.clear();
        g_reminders.clear();
    }
    void TearDown() override {
        DestroyWindow(window);  // drops its hotkeys
        exitCleanup();
    }

    WNDPROC procedure() const { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)); }

    HWND window = nullptr;
};

TEST_F(Registry, RegisteringATextAgainReleasesTheFirstKeyAndKeepsBothRows) {
    ASSERT_TRUE(窗口_热键注册(window, 0, VK_F9, actionA, "甲"));
    EXPECT_EQ(ranAfter(1, VK_F9), std::vector<std::string>{"A"});

    ASSERT_TRUE(窗口_热键注册(window, 0, VK_F11, actionB, "甲"));
    EXPECT_EQ(hotkeyState().hotkeyTable.size(), 2u);
    EXPECT_EQ(findEntryByIdentifier("甲"), 1);
    // The new key runs the first row's action; the old key is free.
    EXPECT_EQ(ranAfter(1, VK_F11), std::vector<std::string>{"A"});
    EXPECT_TRUE(ranAfter(0, VK_F9).empty());
}

TEST_F(Registry, BlankTextsAreRefusedWithTheReminderAndPaddedOnesKept) {
    UINT_PTR answering = SetTimer(nullptr, 0, 30, answerReminder);
    const char* blanks[] = {"", "   ", "　　", " 　 "};
    for (const char* blank : blanks) {
        EXPECT_FALSE(窗口_热键注册(window, 0, VK_F9, actionA, blank)) << "'" << blank << "'";
    }
    KillTimer(nullptr, answering);
    ASSERT_EQ(g_reminders.size(), 4u);
    for (const std::string& text : g_reminders) {
        EXPECT_EQ(text, "【窗口_热键注册】命令第5个参数【标识文本】不能为空文本");
    }
    EXPECT_EQ(g_reminderOwner, window) << "owned by the tool's first visible window";
    EXPECT_TRUE(hotkeyState().hotkeyTable.empty());
    EXPECT_TRUE(ranAfter(0, VK_F9).empty());

    // Spaces around other characters (a full-width space is A1 A1) are fine and stay.
    ASSERT_TRUE(窗口_热键注册(window, 0, VK_F9, actionA, "　乙 "));
    EXPECT_EQ(findEntryByIdentifier("　乙 "), 1);
    EXPECT_EQ(findEntryByIdentifier("乙"), 0);
    EXPECT_EQ(ranAfter(1, VK_F9), std::vector<std::string>{"A"});
}

TEST_F(Registry, UnregisteringLeavesTheRowAndTheKeyCanComeBack) {
    EXPECT_FALSE(unregisterWindowHotkey(window, "从未注册"));

    ASSERT_TRUE(窗口_热键注册(window, 0, VK_F9, actionA, "丙"));
    EXPECT_TRUE(unregisterWindowHotkey(window, "丙"));
    EXPECT_EQ(findEntryByIdentifier("丙"), 1);
    EXPECT_TRUE(ranAfter(0, VK_F9).empty());
    EXPECT_FALSE(unregisterWindowHotkey(window, "丙"));

    ASSERT_TRUE(窗口_热键注册(window, 0, VK_F9, actionB, "丙"));
    EXPECT_EQ(hotkeyState().hotkeyTable.size(), 2u);
    // The key works again, and runs the first row's action.
    EXPECT_EQ(ranAfter(1, VK_F9), std::vector<std::string>{"A"});
}

TEST_F(Registry, AFailedFirstRegistrationSubclassesNothing) {
    WNDPROC own = procedure();
    {
        // F9 held elsewhere (by this thread, without a window).
        ASSERT_TRUE(RegisterHotKey(nullptr, 0x7000, 0, VK_F9));
        EXPECT_FALSE(窗口_热键注册(window, 0, VK_F9, actionA, "丁"));
        UnregisterHotKey(nullptr, 0x7000);
    }
    EXPECT_EQ(procedure(), own);
    EXPECT_TRUE(hotkeyState().hotkeyTable.empty());

    ASSERT_TRUE(窗口_热键注册(window, 0, VK_F11, actionA, "戊"));
    EXPECT_EQ(procedure(), &hotkeyWindowProcedure);
    EXPECT_EQ(hotkeyState().previousWindowProcedure, own);
    // A later registration does not subclass again.
    ASSERT_TRUE(窗口_热键注册(window, 0, VK_F9, actionB, "己"));
    EXPECT_EQ(hotkeyState().previousWindowProcedure, own);
}

TEST_F(Registry, TheWindowsOwnProcedureStillAnswersEverythingElse) {
    ASSERT_TRUE(窗口_热键注册(window, 0, VK_F9, actionA, "庚"));
    EXPECT_EQ(SendMessageA(window, WM_APP + 7, 0, 0), 1234);
    // A hotkey id that stands for none of the rows belongs to the window itself.
    PostMessageA(window, WM_HOTKEY, 0x6ABC, 0);
    pumpMessages();
    EXPECT_EQ(g_reachedOwnProcedure, (std::vector<UINT>{WM_APP + 7, WM_HOTKEY}));
    EXPECT_TRUE(g_ran.empty());
}

TEST_F(Registry, ModifiersGoToTheSystemUnchanged) {
    ASSERT_TRUE(窗口_热键注册(window, MOD_CONTROL, VK_F12, actionA, "辛"));
    EXPECT_TRUE(ranAfter(0, VK_F12).empty());
    EXPECT_EQ(ranAfter(1, VK_F12, VK_CONTROL), std::vector<std::string>{"A"});
}

// A second hotkey during an action's wait runs inside that wait, and the first
// action finishes afterwards.
std::vector<std::string> g_order;
VOID CALLBACK pressF11(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    press(VK_F11);
}
void waitingAction() {
    g_order.push_back("outer starts");
    SetTimer(nullptr, 0, 50, pressF11);
    MessagePumpDelay(200);
    g_order.push_back("outer ends");
}
void nestedAction() { g_order.push_back("nested"); }

TEST_F(Registry, AKeyPressedDuringAnActionsWaitRunsNested) {
    ASSERT_TRUE(窗口_热键注册(window, 0, VK_F9, waitingAction, "壬"));
    ASSERT_TRUE(窗口_热键注册(window, 0, VK_F11, nestedAction, "癸"));
    g_order.clear();
    press(VK_F9);
    ASSERT_TRUE(waitUntil([] { return g_order.size() == 3; }, 3000));
    EXPECT_EQ(g_order, (std::vector<std::string>{"outer starts", "nested", "outer ends"}));
}

// Posted to the window while the delay waits, from a timer that fires inside it.
VOID CALLBACK postDuringWait(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    PostMessageA(window, WM_APP + 1, 0, 0);
}

TEST_F(Registry, MessagePumpDelayHandlesWhatArrivesWhileItWaits) {
    SetTimer(window, 1, 40, postDuringWait);
    DWORD start = GetTickCount();
    EXPECT_TRUE(MessagePumpDelay(200));
    DWORD took = GetTickCount() - start;
    EXPECT_EQ(g_reachedOwnProcedure, std::vector<UINT>{WM_APP + 1}) << "handled before the delay returned";
    EXPECT_GE(took, 180u);
}

}  // namespace
}  // namespace vostrel
