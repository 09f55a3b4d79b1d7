// The stand-in voice-chat client: a room window with a member list, a chat pane
// and a chat input, the members' pop-up menu, the ban confirmation and the
// name-card editor, all top-level windows of one class told apart by title, the
// way the real client shows them. Every window draws its own content, so clicks
// posted into a window land on that window; the one child control is the room's
// send button, so that the pointer can rest on a control of the client as on the
// real one. Every effect is written to the log named on the command line (formats
// in standin_log.h).
#include "log_writer.h"
#include "members.h"
#include "pane.h"
#include "standin_log.h"

#include <windows.h>
#include <windowsx.h>

#include <optional>
#include <string>
#include <vector>

namespace standin {
namespace {

// The first argument of the command line, quotes removed.
std::string logPathFromCommandLine() {
    std::string line = GetCommandLineA();
    size_t pos = 0;
    if (!line.empty() && line[0] == '"') {
        pos = line.find('"', 1);
        pos = pos == std::string::npos ? line.size() : pos + 1;
    } else {
        pos = line.find(' ');
        if (pos == std::string::npos) pos = line.size();
    }
    while (pos < line.size() && line[pos] == ' ') ++pos;
    std::string rest = line.substr(pos);
    while (!rest.empty() && rest.back() == ' ') rest.pop_back();
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') rest = rest.substr(1, rest.size() - 2);
    return rest;
}

struct ChatLine {
    int member;  // 0: the moderator (this client's user)
    std::string text;
};

std::vector<ChatLine> g_chat = {
    {1, "大家晚上好！"}, {2, "今晚几点开麦？"}, {3, "来听歌的举个手"}, {4, "管理辛苦了"}};

HWND g_room = nullptr;
HWND g_menu = nullptr;
HWND g_submenu = nullptr;
int g_selectedMember = 0;  // 1-based, 0 none

// One attempt, as a standard edit control makes: while someone else holds the
// clipboard the paste gets nothing, and the input keeps what it had.
std::optional<std::string> clipboardText(HWND owner) {
    if (!OpenClipboard(owner)) return std::nullopt;
    std::string result;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
            result = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return result;
}

// A frameless pop-up dialog of the client: its own title bar, contents drawn by
// the subclass. Client coordinates are window coordinates.
class Dialog : public Pane {
protected:
    explicit Dialog(int member) : member_(member) {}
    virtual void draw(HDC dc, RECT client) = 0;
    virtual void click(HWND window, int x, int y) = 0;
    virtual void character(HWND window, unsigned char byte) {}

    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_PAINT:
            paintBuffered(window, [&](HDC dc, RECT client) {
                fill(dc, client, RGB(250, 250, 250));
                fill(dc, {0, 0, client.right, 30}, RGB(30, 144, 255));
                char title[64] = {};
                GetWindowTextA(window, title, sizeof title);
                text(dc, 12, 8, title, RGB(255, 255, 255));
                frame(dc, client, RGB(20, 100, 200));
                draw(dc, client);
            });
            return 0;
        case WM_LBUTTONDOWN:
            click(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_CHAR:
            character(window, static_cast<unsigned char>(wParam));
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) DestroyWindow(window);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    int member_;
};

void refreshRoom() {
    if (g_room) InvalidateRect(g_room, nullptr, FALSE);
}

// "提示": a ban asks for confirmation; its box bans the IP address as well.
class BanPrompt : public Dialog {
public:
    explicit BanPrompt(int member) : Dialog(member) {}
    static constexpr int kWidth = 380, kHeight = 250;

private:
    static constexpr RECT kIpBox{192, 141, 208, 157};     // (200, 149)
    static constexpr RECT kIpLabel{208, 139, 330, 159};
    static constexpr RECT kConfirm{260, 198, 330, 226};   // (295, 212)
    static constexpr RECT kCancel{180, 198, 250, 226};

