// What the Windows tests share: waiting with a deadline while pumping messages,
// processes that always end, finding windows of another process, screenshots.
//
// Texts are GBK bytes here, as the program speaks them; every one that crosses
// into Windows (titles, class names, paths, command lines, the clipboard, list
// cells) goes through the W call, converted with code page 936 (win/gbk_wide.h),
// so the tests see what a user sees on a Windows of any language.
#pragma once

#include "core/text_record.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vostrel::test {

// The title of the program's main window, by which the tests find it.
inline constexpr char kMainCaption[] = "Morvathwww.morvath.example-Vostrel V1.0";

// Handles this thread's pending messages once (no TranslateMessage: a test that
// records keys must see them raw).
void pumpMessages();

// Polls the condition every 10 ms, handling this thread's messages meanwhile
// with pump, until it holds or the deadline passes. Returns whether it held.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000, void (*pump)() = pumpMessages);

// Removes a WM_QUIT left in this thread's queue: closing the last window of the
// thread posts one, the tool's pump leaves it queued, and it would hold back every
// message behind it in the next test.
void dropQuit();

// Milliseconds from the performance counter, for the benchmark programs.
double clockMs();

// Moves the pointer and waits until the system reports it there. Under Wine the
// move reaches the X server only when this process next talks to it: another
// process asking for the pointer before then gets the old place, and may even put
// it back there.
void movePointer(int x, int y);

// The folder of the running test program (all programs of the build sit together).
std::string programFolder();
std::string siblingPath(const std::string& fileName);

// A fresh empty folder under the system temp folder, removed with its content at destruction.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// A started program that is always ended: the destructor terminates it if it is
// still running, so a failed assertion does not leave it behind.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // application: full path; arguments: the rest of the command line.
    bool start(const std::string& application, const std::string& arguments = "",
               const std::string& workingFolder = "");
    DWORD id() const { return info_.dwProcessId; }
    HANDLE handle() const { return info_.hProcess; }
    bool running() const;
    // Waits for the end; returns the exit code, or -1 when it did not end in time.
    long waitForExit(int timeoutMs = 10000);
    void terminate();

private:
    PROCESS_INFORMATION info_{};
};

// The first visible top-level window of the process whose title equals the text
// (any title when empty); 0 if none.
HWND findProcessWindow(DWORD processId, const std::string& title = "");
// Waits for such a window.
HWND waitForProcessWindow(DWORD processId, const std::string& title = "", int timeoutMs = 10000);

// A descendant of the window with this control id (depth-first), or 0.
HWND findDescendantById(HWND root, int id);

// Every visible top-level window as "handle class 'title' pid", one per line: for failure output.
std::string describeWindows();

std::string windowText(HWND window);
// Sets the text of a window of any process (WM_SETTEXT), as Unicode.
void setWindowText(HWND window, const std::string& text);
// The text of a control of another process, asked of the control itself
// (GetWindowText only sees the caption an edit control was created with).
std::string controlText(HWND control);
std::string className(HWND window);
// Every text shown in a message box of another process (its static texts).
std::string messageBoxText(HWND box);
// A window's rectangle in the client coordinates of its parent.
RECT rectInParent(HWND window);

// A key tapped as the user does (with a modifier held around it when given).
void press(BYTE key, BYTE modifier = 0);

// The clipboard's Unicode text; "<closed>" when it cannot be opened.
std::string clipboardText();
// The text put there as Unicode (CF_UNICODETEXT).
bool putOnClipboard(const std::string& text);

// The rows a list view of any process (of this program's bitness) shows, read
// with LVM_GETITEMW and LVM_GETITEMTEXTW: every column's text, the image and the
// item data. A character that GBK cannot hold comes back as "\u{XXXX}" (its code
// point in hex), so that a garbled cell never passes and the failure shows it.
std::vector<TextRow> shownRows(HWND list);

// Rows as "[image,data,'cell'(size),...]" lines, for comparing and for failure
// output: each cell up to its first 60 bytes (cut where a character starts) in
// UTF-8, with its whole size.
std::string rowsText(const std::vector<TextRow>& rows);

std::string readFileBytes(const std::string& path);
bool writeFileBytes(const std::string& path, const std::string& bytes);

// Saves what the screen shows inside the window's rectangle as a 24-bit BMP.
bool saveScreenshot(HWND window, const std::string& path);
// The same into the folder "artifacts" beside the programs, under this file name.
bool saveArtifact(HWND window, const std::string& fileName);

// Makes a list view of this process answer LVM_GETITEMA and LVM_GETITEMTEXTA the
// way Windows' own list view does: through the W message and a conversion into the
// caller's buffer, which leaves the text empty when its ANSI form does not fit.
// (Wine's list view fills the buffer instead.)
void answerAnsiReadsLikeWindows(HWND list);

// Text from UTF-8 source to the GBK bytes the program speaks is done by the
// compiler (-fexec-charset=GBK); this converts GBK to UTF-8 for messages.
std::string gbkToUtf8(const std::string& gbk);

}  // namespace vostrel::test
