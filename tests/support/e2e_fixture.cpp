#include "e2e_fixture.h"

#include "client/capture.h"
#include "win/gbk_wide.h"

#include <commctrl.h>

#include <algorithm>
#include <iostream>
#include <iterator>
#include <sstream>

namespace vostrel::test {

void ProgramDriver::TearDown() {
    if (HasFailure()) {
        if (!log.empty()) std::cout << "client log:\n" << gbkToUtf8(logText());
        std::cout << "visible windows:\n" << describeWindows();
    }
    if (program.running() && main) closeProgram();
}

void ProgramDriver::launch(const std::string& runFolder) {
    std::string where = runFolder.empty() ? folder.path() : runFolder;
    std::string exe = where + "\\vostrel.exe";
    ASSERT_TRUE(CopyFileW(toWide(siblingPath("vostrel.exe")).c_str(), toWide(exe).c_str(), FALSE));
    ASSERT_TRUE(program.start(exe, "", where)) << "CreateProcessW failed with error " << GetLastError();
}

void ProgramDriver::waitForMainWindow() {
    main = waitForProcessWindow(program.id(), kMainCaption);
    ASSERT_TRUE(main) << "no main window; visible windows:\n" << describeWindows();
    list = control("超级列表框1");
    ASSERT_TRUE(list);
}

void ProgramDriver::startClient() {
    log = folder.file("standin.log");
    ASSERT_TRUE(client.start(siblingPath("standin-client.exe"), "\"" + log + "\"", folder.path()))
        << "CreateProcessW failed with error " << GetLastError();
    room = waitForProcessWindow(client.id(), standin::kRoomTitle);
    ASSERT_TRUE(room) << "no room window; visible windows:\n" << describeWindows();
    ASSERT_TRUE(waitUntil([&] { return logText().rfind("ready", 0) == 0; })) << "client log: " << logText();
    movePointer(GetSystemMetrics(SM_CXSCREEN) - 4, GetSystemMetrics(SM_CYSCREEN) - 4);
}

void ProgramDriver::chooseMenuItem(Handler handler) {
    for (size_t row = 0; row < std::size(kMainMenuLayout); ++row) {
        if (kMainMenuLayout[row].handler == handler) {
            PostMessageW(main, WM_COMMAND, kFirstMenuId + static_cast<int>(row), 0);
            return;
        }
    }
    ADD_FAILURE() << "no menu item for this handler";
}

int ProgramDriver::rowCount() const { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

int ProgramDriver::selectedRow() const {
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

HWND ProgramDriver::waitForWindow(const std::string& title, int timeoutMs) const {
    return waitForProcessWindow(program.id(), title, timeoutMs);
}

bool ProgramDriver::anotherWindowShows(int timeoutMs) const {
    return waitUntil([&] {
        HWND other = findProcessWindow(program.id());
        return other && other != main;
    }, timeoutMs);
}

bool ProgramDriver::pressOk(HWND box) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return waitUntil([&] { return !IsWindow(box); });
}

std::string ProgramDriver::dismissMessage(const char* title, int timeoutMs) {
    HWND box = waitForWindow(title, timeoutMs);
    if (!box) return "<no message box '" + gbkToUtf8(title) + "'>";
    EXPECT_EQ(className(box), "#32770");
    std::string text = messageBoxText(box);
    EXPECT_TRUE(pressOk(box));
    return text;
}

void ProgramDriver::armCapture() {
    chooseMenuItem(beginCapture);
    EXPECT_EQ(dismissMessage(kCaptureTitle), kCaptureInstruction);
    // F10 is registered when the box's call has returned, before the tool's thread
    // next takes a message: once it has answered this one, a press is a capture.
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer)) << "the tool does not answer";
}

long ProgramDriver::closeProgram() {
    PostMessageW(main, WM_CLOSE, 0, 0);
    return program.waitForExit();
}

void ProgramDriver::pointAt(standin::Point at) const {
    POINT p{at.x, at.y};
    ClientToScreen(room, &p);
    movePointer(p.x, p.y);
}

std::vector<std::string> ProgramDriver::logLines() const {
    std::vector<std::string> lines;
    std::istringstream in(logText());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool ProgramDriver::logHas(const std::string& line) const {
    std::vector<std::string> lines = logLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace vostrel::test