    void draw(HDC dc, RECT) override {
        text(dc, 30, 70, "确定要将 " + displayName(member_) + " 踢出频道并封禁吗？");
        fill(dc, kIpBox, RGB(255, 255, 255));
        frame(dc, kIpBox, RGB(90, 90, 90));
        if (alsoIp_) text(dc, kIpBox.left + 3, kIpBox.top + 1, "√", RGB(20, 100, 200));
        text(dc, kIpLabel.left + 6, kIpLabel.top + 2, "同时封禁IP");
        button(dc, kConfirm, "确定", true);
        button(dc, kCancel, "取消", false);
    }

    void click(HWND window, int x, int y) override {
        if (inside(kIpBox, x, y) || inside(kIpLabel, x, y)) {
            alsoIp_ = !alsoIp_;
            InvalidateRect(window, nullptr, FALSE);
        } else if (inside(kConfirm, x, y)) {
            roomMember(member_).banned = true;
            logLine((alsoIp_ ? "ban-ip " : "ban-id ") + memberTag(member_));
            refreshRoom();
            DestroyWindow(window);
        } else if (inside(kCancel, x, y)) {
            DestroyWindow(window);
        }
    }

    bool alsoIp_ = false;
};

// "修改房间名片": a click into the input gives it the keyboard; typed bytes go
// there; the save button stores the card.
class NameCardEditor : public Dialog {
public:
    explicit NameCardEditor(int member) : Dialog(member) {}
    static constexpr int kWidth = 300, kHeight = 220;

private:
    static constexpr RECT kInput{40, 86, 228, 112};    // (134, 99)
    static constexpr RECT kSave{163, 163, 233, 191};   // (198, 177)
    static constexpr RECT kCancel{243, 163, 293, 191};

    void draw(HDC dc, RECT) override {
        text(dc, 40, 50, "当前名片: " + displayName(member_), RGB(110, 110, 110));
        fill(dc, kInput, RGB(255, 255, 255));
        frame(dc, kInput, focused_ ? RGB(30, 144, 255) : RGB(150, 150, 150));
        text(dc, kInput.left + 4, kInput.top + 5, typed_ + (focused_ ? "|" : ""));
        button(dc, kSave, "保存", true);
        button(dc, kCancel, "取消", false);
    }

    void click(HWND window, int x, int y) override {
        if (inside(kInput, x, y)) {
            focused_ = true;
        } else if (inside(kSave, x, y)) {
            roomMember(member_).card = typed_;
            logLine("name-card " + memberTag(member_) + " " + escapeLogText(typed_));
            refreshRoom();
            DestroyWindow(window);
            return;
        } else if (inside(kCancel, x, y)) {
            DestroyWindow(window);
            return;
        } else {
            focused_ = false;
        }
        InvalidateRect(window, nullptr, FALSE);
    }

    void character(HWND window, unsigned char byte) override {
        if (!focused_) return;
        if (byte == '\b') {
            eraseLastCharacter(typed_);
        } else if (byte >= 0x20) {
            typed_ += static_cast<char>(byte);
        }
        InvalidateRect(window, nullptr, FALSE);
    }

