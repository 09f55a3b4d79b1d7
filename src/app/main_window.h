// The main window, open for the whole run, and the program from start-up to the
// end of its message loop. The dialogs belong to their subsystems: the text
// editor and modifier to the library, the update window to the update.
#pragma once

#include "win/window.h"

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

// The one main window; what win's mainWindow() returns once this has been called.
MainWindow& applicationWindow();

// Right button on 超级列表框1.
void showTextMenu();

// MainWindow's created event: load the default library, then check for an update.
void onMainWindowCreated();

// Both hyperlinks of the instructions page.
void openHomePage();

// Start-up to the end of the message loop; returns the exit code.
int runApplication();

}  // namespace vostrel
