#include "library/text_editing.h"

#include "library/text_list.h"
#include "library/text_windows.h"
#include "win/gbk_wide.h"
#include "win/input_box.h"

#include <commctrl.h>

#include <cstdio>

namespace vostrel {
namespace {

// The title and the body as GBK, the library's own text; false, with the dialog
// left open and the character named, when one of them holds a character GBK
// cannot store: it would come back from the file as '?'.
bool readTexts(const Window& dialog, std::string& title, std::string& body) {
    const char* boxes[] = {"编辑框1", "编辑框2"};
    std::string* texts[] = {&title, &body};
    for (int i = 0; i < 2; ++i) {
        if (dialog.textExactly(boxes[i], *texts[i])) continue;
        char32_t missing = firstCharacterOutsideGbk(wideWindowText(dialog.control(boxes[i])));
        char hex[16];
        std::snprintf(hex, sizeof hex, "U+%04lX", static_cast<unsigned long>(missing));
        showMessage(std::string(i == 0 ? library::kTitleOutsideGbk : library::kBodyOutsideGbk) + hex +
                        library::kOutsideGbkRest,
                    library::kOutsideGbkTitle);
        SetFocus(dialog.control(boxes[i]));
        return false;
    }
    return true;
}

}  // namespace

void openTextEditor() { openTextEditorWindow(); }

void finishTextEditing() {
    Window* editor = textEditorWindow();
    if (!editor) return;
    std::string title, body;
    if (!readTexts(*editor, title, body)) return;
    // The reminder comes first; the row is added once it has been dismissed.
    showMessage("友情提示:编辑好后记得保存哦", "Morvath温馨提示");
    HWND list = textList();
    int row = appendRow(list);
    if (row >= 0) {
        setCellText(list, row, 0, title);
        setCellText(list, row, 1, body);
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
    std::string title, body;
    if (!readTexts(*modifier, title, body)) return;
    HWND list = textList();
    int row = selectedRow(list);
    if (row >= 0) {
        setCellText(list, row, 0, title);
        setCellText(list, row, 1, body);
    }
    DestroyWindow(modifier->handle());
}

void deleteSelectedText() {
    HWND list = textList();
    int row = selectedRow(list);
    if (row >= 0) SendMessageW(list, LVM_DELETEITEM, row, 0);
}

void clearAllTexts() { SendMessageW(textList(), LVM_DELETEALLITEMS, 0, 0); }

}  // namespace vostrel
