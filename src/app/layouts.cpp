#include "app/layouts.h"

#include "app/main_window.h"
#include "client/capture.h"
#include "client/hotkey_switches.h"
#include "client/send_text.h"
#include "library/text_editing.h"
#include "library/text_library.h"

#include <commctrl.h>

namespace vostrel {
namespace {

#define VOSTREL_MAKER_ADDRESS "www.morvath.example"
#define VOSTREL_MAKER_MAILBOX "vostrel@morvath.example"

using T = ControlType;

const char kPage1[] = "场控快捷文本";
const char kPage2[] = "场控快捷键{权限类}";
const char kPage3[] = "Vostrel-使用说明";

// name, type, parent, x, y, width, height, caption, style, event, right button
const ControlLayout kMainControls[] = {
    {"高级选择夹1", T::TabControl, nullptr, 0, 2, 376, 260, "", 0, nullptr, nullptr},
    {"选择夹页1", T::TabPage, "高级选择夹1", 0, 0, 376, 260, kPage1, 0, nullptr, nullptr},
    {"选择夹页2", T::TabPage, "高级选择夹1", 0, 0, 376, 260, kPage2, 0, nullptr, nullptr},
    {"选择夹页3", T::TabPage, "高级选择夹1", 0, 0, 376, 260, kPage3, 0, nullptr, nullptr},

    {"超级列表框1", T::ListView, "选择夹页1", 0, 24, 368, 228, "备忘标题\n100\n场控文本(双击发出)\n250", 0,
     sendSelectedText, showTextMenu},

    {"选择框1", T::CheckBox, "选择夹页2", 8, 28, 352, 24, "将游客升级[撤销]为嘉宾[快捷键F1键]勾选后有效 ", 0, switchF1, nullptr},
    {"选择框2", T::CheckBox, "选择夹页2", 8, 56, 352, 24, "将游客升级[撤销]为会员[快捷键F3键]勾选后有效 ", 0, switchF3, nullptr},
    {"选择框3", T::CheckBox, "选择夹页2", 8, 80, 352, 24, "禁止[撤销]此人文字聊天[快捷键F4键]勾选后有效", 0, switchF4, nullptr},
    {"选择框4", T::CheckBox, "选择夹页2", 8, 104, 352, 24, "禁止[撤销]此人发送图片[快捷键F5键]勾选后有效", 0, switchF5, nullptr},
    {"选择框5", T::CheckBox, "选择夹页2", 8, 128, 352, 24, "将此人封禁ID[快捷键F6键]勾选有效", 0, switchF6, nullptr},
    {"选择框6", T::CheckBox, "选择夹页2", 8, 152, 352, 24, "将此人封禁IP[快捷键F7键]勾选有效", 0, switchF7, nullptr},
    {"选择框7", T::CheckBox, "选择夹页2", 8, 176, 352, 24, "协助此人修改马甲格式[快捷键F8键]勾选有效", 0, switchF8, nullptr},
    {"标签1", T::Label, "选择夹页2", 8, 204, 48, 24, "马甲格式:", 0, nullptr, nullptr},
    {"马甲格式", T::Edit, "选择夹页2", 72, 204, 216, 20, "", 0, nullptr, nullptr},
    {"选择框8", T::CheckBox, "选择夹页2", 8, 228, 160, 24, "右边聊天框进行以上操作", 0, nullptr, nullptr},
    {"标签2", T::Label, "选择夹页2", 168, 228, 200, 24, "以上所有操作需要鼠标移动到马甲上", 0, nullptr, nullptr},

    {"图片框1", T::Picture, "选择夹页3", 2, 28, 368, 100, "BANNER", 0, nullptr, nullptr},
    {"超级链接框1", T::Hyperlink, "选择夹页3", 8, 132, 344, 20,
     "我们的官方网址:" VOSTREL_MAKER_ADDRESS " 欢迎您的光临", 0, openHomePage, nullptr},
    {"超级链接框2", T::Hyperlink, "选择夹页3", 8, 152, 344, 20,
     "官方邮箱:" VOSTREL_MAKER_MAILBOX " 随时接受您的建议和意见", 0, openHomePage, nullptr},
    {"标签3", T::Label, "选择夹页3", 8, 180, 352, 74,
     "使用说明:\r\n"
     "\r\n"
     " 抱歉作者太懒 没有写说明，请自行探索 哈哈坑了.....\r\n"
     "程序默认:文本库为 运行路径:morvath.txt \r\n"
     "                                        \r\n"
     "                                        \r\n"
     "Vostrel 由 Morvath 社区制作并保留所有权利",
     0, nullptr, nullptr},

    {"超文本浏览框1", T::WebView, nullptr, 488, 88, 100, 100, VOSTREL_HOME_URL, 0, nullptr, nullptr},
};

// Fixed border, title bar with system menu and close box, no maximize box.
constexpr DWORD kFixedFrame = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

}  // namespace

const WindowLayout kMainWindowLayout{
    "Morvath" VOSTREL_MAKER_ADDRESS "-Vostrel V1.0", 377, 313, kFixedFrame, kMainControls};

const MenuItemLayout kMainMenuLayout[7] = {
    {kTextMenuCaption, "新增一组场控文本", openTextEditor},
    {kTextMenuCaption, "修改选中场控文本", openTextModifier},
    {kTextMenuCaption, "保存场控文本库", saveTextLibrary},
    {kTextMenuCaption, "读取场控文本库", loadTextLibrary},
    {kTextMenuCaption, "删除一组场控文本", deleteSelectedText},
    {kTextMenuCaption, "清空所有场控文本", clearAllTexts},
    {"客户端抓取选择", "抓取指定客户端", beginCapture},
};

}  // namespace vostrel
