// The check boxes' keys on the real main window, with real hotkeys and the real
// low-level hook that watches their releases.
#include "app/exit_cleanup.h"
#include "app/main_window.h"
#include "client/hotkey_switches.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace vostrel {
namespace {

using namespace vostrel::test;

// F1 walks the role menu and shows the menu's handle in 标签2: "0" here, where
// no client is open. "-" before each press tells whether the action ran.
class KeySwitches : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(applicationWindow().create());
        // The action's real clicks land in a corner where nothing is.
        movePointer(GetSystemMetrics(SM_CXSCREEN) - 4, GetSystemMetrics(SM_CYSCREEN) - 4);
    }
    static void TearDownTestSuite() {
        exitCleanup();
        DestroyWindow(applicationWindow().handle());
        dropQuit();
    }
    void SetUp() override {
        SendMessageW(applicationWindow().control("选择框1"), BM_SETCHECK, BST_CHECKED, 0);
        switchF1();
        ASSERT_TRUE(keyWatchHook());
    }
    void TearDown() override {
        SendMessageW(applicationWindow().control("选择框1"), BM_SETCHECK, BST_UNCHECKED, 0);
        switchF1();
    }
    static bool actionRan() {
        bool ran = waitUntil([] { return applicationWindow().text("标签2") == "0"; }, 1500);
        applicationWindow().setText("标签2", "-");
        return ran;
    }
    static void key(bool down) {
        keybd_event(VK_F1, 0, down ? 0 : KEYEVENTF_KEYUP, 0);
        waitUntil([] { return false; }, 100);
    }
};

// Windows removes a low-level hook that once answers too slowly, without a word.
// If that happens while the key is down, the hook never sees it go up: the key
// must still act on its next press, and the watch come back.
TEST_F(KeySwitches, AKeyLivesOnWhenWindowsDropsTheHookWhileItIsDown) {
    applicationWindow().setText("标签2", "-");
    key(true);
    ASSERT_TRUE(actionRan());
    HHOOK dropped = keyWatchHook();
    ASSERT_TRUE(UnhookWindowsHookEx(dropped));
    key(false);

    key(true);
    key(false);
    EXPECT_TRUE(actionRan()) << "the press after the hook was dropped did nothing";
    EXPECT_TRUE(keyWatchHook());
    EXPECT_NE(keyWatchHook(), dropped) << "the watch was not made again";
    key(true);
    key(false);
    EXPECT_TRUE(actionRan()) << "the watch did not come back";
    for (int repeat = 0; repeat < 4; ++repeat) key(true);  // held: its repeats are no new presses
    key(false);
    EXPECT_TRUE(actionRan());
    EXPECT_FALSE(actionRan()) << "a held key acted twice";
}

}  // namespace
}  // namespace vostrel
