// The real vostrel.exe driven from outside, the way every end-to-end test does it:
// started from a scratch folder of its own (the stand-in client beside it where a
// road needs one), its controls found by their names in the layout tables, its
// menu items by their handlers, its message boxes read and answered.
#pragma once

#include "app/layouts.h"
#include "standin_log.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace vostrel::test {

// The capture's own notices, and the instruction it starts with.
inline constexpr char kCaptureTitle[] = "温馨提示：";
inline constexpr char kCaptureInstruction[] = "在要使用快捷键的QT客户端按下F10";

class ProgramDriver : public ::testing::Test {
protected:
    // On a failure: the client's log and the visible windows. Then the program is
    // closed as the user closes it.
    void TearDown() override;

    // Copies vostrel.exe into runFolder (the scratch folder when empty) and starts it there.
    void launch(const std::string& runFolder = "");
    // Waits for the main window and its text list.
    void waitForMainWindow();
    void startProgram() {
        launch();
        if (!HasFatalFailure()) waitForMainWindow();
    }
    // The stand-in client logging into the scratch folder, its room window up and
    // "ready" logged. The pointer is parked in a corner, away from where the
    // tool's window opens: a window that opens under the pointer gets a
    // pointer-crossing event, and Wine may take its position as the pointer's
    // after the test has moved it, so that real clicks land on the tool.
    void startClient();

    HWND control(const char* name) const { return control(main, kMainWindowLayout, name); }
    static HWND control(HWND window, const WindowLayout& layout, const char* name) {
        return findDescendantById(window, controlIdOf(layout, name));
    }
    // Posts the menu bar item whose handler this is.
    void chooseMenuItem(Handler handler);
    int rowCount() const;
    int selectedRow() const;

    // A visible window of the program with this title, once it is there; 0 after the timeout.
    HWND waitForWindow(const std::string& title, int timeoutMs = 5000) const;
    // Whether a visible window of the program other than the main window shows within the time.
    bool anotherWindowShows(int timeoutMs) const;
    // OK on a message box; whether it closed.
    static bool pressOk(HWND box);
    // Waits for a message box, returns its text and presses OK.
    std::string dismissMessage(const char* title, int timeoutMs = 15000);
    // The menu item 抓取指定客户端 and its instruction answered: F10 is armed.
    void armCapture();
    // Closes the main window and waits for the end: the exit code, or -1.
    long closeProgram();

    // The pointer on a point of the room window's client area.
    void pointAt(standin::Point at) const;
    std::string logText() const { return readFileBytes(log); }
    std::vector<std::string> logLines() const;
    bool logHas(const std::string& line) const;

    TempFolder folder;
    ChildProcess client;
    ChildProcess program;
    std::string log;
    HWND room = nullptr;
    HWND main = nullptr;
    HWND list = nullptr;
};

}  // namespace vostrel::test
