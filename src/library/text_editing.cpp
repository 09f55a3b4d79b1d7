#include "library/text_editing.h"

#include "app/windows.h"

namespace vostrel {

void showTextMenu() { mainWindow().popUpTextMenu(); }

void openTextEditor() { openTextEditorWindow(); }

void finishTextEditing() {}

void openTextModifier() { openTextModifierWindow(); }

void fillTextModifier() {}

void finishTextModifying() {}

void deleteSelectedText() {}

void clearAllTexts() {}

}  // namespace vostrel