    bool focused_ = false;
    std::string typed_;
};

HWND openDialogOverRoom(Pane* dialog, const char* title, int width, int height) {
    RECT room{};
    GetWindowRect(g_room, &room);
    int x = room.left + (room.right - room.left - width) / 2;
    int y = room.top + (room.bottom - room.top - height) / 2;
    HWND window = createPane(dialog, title, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, x, y, width, height);
    if (window) {
        SetForegroundWindow(window);
        SetFocus(window);
    }
    return window;
}

// ---------------------------------------------------------------- the menu

constexpr int kMenuWidth = 150, kMenuTop = 8, kEntryHeight = 28;
constexpr int kSubmenuWidth = 120;
enum MenuEntry { kView, kPrivateChat, kCopyName, kMuteVoice, kNoTyping, kNoPictures, kBan, kNameCard, kRoles, kEntryCount };
enum SubmenuEntry { kReception, kRoleMember, kRoleGuest, kSubEntryCount };
constexpr int kMenuHeight = kMenuTop * 2 + kEntryHeight * kEntryCount;
constexpr int kSubmenuHeight = kMenuTop * 2 + kEntryHeight * kSubEntryCount;

std::string menuLabel(int member, int entry) {
    const Member& m = roomMember(member);
    switch (entry) {
    case kView: return "查看资料";
    case kPrivateChat: return "发起私聊";
    case kCopyName: return "复制昵称";
    case kMuteVoice: return "屏蔽语音";
    case kNoTyping: return m.noTyping ? "解除禁止打字" : "禁止打字";
    case kNoPictures: return m.noPictures ? "解除禁止发图" : "禁止发图";
    case kBan: return "踢出并封禁";
    case kNameCard: return "修改房间名片";
    case kRoles: return "权限设置  >";
    }
    return "";
}

std::string submenuLabel(int member, int entry) {
    const Member& m = roomMember(member);
    switch (entry) {
    case kReception: return "设为接待";
    case kRoleMember: return m.member ? "取消会员" : "设为会员";
    case kRoleGuest: return m.guest ? "取消嘉宾" : "设为嘉宾";
    }
    return "";
}

int entryAt(int y, int count) {
    if (y < kMenuTop) return -1;
    int entry = (y - kMenuTop) / kEntryHeight;
    return entry < count ? entry : -1;
}

const char* onOff(bool on) { return on ? " on" : " off"; }

class MemberMenu;
MemberMenu* g_menuPane = nullptr;

// The roles submenu beside the menu's last entry. It never takes the keyboard:
// the menu walks it.
class RoleSubmenu : public Pane {
public:
    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The member's pop-up menu, opened at the pointer with the keyboard focus. Up from
// no selection lands on the last entry; Right there opens the roles submenu.
class MemberMenu : public Pane {
public:
    explicit MemberMenu(int member) : member_(member) {}
    int member() const { return member_; }
    int level() const { return submenuOpen_ ? 1 : 0; }
    int subSelection() const { return subSelected_; }

    void chooseSub(HWND window, int entry) {
        Member& m = roomMember(member_);
        int member = member_;
        switch (entry) {
        case kRoleGuest:
            m.guest = !m.guest;
            logLine("guest " + memberTag(member) + onOff(m.guest));
            break;
        case kRoleMember:
            m.member = !m.member;
            logLine("member " + memberTag(member) + onOff(m.member));
            break;
        case kReception:
            logLine("entry " + memberTag(member) + " " + submenuLabel(member, entry));
            break;
        default:
            return;
        }
        refreshRoom();
        DestroyWindow(window);
    }

    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_PAINT:
            paintBuffered(window, [&](HDC dc, RECT client) {
                fill(dc, client, RGB(255, 255, 255));
                frame(dc, client, RGB(160, 160, 160));
                for (int e = 0; e < kEntryCount; ++e) {
                    RECT r{2, kMenuTop + e * kEntryHeight, client.right - 2, kMenuTop + (e + 1) * kEntryHeight};
                    if (e == selected_) fill(dc, r, RGB(210, 230, 255));
                    text(dc, 16, r.top + 7, menuLabel(member_, e));
                }
            });
            return 0;
        case WM_MOUSEMOVE: {
            int e = entryAt(GET_Y_LPARAM(lParam), kEntryCount);
            if (e != selected_ && e >= 0) {
                selected_ = e;
                InvalidateRect(window, nullptr, FALSE);
            }
            return 0;
        }
        case WM_LBUTTONUP: {
            int e = entryAt(GET_Y_LPARAM(lParam), kEntryCount);
            int x = GET_X_LPARAM(lParam);
            if (e >= 0 && x >= 0 && x < kMenuWidth) choose(window, e);
            return 0;
        }
        case WM_KEYDOWN:
            key(window, static_cast<int>(wParam));
            return 0;
        case WM_ACTIVATE:
            // Like any menu: it goes away when something else is clicked.
            if (LOWORD(wParam) == WA_INACTIVE && reinterpret_cast<HWND>(lParam) != g_submenu) {
                PostMessageA(window, WM_CLOSE, 0, 0);
            }
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            if (g_submenu) DestroyWindow(g_submenu);
            g_submenu = nullptr;
            if (g_menu == window) {
                g_menu = nullptr;
                g_menuPane = nullptr;
            }
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

private:
    void choose(HWND window, int entry) {
        Member& m = roomMember(member_);
        int member = member_;
        switch (entry) {
        case kNoTyping:
            m.noTyping = !m.noTyping;
            logLine("no-typing " + memberTag(member) + onOff(m.noTyping));
            break;
        case kNoPictures:
            m.noPictures = !m.noPictures;
            logLine("no-pictures " + memberTag(member) + onOff(m.noPictures));
            break;
        case kBan:
            DestroyWindow(window);
            openDialogOverRoom(new BanPrompt(member), kBanPromptTitle, BanPrompt::kWidth, BanPrompt::kHeight);
            return;
        case kNameCard:
            DestroyWindow(window);
            openDialogOverRoom(new NameCardEditor(member), kNameCardTitle, NameCardEditor::kWidth,
                               NameCardEditor::kHeight);
            return;
        case kRoles:
            openSubmenu(window);
            return;
        default:
            logLine("entry " + memberTag(member) + " " + menuLabel(member, entry));
            break;
        }
        refreshRoom();
        DestroyWindow(window);
    }

