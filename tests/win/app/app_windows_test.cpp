// The four windows, read back through Win32 after they were created: captions,
// classes, parents, places and sizes, styles, list columns and the menu.
#include "app/layouts.h"
#include "app/main_window.h"
#include "library/text_windows.h"
#include "update/update_window.h"
#include "win/message_loop.h"

#include "test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace vostrel {
namespace {

using test::className;
using test::press;
using test::rectInParent;
using test::windowText;

struct Expected {
    const char* name;
    const char* parent;  // nullptr: the window itself
    const char* windowClass;
    int x, y, width, height;
    const char* caption;  // nullptr: not compared
};

void expectControls(const Window& window, std::initializer_list<Expected> controls) {
    for (const Expected& e : controls) {
        SCOPED_TRACE(test::gbkToUtf8(e.name));
        HWND c = window.control(e.name);
        ASSERT_TRUE(c);
        HWND parent = e.parent ? window.control(e.parent) : window.handle();
        EXPECT_EQ(GetParent(c), parent);
        EXPECT_STRCASEEQ(className(c).c_str(), e.windowClass);
        RECT r = rectInParent(c);
        EXPECT_EQ(r.left, e.x);
        EXPECT_EQ(r.top, e.y);
        EXPECT_EQ(r.right - r.left, e.width);
        EXPECT_EQ(r.bottom - r.top, e.height);
        if (e.caption) {
            EXPECT_EQ(windowText(c), e.caption);
        }
    }
}

void expectFixedFrameCentred(HWND window, int width, int height, bool minimizeBox) {
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_EQ((style & WS_MINIMIZEBOX) != 0, minimizeBox);
    EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

std::string columnTitle(HWND list, int column, int* width) {
    char text[260] = {};
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = text;
    col.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&col));
    *width = col.cx;
    return text;
}

class MainWindowLayout : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(applicationWindow().create()); }
    static void TearDownTestSuite() { DestroyWindow(applicationWindow().handle()); }
    const Window& main = applicationWindow();
};

TEST_F(MainWindowLayout, FrameCaptionAndPlace) {
    EXPECT_EQ(windowText(main.handle()), "Morvathwww.morvath.example-Vostrel V1.0");
    expectFixedFrameCentred(main.handle(), 377, 313, false);
}

