// What moves the focus: label editing. Run alone (DESKTOP).
#include "remote/remote_list_view.h"

#include "known_list.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace vostrel {
namespace {

TEST(RemoteListViewDesktop, EditLabelOpensTheEditControlOfTheItem) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "VostrelEditLabelHost";
    RegisterClassA(&cls);
    HWND top = CreateWindowExA(0, cls.lpszClassName, "edit label", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 600,
                               400, nullptr, nullptr, cls.hInstance, nullptr);
    HWND list = test::createKnownList(top);
    RemoteListView view;
    ASSERT_TRUE(view.attach(list));
    EXPECT_EQ(view.getEditControl(), nullptr);
    HWND edit = view.editLabel(1);
    ASSERT_TRUE(edit) << "no edit control";
    EXPECT_EQ(view.getEditControl(), edit);
    EXPECT_EQ(test::windowText(edit), "乙项目");
    EXPECT_EQ(GetFocus(), edit);
    DestroyWindow(top);
}

}  // namespace
}  // namespace vostrel