    void openSubmenu(HWND window) {
        if (submenuOpen_) return;
        submenuOpen_ = true;
        subSelected_ = -1;
        selected_ = kRoles;
        RECT r{};
        GetWindowRect(window, &r);
        g_submenu = createPane(new RoleSubmenu(), kSubmenuTitle, WS_POPUP, WS_EX_TOPMOST | WS_EX_NOACTIVATE,
                               r.right - 2, r.top + kMenuTop + kRoles * kEntryHeight, kSubmenuWidth, kSubmenuHeight);
        if (g_submenu) ShowWindow(g_submenu, SW_SHOWNOACTIVATE);
        InvalidateRect(window, nullptr, FALSE);
    }

    void closeSubmenu(HWND window) {
        submenuOpen_ = false;
        if (g_submenu) DestroyWindow(g_submenu);
        g_submenu = nullptr;
        InvalidateRect(window, nullptr, FALSE);
    }

    void key(HWND window, int vk) {
        if (submenuOpen_) {
            switch (vk) {
            case VK_UP: subSelected_ = subSelected_ <= 0 ? kSubEntryCount - 1 : subSelected_ - 1; break;
            case VK_DOWN: subSelected_ = subSelected_ < 0 || subSelected_ >= kSubEntryCount - 1 ? 0 : subSelected_ + 1; break;
            case VK_LEFT:
            case VK_ESCAPE: closeSubmenu(window); return;
            case VK_RETURN:
                if (subSelected_ >= 0) chooseSub(window, subSelected_);
                return;
            default: return;
            }
            if (g_submenu) InvalidateRect(g_submenu, nullptr, FALSE);
            return;
        }
        switch (vk) {
        case VK_UP: selected_ = selected_ <= 0 ? kEntryCount - 1 : selected_ - 1; break;
        case VK_DOWN: selected_ = selected_ < 0 || selected_ >= kEntryCount - 1 ? 0 : selected_ + 1; break;
        case VK_RIGHT:
            if (selected_ == kRoles) openSubmenu(window);
            return;
        case VK_ESCAPE: DestroyWindow(window); return;
        case VK_RETURN:
            if (selected_ >= 0) choose(window, selected_);
            return;
        default: return;
        }
        InvalidateRect(window, nullptr, FALSE);
    }