TEST_F(MainWindowLayout, TabControlWithThreePages) {
    HWND tab = main.control("高级选择夹1");
    ASSERT_TRUE(tab);
    EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 3);
    char text[64] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tab, TCM_GETITEMA, 2, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, "Vostrel-使用说明");
    SendMessageA(tab, TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_NE(std::string(text).find("{权限类}"), std::string::npos);
    EXPECT_EQ(std::string(text).size() - std::string(text).find("{权限类}"), std::string("{权限类}").size());
    // Only the first page is shown at start.
    EXPECT_TRUE(GetWindowLongA(main.control("选择夹页1"), GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongA(main.control("选择夹页2"), GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongA(main.control("选择夹页3"), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(MainWindowLayout, EveryControlInItsPlace) {
    expectControls(main, {
        {"高级选择夹1", nullptr, "SysTabControl32", 0, 2, 376, 260, nullptr},
        {"超级列表框1", "选择夹页1", "SysListView32", 0, 24, 368, 228, nullptr},
        {"选择框1", "选择夹页2", "Button", 8, 28, 352, 24, "将游客升级[撤销]为嘉宾[快捷键F1键]勾选后有效 "},
        {"选择框2", "选择夹页2", "Button", 8, 56, 352, 24, "将游客升级[撤销]为会员[快捷键F3键]勾选后有效 "},
        {"选择框3", "选择夹页2", "Button", 8, 80, 352, 24, "禁止[撤销]此人文字聊天[快捷键F4键]勾选后有效"},
        {"选择框4", "选择夹页2", "Button", 8, 104, 352, 24, "禁止[撤销]此人发送图片[快捷键F5键]勾选后有效"},
        {"选择框5", "选择夹页2", "Button", 8, 128, 352, 24, "将此人封禁ID[快捷键F6键]勾选有效"},
        {"选择框6", "选择夹页2", "Button", 8, 152, 352, 24, "将此人封禁IP[快捷键F7键]勾选有效"},
        {"选择框7", "选择夹页2", "Button", 8, 176, 352, 24, "协助此人修改马甲格式[快捷键F8键]勾选有效"},
        {"标签1", "选择夹页2", "Static", 8, 204, 48, 24, "马甲格式:"},
        {"马甲格式", "选择夹页2", "Edit", 72, 204, 216, 20, ""},
        {"选择框8", "选择夹页2", "Button", 8, 228, 160, 24, "右边聊天框进行以上操作"},
        {"标签2", "选择夹页2", "Static", 168, 228, 200, 24, "以上所有操作需要鼠标移动到马甲上"},
        {"图片框1", "选择夹页3", "Static", 2, 28, 368, 100, nullptr},
        {"超级链接框1", "选择夹页3", "Static", 8, 132, 344, 20, "我们的官方网址:www.morvath.example 欢迎您的光临"},
        {"超级链接框2", "选择夹页3", "Static", 8, 152, 344, 20,
         "官方邮箱:vostrel@morvath.example 随时接受您的建议和意见"},
        {"标签3", "选择夹页3", "Static", 8, 180, 352, 74, nullptr},
        {"超文本浏览框1", nullptr, "Static", 488, 88, 100, 100, nullptr},
    });
}

TEST_F(MainWindowLayout, TextListIsAReportWithTwoColumnsAndNoRows) {
    HWND list = main.control("超级列表框1");
    LONG style = GetWindowLongA(list, GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(style & LVS_SINGLESEL);
    LRESULT extended = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(extended & LVS_EX_GRIDLINES);
    int width = 0;
    EXPECT_EQ(columnTitle(list, 0, &width), "备忘标题");
    EXPECT_EQ(width, 100);
    EXPECT_EQ(columnTitle(list, 1, &width), "场控文本(双击发出)");
    EXPECT_EQ(width, 250);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(MainWindowLayout, ChecksStartClearAndTheWebViewIsHidden) {
    for (const char* box : {"选择框1", "选择框2", "选择框3", "选择框4", "选择框5", "选择框6", "选择框7", "选择框8"}) {
        EXPECT_EQ(SendMessageA(main.control(box), BM_GETCHECK, 0, 0), BST_UNCHECKED) << test::gbkToUtf8(box);
        EXPECT_EQ(GetWindowLongA(main.control(box), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    }
    EXPECT_FALSE(GetWindowLongA(main.control("超文本浏览框1"), GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongA(main.control("标签2"), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(MainWindowLayout, InstructionsPageShowsTheBannerAndTheNotes) {
    HBITMAP banner = reinterpret_cast<HBITMAP>(SendMessageA(main.control("图片框1"), STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_TRUE(banner);
    BITMAP info{};
    GetObjectA(banner, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 368);
    EXPECT_EQ(info.bmHeight, 100);
    std::string notes = windowText(main.control("标签3"));
    EXPECT_EQ(notes.rfind("使用说明:\r\n\r\n 抱歉作者太懒 没有写说明，请自行探索 哈哈坑了.....\r\n"
                          "程序默认:文本库为 运行路径:morvath.txt \r\n", 0), 0u);
}

TEST_F(MainWindowLayout, MenuBarItemsInOrder) {
    HMENU bar = GetMenu(main.handle());
    ASSERT_TRUE(bar);
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    char text[128];
    GetMenuStringA(bar, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "场控文本编辑器");
    GetMenuStringA(bar, 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "客户端抓取选择");
    HMENU editor = GetSubMenu(bar, 0);
    const char* items[] = {"新增一组场控文本", "修改选中场控文本", "保存场控文本库",
                           "读取场控文本库", "删除一组场控文本", "清空所有场控文本"};
    ASSERT_EQ(GetMenuItemCount(editor), 6);
    for (int i = 0; i < 6; ++i) {
        GetMenuStringA(editor, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, items[i]);
        EXPECT_FALSE(GetMenuState(editor, i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED));
    }
    HMENU capture = GetSubMenu(bar, 1);
    ASSERT_EQ(GetMenuItemCount(capture), 1);
    GetMenuStringA(capture, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "抓取指定客户端");
}

TEST(DialogLayouts, TextEditorWindow) {
    Window dialog(kTextEditorWindowLayout);
    ASSERT_TRUE(dialog.create(nullptr));
    EXPECT_EQ(windowText(dialog.handle()), "Morvath--Vostrel文本编辑器");
    expectFixedFrameCentred(dialog.handle(), 380, 250, false);
    expectControls(dialog, {
        {"标签1", nullptr, "Static", 0, 8, 24, 24, "标题"},
        {"编辑框1", nullptr, "Edit", 32, 8, 112, 24, ""},
        {"标签2", nullptr, "Static", 152, 8, 80, 24, "←备忘标题"},
        {"按钮1", nullptr, "Button", 240, 8, 128, 24, "完成文本编辑"},
        {"分组框1", nullptr, "Button", 0, 32, 376, 192, ""},
        {"编辑框2", "分组框1", "Edit", 0, 8, 368, 176, ""},
    });
    EXPECT_TRUE(GetWindowLongA(dialog.control("编辑框1"), GWL_STYLE) & ES_CENTER);
    LONG body = GetWindowLongA(dialog.control("编辑框2"), GWL_STYLE);
    EXPECT_TRUE(body & ES_MULTILINE);
    EXPECT_TRUE(body & ES_WANTRETURN);
    EXPECT_FALSE(body & (WS_VSCROLL | WS_HSCROLL));
}

TEST(DialogLayouts, TextModifierWindow) {
    Window dialog(kTextModifierWindowLayout);
    ASSERT_TRUE(dialog.create(nullptr));
    EXPECT_EQ(windowText(dialog.handle()), "Morvath--Vostrel文本修改器");
    expectFixedFrameCentred(dialog.handle(), 380, 250, false);
    expectControls(dialog, {
        {"标签1", nullptr, "Static", 0, 8, 24, 24, "标题"},
        {"编辑框1", nullptr, "Edit", 32, 8, 112, 24, ""},
        {"标签2", nullptr, "Static", 152, 8, 80, 24, "←备忘标题"},
        {"按钮1", nullptr, "Button", 240, 8, 128, 24, "完成文本修改"},
        {"编辑框2", nullptr, "Edit", 0, 40, 368, 176, ""},
    });
}

TEST(DialogLayouts, UpdateWindowWithItsButtonBelowTheBottomEdge) {
    UpdateWindow dialog;
    ASSERT_TRUE(dialog.create(nullptr));
    EXPECT_EQ(windowText(dialog.handle()), "在线更新中请稍后");
    expectFixedFrameCentred(dialog.handle(), 248, 128, true);
    expectControls(dialog, {
        {"进度条", nullptr, "msctls_progress32", 2, 4, 238, 13, nullptr},
        {"下载进度", nullptr, "Static", 6, 23, 195, 16, "正在连接服务器...."},
        {"下载速度", nullptr, "Static", 6, 36, 232, 16, "下载速度:"},
        {"已经下载", nullptr, "Static", 6, 50, 232, 16, "已经下载:"},
        {"已用时间", nullptr, "Static", 6, 63, 232, 16, "已用时间:"},
        {"剩余时间", nullptr, "Static", 6, 78, 232, 16, "剩余时间:"},
        {"按钮1", nullptr, "Button", 3, 175, 104, 24, "在线下载更新"},
    });
    RECT client{};
    GetClientRect(dialog.handle(), &client);
    EXPECT_GT(rectInParent(dialog.control("按钮1")).top, client.bottom);
}

// Real keys into the editor, handled the way the tool's loops handle them.
TEST(EditorKeys, TabWalksTitleBodyButtonAndEnterInTheBodyStartsALine) {
    test::dropQuit();
    Window editor(kTextEditorWindowLayout);
    ASSERT_TRUE(editor.create(nullptr));
    ShowWindow(editor.handle(), SW_SHOW);
    SetForegroundWindow(editor.handle());
    SetFocus(editor.control("编辑框1"));
    auto focusIs = [&](const char* name) {
        return test::waitUntil([&] { return GetFocus() == editor.control(name); }, 2000, processPendingMessages);
    };
    ASSERT_TRUE(focusIs("编辑框1"));
    press('A');
    press(VK_TAB);
    EXPECT_TRUE(focusIs("编辑框2")) << "Tab from the title";
    press('B');
    press(VK_RETURN);
    press('C');
    EXPECT_TRUE(test::waitUntil([&] { return editor.text("编辑框2") == "b\r\nc"; }, 2000, processPendingMessages))
        << editor.text("编辑框2");
    press(VK_TAB);
    EXPECT_TRUE(focusIs("按钮1")) << "Tab from the body";
    press(VK_TAB);
    EXPECT_TRUE(focusIs("编辑框1")) << "Tab from the button";
    EXPECT_EQ(editor.text("编辑框1"), "a");
    EXPECT_TRUE(IsWindow(editor.handle()));
}

}  // namespace
}  // namespace vostrel
