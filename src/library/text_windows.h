// The text editor and the text modifier: dialogs created anew at each opening
// and shown modal over the main window.
#pragma once

#include "win/window.h"

namespace vostrel {

extern const WindowLayout kTextEditorWindowLayout;
extern const WindowLayout kTextModifierWindowLayout;

// The dialog now open of each kind, or nullptr.
Window* textEditorWindow();
Window* textModifierWindow();

// Each creates its dialog from its layout and returns when it has been closed.
void openTextEditorWindow();
void openTextModifierWindow();

}  // namespace vostrel
