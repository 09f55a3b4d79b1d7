// Windows described as data: every window of the tool is a layout table (one row
// per control, in the order the controls are created) read by one Window class.
#pragma once

#include "win/unique_handle.h"

#include <windows.h>

#include <span>
#include <string>
#include <vector>

namespace vostrel {

enum class ControlType {
    TabControl,     // SysTabControl32; its pages are the TabPage rows naming it as parent
    TabPage,        // a child window of the tab control; its controls are its children
    ListView,       // SysListView32, report style
    CheckBox,
    Label,          // static text, wraps over several lines when it is tall enough
    Hyperlink,      // static text that reacts to a click
    Edit,           // one line
    MultiLineEdit,  // Enter starts a new line; no scroll bars
    Button,
    GroupBox,
    Picture,        // a bitmap made from a JPEG resource (caption = resource name)
    WebView,        // the hidden web-page view: never shown, requests its page once
    ProgressBar,
};

using Handler = void (*)();

struct ControlLayout {
    const char* name;       // the control's own name, e.g. "超级列表框1"
    ControlType type;
    const char* parent;     // nullptr: the window's client area
    int x, y, width, height;
    const char* caption;    // a list view's: its columns, "title\nwidth\ntitle\nwidth"
    DWORD style;            // added to the type's own styles
    Handler onEvent;        // click; double-click for a list view
    Handler onRightButton;  // list view only
    const char* tabAfter = nullptr;  // comes right after this control in the tab order
                                     // (nullptr: in table order)
};

struct WindowLayout {
    const char* caption;
    int width, height;      // outer size
    DWORD style;
    std::span<const ControlLayout> controls;
    bool dialogKeys = false;  // Tab walks the tab stops, as in a dialog box
};

// First control id; a control's id is this plus its row in the layout table.
constexpr int kFirstControlId = 1000;

int controlIdOf(const WindowLayout& layout, const char* name);  // 0 if not in the table

class Window {
public:
    explicit Window(const WindowLayout& layout) : layout_(layout) {}
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Creates the window centred on the screen with all its controls; hidden.
    bool create(HWND owner, HMENU menu = nullptr);

    HWND handle() const noexcept { return window_; }
    HWND control(const char* name) const noexcept;
    const WindowLayout& layout() const noexcept { return layout_; }

    // Texts in GBK. A character that GBK cannot hold reads as '?' through text();
    // textExactly() says false for it instead, for a text that is to be stored.
    std::string text(const char* name) const;
    bool textExactly(const char* name, std::string& gbk) const;
    void setText(const char* name, const std::string& text) const;
    bool isChecked(const char* name) const;

    // Number of the tool's top-level windows now open; the message loop ends
    // when the last one is closed.
    static int openWindowCount() noexcept;

protected:
    virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT defaultProcedure(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

private:
    friend void registerWindowClasses();
    static LRESULT CALLBACK windowProcedure(HWND, UINT, WPARAM, LPARAM) noexcept;
    bool createControls() noexcept;
    void onCommand(int id, HWND control, UINT code) noexcept;
    LRESULT onNotify(const NMHDR* header) noexcept;
    const ControlLayout* rowOfId(int id) const noexcept;

    const WindowLayout& layout_;
    HWND window_ = nullptr;
    std::vector<HWND> controls_;
    UniqueGdiObject picture_;  // the Picture row's bitmap, made once
};

// The window the dialogs are modal over and the input box is owned by: the
// program's main window, which registers itself here when it is constructed.
// Until one has, a window with no controls that is never created stands in
// (no handle, no controls, empty texts).
Window& mainWindow();
void setMainWindow(Window* window) noexcept;

// A window's text as Windows holds it (any window, of any process).
std::wstring wideWindowText(HWND window);

// Keyboard messages for a window whose layout asks for dialog keys go through
// IsDialogMessageW; true when it took the message. Every loop of the tool calls
// this before it translates and dispatches a message.
bool handleDialogKeys(MSG& message) noexcept;

// Registers the window classes of the tool (the frame and the tab page) once.
void registerWindowClasses();

// A text of the shared GUI font the controls use; Chinese captions need a face
// with CJK glyphs.
HFONT controlFont();

}  // namespace vostrel
