#include "room_window.h"

#include "chat_input.h"
#include "log_writer.h"
#include "members.h"
#include "menu_window.h"
#include "pane.h"
#include "standin_log.h"
#include "unicode_text.h"

#include <windowsx.h>

#include <string>
#include <vector>

namespace standin {
namespace {

struct ChatLine {
    int member;  // 0: the moderator (this client's user)
    std::wstring text;
};

std::vector<ChatLine> g_chat = {
    {1, L"大家晚上好！"}, {2, L"今晚几点开麦？"}, {3, L"来听歌的举个手"}, {4, L"管理辛苦了"}};

HWND g_room = nullptr;
int g_selectedMember = 0;  // 1-based, 0 none

RECT sendButtonRect(RECT client) { return {client.right - 80, client.bottom - 64, client.right - 8, client.bottom - 12}; }

int memberAt(int x, int y) {
    if (x < kListLeft || x >= kListLeft + kListWidth || y < kListTop) return 0;
    int row = (y - kListTop) / kRowHeight;
    return row < kMemberCount ? row + 1 : 0;
}

int chatNameAt(int x, int y) {
    if (x < kChatLeft + 8 || x >= kChatLeft + 8 + kChatNameWidth || y < kChatTop) return 0;
    int line = (y - kChatTop) / kChatLineHeight;
    return line < kGreetingCount ? g_chat[static_cast<size_t>(line)].member : 0;
}

class RoomWindow : public Pane {
public:
    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_PAINT:
            paintBuffered(window, [&](HDC dc, RECT client) { draw(dc, client); });
            return 0;
        case WM_CREATE:
            sendButton_ = CreateWindowExW(0, L"BUTTON", L"发送", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 0, 0,
                                          window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSendButtonId)), GetModuleHandleW(nullptr),
                                          nullptr);
            SendMessageW(sendButton_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont()), FALSE);
            return 0;
        case WM_SIZE: {
            RECT client;
            GetClientRect(window, &client);
            RECT r = sendButtonRect(client);
            MoveWindow(sendButton_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == kSendButtonId && HIWORD(wParam) == BN_CLICKED) {
                send();
                SetFocus(window);  // the keyboard stays with the chat input
            }
            return 0;
        case WM_LBUTTONDOWN: {
            int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
            input_.click(window, x, y);
            if (int member = memberAt(x, y)) g_selectedMember = member;
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        }
        case WM_LBUTTONUP: {
            if (int member = chatNameAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) openMemberMenu(member, true);
            return 0;
        }
        case WM_RBUTTONUP: {
            if (int member = memberAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) {
                g_selectedMember = member;
                InvalidateRect(window, nullptr, FALSE);
                openMemberMenu(member, false);
            }
            return 0;
        }
        // The chat input, like the real client's, is part of the room window: the
        // room window takes the select-all, the paste, typed characters and Enter
        // for it while it has the keyboard.
        case EM_SETSEL:
            input_.select(wParam, lParam);
            return 0;
        case WM_PASTE:
            input_.paste(window);
            return 0;
        case WM_CHAR:
            input_.type(window, wParam);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN && input_.focused()) send();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

private:
    void send() {
        std::wstring line = input_.take();
        if (line.empty()) {
            logLine("chat-empty");
            return;
        }
        logLine("chat " + logText(line));
        g_chat.push_back({0, line});
        InvalidateRect(g_room, nullptr, FALSE);
    }

    void draw(HDC dc, RECT client) {
        fill(dc, client, RGB(244, 247, 252));
        fill(dc, {0, 0, client.right, 26}, RGB(30, 144, 255));
        text(dc, 12, 6, L"演示房间 (频道 10086)", RGB(255, 255, 255));
        text(dc, 200, 6, L"把鼠标移到成员或聊天框里的名字上，按下勾选的快捷键", RGB(225, 240, 255));

        text(dc, kListLeft + 4, kListTop - 18, L"成员 (" + std::to_wstring(kMemberCount) + L")", RGB(90, 90, 90));
        fill(dc, {kListLeft, kListTop, kListLeft + kListWidth, kListTop + kMemberCount * kRowHeight}, RGB(255, 255, 255));
        for (int i = 1; i <= kMemberCount; ++i) {
            const Member& m = roomMember(i);
            RECT row{kListLeft, kListTop + (i - 1) * kRowHeight, kListLeft + kListWidth, kListTop + i * kRowHeight};
            if (i == g_selectedMember) fill(dc, row, RGB(210, 230, 255));
            const wchar_t* badge = m.guest ? L"[嘉宾] " : m.member ? L"[会员] " : L"[游客] ";
            text(dc, row.left + 6, row.top + 7, badge, m.guest ? RGB(200, 120, 0) : m.member ? RGB(0, 130, 60) : RGB(130, 130, 130));
            text(dc, row.left + 52, row.top + 7, displayName(i), m.banned ? RGB(170, 170, 170) : RGB(40, 40, 40));
            std::wstring flags = std::wstring(m.noTyping ? L"禁字 " : L"") + (m.noPictures ? L"禁图 " : L"") + (m.banned ? L"封禁" : L"");
            text(dc, row.left + 130, row.top + 7, flags, RGB(210, 40, 40));
        }
        frame(dc, {kListLeft, kListTop, kListLeft + kListWidth, kListTop + kMemberCount * kRowHeight}, RGB(200, 200, 200));

        RECT pane{kChatLeft, kChatTop, client.right - 8, ChatInput::area(client).top - 8};
        text(dc, kChatLeft + 4, kChatTop - 18, L"公屏聊天", RGB(90, 90, 90));
        fill(dc, pane, RGB(255, 255, 255));
        frame(dc, pane, RGB(200, 200, 200));
        int lines = (pane.bottom - pane.top) / kChatLineHeight;
        size_t first = g_chat.size() > static_cast<size_t>(lines) ? g_chat.size() - static_cast<size_t>(lines - kGreetingCount) : kGreetingCount;
        int y = kChatTop;
        auto drawLine = [&](const ChatLine& line) {
            std::wstring name = line.member ? displayName(line.member) : L"场控(我)";
            text(dc, kChatLeft + 8, y + 5, name, line.member ? RGB(20, 100, 200) : RGB(200, 80, 0));
            text(dc, kChatLeft + 8 + kChatNameWidth, y + 5, oneLine(line.text));
            y += kChatLineHeight;
        };
        for (size_t i = 0; i < kGreetingCount; ++i) drawLine(g_chat[i]);
        for (size_t i = first; i < g_chat.size(); ++i) drawLine(g_chat[i]);

        input_.draw(dc, client);
    }

    static constexpr int kSendButtonId = 1;
    HWND sendButton_ = nullptr;
    ChatInput input_;
};

}  // namespace

HWND openRoomWindow(int show) {
    g_room = createPane(new RoomWindow(), wide(kRoomTitle), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, kRoomX, kRoomY, kRoomWidth, kRoomHeight);
    if (!g_room) return nullptr;
    ShowWindow(g_room, show == SW_HIDE ? SW_SHOW : show);
    UpdateWindow(g_room);
    logLine("ready " + std::to_string(static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(g_room))));
    return g_room;
}

HWND roomWindow() { return g_room; }

void refreshRoom() {
    if (g_room) InvalidateRect(g_room, nullptr, FALSE);
}

}  // namespace standin