    int member_;
    int selected_ = -1;
    bool submenuOpen_ = false;
    int subSelected_ = -1;
};

LRESULT RoleSubmenu::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_PAINT:
        paintBuffered(window, [&](HDC dc, RECT client) {
            fill(dc, client, RGB(255, 255, 255));
            frame(dc, client, RGB(160, 160, 160));
            if (!g_menuPane) return;
            for (int e = 0; e < kSubEntryCount; ++e) {
                RECT r{2, kMenuTop + e * kEntryHeight, client.right - 2, kMenuTop + (e + 1) * kEntryHeight};
                if (e == g_menuPane->subSelection()) fill(dc, r, RGB(210, 230, 255));
                text(dc, 16, r.top + 7, submenuLabel(g_menuPane->member(), e));
            }
        });
        return 0;
    case WM_LBUTTONUP: {
        int e = entryAt(GET_Y_LPARAM(lParam), kSubEntryCount);
        if (e >= 0 && g_menuPane && g_menu) g_menuPane->chooseSub(g_menu, e);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void openMenu(int member, bool fromChat) {
    if (g_menu) DestroyWindow(g_menu);
    POINT at{};
    GetCursorPos(&at);
    auto* pane = new MemberMenu(member);
    HWND menu = createPane(pane, kMenuTitle, WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, at.x, at.y, kMenuWidth,
                           kMenuHeight);
    if (!menu) return;
    g_menu = menu;
    g_menuPane = pane;
    logLine("menu " + memberTag(member) + (fromChat ? " chat" : " list"));
    ShowWindow(menu, SW_SHOW);
    SetForegroundWindow(menu);
    SetFocus(menu);
}

// ---------------------------------------------------------------- the room window

// The chat input lies along the bottom of the chat pane; at the outer size
// 802 x 582 the client point (412, 525) is inside it.
RECT chatInputRect(RECT client) { return {kChatLeft, client.bottom - 64, client.right - 88, client.bottom - 12}; }
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
            sendButton_ = CreateWindowExA(0, "BUTTON", "发送", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 0, 0,
                                          window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSendButtonId)), GetModuleHandleA(nullptr),
                                          nullptr);
            SendMessageA(sendButton_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont()), FALSE);
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
            RECT client;
            GetClientRect(window, &client);
            inputFocused_ = inside(chatInputRect(client), x, y);
            if (inputFocused_ && GetFocus() != window) SetFocus(window);
            if (int member = memberAt(x, y)) g_selectedMember = member;
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        }
        case WM_LBUTTONUP: {
            if (int member = chatNameAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) openMenu(member, true);
            return 0;
        }
        case WM_RBUTTONUP: {
            if (int member = memberAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) {
                g_selectedMember = member;
                InvalidateRect(window, nullptr, FALSE);
                openMenu(member, false);
            }
            return 0;
        }
        // The chat input, like the real client's, is part of the room window: the
        // room window takes the select-all, the paste, typed characters and Enter
        // for it while it has the keyboard.
        case EM_SETSEL:
            if (inputFocused_) allSelected_ = wParam == 0 && static_cast<int>(lParam) == -1;
            return 0;
        case WM_PASTE:
            if (inputFocused_) {
                if (std::optional<std::string> pasted = clipboardText(window)) {
                    input_ = allSelected_ ? *pasted : input_ + *pasted;
                    allSelected_ = false;
                }
                InvalidateRect(window, nullptr, FALSE);
            }
            return 0;
        case WM_CHAR:
            if (inputFocused_ && wParam != '\r' && wParam != '\n') {
                if (allSelected_) input_.clear();
                allSelected_ = false;
                if (wParam == '\b') {
                    eraseLastCharacter(input_);
                } else if (wParam >= 0x20) {
                    input_ += static_cast<char>(wParam);
                }
                InvalidateRect(window, nullptr, FALSE);
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN && inputFocused_) send();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

