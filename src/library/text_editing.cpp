#include "library/text_editing.h"

#include "library/text_list.h"
#include "library/text_windows.h"
#include "win/input_box.h"

#include <commctrl.h>

namespace vostrel {

void openTextEditor() { openTextEditorWindow(); }

void finishTextEditing() {
    Window* editor = textEditorWindow();
    if (!editor) return;
    // The reminder comes first; the row is added once it has been dismissed.
    showMessage("友情提示:编辑好后记得保存哦", "Morvath温馨提示");
    HWND list = textList();
    int row = appendRow(list);
    if (row >= 0) {
        setCellText(list, row, 0, editor->text("编辑框1"));
        setCellText(list, row, 1, editor->text("编辑框2"));
    }
    DestroyWindow(editor->handle());
}

void openTextModifier() { openTextModifierWindow(); }

void fillTextModifier() {
    Window* modifier = textModifierWindow();
    if (!modifier) return;
    HWND list = textList();
    int row = selectedRow(list);
    if (row < 0) return;
    modifier->setText("编辑框1", cellText(list, row, 0));
    modifier->setText("编辑框2", cellText(list, row, 1));
}

void finishTextModifying() {
    Window* modifier = textModifierWindow();
    if (!modifier) return;
    HWND list = textList();
    int row = selectedRow(list);
    if (row >= 0) {
        setCellText(list, row, 0, modifier->text("编辑框1"));
        setCellText(list, row, 1, modifier->text("编辑框2"));
    }
    DestroyWindow(modifier->handle());
}

void deleteSelectedText() {
    HWND list = textList();
    int row = selectedRow(list);
    if (row >= 0) SendMessageA(list, LVM_DELETEITEM, row, 0);
}

void clearAllTexts() { SendMessageA(textList(), LVM_DELETEALLITEMS, 0, 0); }

}  // namespace vostrel
