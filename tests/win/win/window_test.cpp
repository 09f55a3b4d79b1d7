// The Window class of the toolkit: what a window that fails to build leaves behind.
#include "library/text_windows.h"
#include "win/window.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace vostrel {
namespace {

// A window whose controls cannot be built is no open window: it neither lowers
// the count nor ends the program while another window is open.
TEST(WindowCount, AWindowThatFailsToBuildLeavesTheCountAndPostsNoQuit) {
    test::dropQuit();
    Window open(kTextModifierWindowLayout);
    ASSERT_TRUE(open.create(nullptr));
    int before = Window::openWindowCount();
    ASSERT_GE(before, 1);
    const ControlLayout broken[] = {
        {"编辑框1", ControlType::Edit, "no such parent", 0, 0, 10, 10, "", 0, nullptr, nullptr},
    };
    const WindowLayout layout{"broken", 100, 100, WS_OVERLAPPED, broken};
    Window failing(layout);
    EXPECT_FALSE(failing.create(nullptr));
    EXPECT_EQ(Window::openWindowCount(), before);
    MSG quit;
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the failed window ended the program";
}

}  // namespace
}  // namespace vostrel