private:
    void send() {
        if (input_.empty()) return;
        logLine("chat " + escapeLogText(input_));
        g_chat.push_back({0, input_});
        input_.clear();
        allSelected_ = false;
        InvalidateRect(g_room, nullptr, FALSE);
    }

    void draw(HDC dc, RECT client) {
        fill(dc, client, RGB(244, 247, 252));
        fill(dc, {0, 0, client.right, 26}, RGB(30, 144, 255));
        text(dc, 12, 6, "演示房间 (频道 10086)", RGB(255, 255, 255));
        text(dc, 200, 6, "把鼠标移到成员或聊天框里的名字上，按下勾选的快捷键", RGB(225, 240, 255));

        text(dc, kListLeft + 4, kListTop - 18, "成员 (" + std::to_string(kMemberCount) + ")", RGB(90, 90, 90));
        fill(dc, {kListLeft, kListTop, kListLeft + kListWidth, kListTop + kMemberCount * kRowHeight}, RGB(255, 255, 255));
        for (int i = 1; i <= kMemberCount; ++i) {
            const Member& m = roomMember(i);
            RECT row{kListLeft, kListTop + (i - 1) * kRowHeight, kListLeft + kListWidth, kListTop + i * kRowHeight};
            if (i == g_selectedMember) fill(dc, row, RGB(210, 230, 255));
            std::string badge = m.guest ? "[嘉宾] " : m.member ? "[会员] " : "[游客] ";
            text(dc, row.left + 6, row.top + 7, badge, m.guest ? RGB(200, 120, 0) : m.member ? RGB(0, 130, 60) : RGB(130, 130, 130));
            text(dc, row.left + 52, row.top + 7, displayName(i), m.banned ? RGB(170, 170, 170) : RGB(40, 40, 40));
            std::string flags = std::string(m.noTyping ? "禁字 " : "") + (m.noPictures ? "禁图 " : "") + (m.banned ? "封禁" : "");
            text(dc, row.left + 130, row.top + 7, flags, RGB(210, 40, 40));
        }
        frame(dc, {kListLeft, kListTop, kListLeft + kListWidth, kListTop + kMemberCount * kRowHeight}, RGB(200, 200, 200));

        RECT input = chatInputRect(client);
        RECT pane{kChatLeft, kChatTop, client.right - 8, input.top - 8};
        text(dc, kChatLeft + 4, kChatTop - 18, "公屏聊天", RGB(90, 90, 90));
        fill(dc, pane, RGB(255, 255, 255));
        frame(dc, pane, RGB(200, 200, 200));
        int lines = (pane.bottom - pane.top) / kChatLineHeight;
        size_t first = g_chat.size() > static_cast<size_t>(lines) ? g_chat.size() - static_cast<size_t>(lines - kGreetingCount) : kGreetingCount;
        int y = kChatTop;
        auto drawLine = [&](const ChatLine& line) {
            std::string name = line.member ? displayName(line.member) : "场控(我)";
            text(dc, kChatLeft + 8, y + 5, name, line.member ? RGB(20, 100, 200) : RGB(200, 80, 0));
            text(dc, kChatLeft + 8 + kChatNameWidth, y + 5, escapeLogText(line.text));
            y += kChatLineHeight;
        };
        for (size_t i = 0; i < kGreetingCount; ++i) drawLine(g_chat[i]);
        for (size_t i = first; i < g_chat.size(); ++i) drawLine(g_chat[i]);

        fill(dc, input, RGB(255, 255, 255));
        frame(dc, input, inputFocused_ ? RGB(30, 144, 255) : RGB(180, 180, 180));
        if (input_.empty() && !inputFocused_) {
            text(dc, input.left + 6, input.top + 6, "在这里输入聊天内容，回车发送", RGB(170, 170, 170));
        } else {
            text(dc, input.left + 6, input.top + 6, escapeLogText(input_) + (inputFocused_ ? "|" : ""));
        }
    }

    static constexpr int kSendButtonId = 1;
    HWND sendButton_ = nullptr;
    std::string input_;
    bool inputFocused_ = false;
    bool allSelected_ = false;
};

}  // namespace
}  // namespace standin

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    using namespace standin;
    std::string logPath = logPathFromCommandLine();
    if (!logPath.empty()) openLog(logPath);

    registerPaneClass(instance);

    g_room = createPane(new RoomWindow(), kRoomTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, kRoomX, kRoomY, kRoomWidth, kRoomHeight);
    if (!g_room) return 1;
    ShowWindow(g_room, show == SW_HIDE ? SW_SHOW : show);
    UpdateWindow(g_room);
    logLine("ready " + std::to_string(static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(g_room))));

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    closeLog();
    return 0;
}
