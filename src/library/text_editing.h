#pragma once

namespace vostrel {

void openTextEditor();        // "新增一组场控文本"
void finishTextEditing();     // 按钮1 of TextEditorWindow
void openTextModifier();      // "修改选中场控文本"
void fillTextModifier();      // TextModifierWindow created
void finishTextModifying();   // 按钮1 of TextModifierWindow
void deleteSelectedText();    // "删除一组场控文本"
void clearAllTexts();         // "清空所有场控文本"

}  // namespace vostrel
