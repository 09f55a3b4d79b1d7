// The tool's four windows at run time: the main window, open for the whole run,
// and three dialogs created anew at each opening and shown modal over it.
#pragma once

#include "app/window.h"

#include <cstdint>

namespace vostrel {

class MainWindow : public Window {
public:
    MainWindow();
    bool create();
    // Pops the menu "场控文本编辑器" up at the mouse pointer.
    void popUpTextMenu();

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    HMENU menuBar_ = nullptr;
};

class UpdateWindow : public Window {
public:
    UpdateWindow();
    // The timer 时钟: ticks every interval ms; 0 stops it.
    void setClockInterval(UINT milliseconds);

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
};

MainWindow& mainWindow();

// The dialog now open of each kind, or nullptr.
Window* textEditorWindow();
Window* textModifierWindow();
UpdateWindow* updateWindow();

// Each creates its dialog from its layout and returns when it has been closed.
void openTextEditorWindow();
void openTextModifierWindow();
void openUpdateWindow();

// MainWindow's created event: load the default library, then check for an update.
void onMainWindowCreated();

// Both hyperlinks of the instructions page.
void openHomePage();

// Start-up to the end of the message loop; returns the exit code.
int runApplication();

}  // namespace vostrel
