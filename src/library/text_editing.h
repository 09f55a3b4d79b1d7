#pragma once

namespace vostrel {

namespace library {
// 完成 refuses a text that the GBK library file cannot hold: "标题中有...U+0905..."
constexpr char kTitleOutsideGbk[] = "标题中有GBK编码无法保存的字符 ";
constexpr char kBodyOutsideGbk[] = "内容中有GBK编码无法保存的字符 ";
constexpr char kOutsideGbkRest[] = ",请换掉这个字符再点完成";
constexpr char kOutsideGbkTitle[] = "Morvath温馨提示";
}  // namespace library

void openTextEditor();        // "新增一组场控文本"
void finishTextEditing();     // 按钮1 of TextEditorWindow
void openTextModifier();      // "修改选中场控文本"
void fillTextModifier();      // TextModifierWindow created
void finishTextModifying();   // 按钮1 of TextModifierWindow
void deleteSelectedText();    // "删除一组场控文本"
void clearAllTexts();         // "清空所有场控文本"

}  // namespace vostrel
