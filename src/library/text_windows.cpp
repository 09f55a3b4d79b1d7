#include "library/text_windows.h"

#include "library/text_editing.h"
#include "win/message_loop.h"

namespace vostrel {
namespace {

using T = ControlType;

Window* g_textEditor = nullptr;
Window* g_textModifier = nullptr;

// name, type, parent, x, y, width, height, caption, style, event, right button
const ControlLayout kTextEditorControls[] = {
    {"标签1", T::Label, nullptr, 0, 8, 24, 24, "标题", 0, nullptr, nullptr},
    {"编辑框1", T::Edit, nullptr, 32, 8, 112, 24, "", ES_CENTER, nullptr, nullptr},
    {"标签2", T::Label, nullptr, 152, 8, 80, 24, "←备忘标题", 0, nullptr, nullptr},
    {"按钮1", T::Button, nullptr, 240, 8, 128, 24, "完成文本编辑", 0, finishTextEditing, nullptr},
    // Tab goes from the title into the body, then to the button.
    {"分组框1", T::GroupBox, nullptr, 0, 32, 376, 192, "", 0, nullptr, nullptr, "编辑框1"},
    {"编辑框2", T::MultiLineEdit, "分组框1", 0, 8, 368, 176, "", 0, nullptr, nullptr},
};

const ControlLayout kTextModifierControls[] = {
    {"标签1", T::Label, nullptr, 0, 8, 24, 24, "标题", 0, nullptr, nullptr},
    {"编辑框1", T::Edit, nullptr, 32, 8, 112, 24, "", ES_CENTER, nullptr, nullptr},
    {"标签2", T::Label, nullptr, 152, 8, 80, 24, "←备忘标题", 0, nullptr, nullptr},
    {"按钮1", T::Button, nullptr, 240, 8, 128, 24, "完成文本修改", 0, finishTextModifying, nullptr},
    {"编辑框2", T::MultiLineEdit, nullptr, 0, 40, 368, 176, "", 0, nullptr, nullptr, "编辑框1"},
};

// Fixed border, title bar with system menu and close box, no maximize box.
constexpr DWORD kFixedFrame = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

}  // namespace

const WindowLayout kTextEditorWindowLayout{
    "Morvath--Vostrel文本编辑器", 380, 250, kFixedFrame, kTextEditorControls, true};
const WindowLayout kTextModifierWindowLayout{
    "Morvath--Vostrel文本修改器", 380, 250, kFixedFrame, kTextModifierControls, true};

Window* textEditorWindow() { return g_textEditor; }
Window* textModifierWindow() { return g_textModifier; }

void openTextEditorWindow() {
    Window dialog(kTextEditorWindowLayout);
    runModal(dialog, g_textEditor, mainWindow().handle(), nullptr);
}

void openTextModifierWindow() {
    Window dialog(kTextModifierWindowLayout);
    runModal(dialog, g_textModifier, mainWindow().handle(), fillTextModifier);
}

}  // namespace vostrel
