// The chat input along the bottom of the room's chat pane. Like the real
// client's, it is part of the room window, not a control of its own: the room
// window passes it the clicks, the select-all, the paste, typed characters and
// Enter while it has the keyboard.
#pragma once

#include <windows.h>

#include <string>

namespace standin {

class ChatInput {
public:
    // Where the input lies in the room's client area; at the outer size
    // 802 x 582 the client point (412, 525) is inside it.
    static RECT area(RECT client);

    bool focused() const { return focused_; }

    // A click at (x, y) in the room: inside the input it takes the keyboard,
    // anywhere else the input lets go of it.
    void click(HWND room, int x, int y);
    void select(WPARAM start, LPARAM end);
    void paste(HWND room);
    void type(HWND room, WPARAM character);

    // The text to send, taken out of the input; empty when there is nothing to send.
    std::wstring take();

    void draw(HDC dc, RECT client) const;

private:
    std::wstring text_;
    bool focused_ = false;
    bool allSelected_ = false;
};

}  // namespace standin
