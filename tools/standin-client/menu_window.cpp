#include "menu_window.h"

#include "dialogs.h"
#include "log_writer.h"
#include "members.h"
#include "pane.h"
#include "room_window.h"
#include "standin_log.h"
#include "unicode_text.h"

#include <windows.h>
#include <windowsx.h>

#include <string>

namespace standin {
namespace {

constexpr int kMenuWidth = 150, kMenuTop = 8, kEntryHeight = 28;
constexpr int kSubmenuWidth = 120;
enum MenuEntry { kView, kPrivateChat, kCopyName, kMuteVoice, kNoTyping, kNoPictures, kBan, kNameCard, kRoles, kEntryCount };
enum SubmenuEntry { kReception, kRoleMember, kRoleGuest, kSubEntryCount };
constexpr int kMenuHeight = kMenuTop * 2 + kEntryHeight * kEntryCount;
constexpr int kSubmenuHeight = kMenuTop * 2 + kEntryHeight * kSubEntryCount;

HWND g_menu = nullptr;
HWND g_submenu = nullptr;

std::wstring menuLabel(int member, int entry) {
    const Member& m = roomMember(member);
    switch (entry) {
    case kView: return L"查看资料";
    case kPrivateChat: return L"发起私聊";
    case kCopyName: return L"复制昵称";
    case kMuteVoice: return L"屏蔽语音";
    case kNoTyping: return m.noTyping ? L"解除禁止打字" : L"禁止打字";
    case kNoPictures: return m.noPictures ? L"解除禁止发图" : L"禁止发图";
    case kBan: return L"踢出并封禁";
    case kNameCard: return L"修改房间名片";
    case kRoles: return L"权限设置  >";
    }
    return L"";
}

std::wstring submenuLabel(int member, int entry) {
    const Member& m = roomMember(member);
    switch (entry) {
    case kReception: return L"设为接待";
    case kRoleMember: return m.member ? L"取消会员" : L"设为会员";
    case kRoleGuest: return m.guest ? L"取消嘉宾" : L"设为嘉宾";
    }
    return L"";
}

int entryAt(int y, int count) {
    if (y < kMenuTop) return -1;
    int entry = (y - kMenuTop) / kEntryHeight;
    return entry < count ? entry : -1;
}

// One menu level's entries, stacked from kMenuTop, the selected one highlighted.
void drawEntries(HDC dc, RECT client, int member, int count, int selected, std::wstring (*label)(int, int)) {
    for (int e = 0; e < count; ++e) {
        RECT r{2, kMenuTop + e * kEntryHeight, client.right - 2, kMenuTop + (e + 1) * kEntryHeight};
        if (e == selected) fill(dc, r, RGB(210, 230, 255));
        text(dc, 16, r.top + 7, label(member, e));
    }
}

// Up and Down wrap round; from no selection Up lands on the last entry, Down on the first.
int movedSelection(int selected, int vk, int count) {
    if (vk == VK_UP) return selected <= 0 ? count - 1 : selected - 1;
    return selected < 0 || selected >= count - 1 ? 0 : selected + 1;
}

// Flips one of the member's flags and logs its new state.
void toggle(bool& flag, const char* effect, int member) {
    flag = !flag;
    logEffect(effect, member, flag ? "on" : "off");
}

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
    int subSelection() const { return subSelected_; }

    void chooseSub(HWND window, int entry) {
        Member& m = roomMember(member_);
        switch (entry) {
        case kRoleGuest:
            toggle(m.guest, "guest", member_);
            break;
        case kRoleMember:
            toggle(m.member, "member", member_);
            break;
        case kReception:
            logEffect("entry", member_, logText(submenuLabel(member_, entry)));
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
                drawEntries(dc, client, member_, kEntryCount, selected_, menuLabel);
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
                PostMessageW(window, WM_CLOSE, 0, 0);
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
        return DefWindowProcW(window, message, wParam, lParam);
    }

private:
    void choose(HWND window, int entry) {
        Member& m = roomMember(member_);
        int member = member_;  // a copy: destroying the window deletes this menu
        switch (entry) {
        case kNoTyping:
            toggle(m.noTyping, "no-typing", member);
            break;
        case kNoPictures:
            toggle(m.noPictures, "no-pictures", member);
            break;
        case kBan:
            DestroyWindow(window);
            openBanPrompt(member);
            return;
        case kNameCard:
            DestroyWindow(window);
            openNameCardEditor(member);
            return;
        case kRoles:
            openSubmenu(window);
            return;
        default:
            logEffect("entry", member, logText(menuLabel(member, entry)));
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
        g_submenu = createPane(new RoleSubmenu(), wide(kSubmenuTitle), WS_POPUP, WS_EX_TOPMOST | WS_EX_NOACTIVATE,
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
            case VK_UP:
            case VK_DOWN: subSelected_ = movedSelection(subSelected_, vk, kSubEntryCount); break;
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
        case VK_UP:
        case VK_DOWN: selected_ = movedSelection(selected_, vk, kEntryCount); break;
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
            if (g_menuPane) drawEntries(dc, client, g_menuPane->member(), kSubEntryCount, g_menuPane->subSelection(), submenuLabel);
        });
        return 0;
    case WM_LBUTTONUP: {
        int e = entryAt(GET_Y_LPARAM(lParam), kSubEntryCount);
        if (e >= 0 && g_menuPane && g_menu) g_menuPane->chooseSub(g_menu, e);
        return 0;
    }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void openMemberMenu(int member, bool fromChat) {
    if (g_menu) DestroyWindow(g_menu);
    POINT at{};
    GetCursorPos(&at);
    auto* pane = new MemberMenu(member);
    HWND menu = createPane(pane, wide(kMenuTitle), WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, at.x, at.y, kMenuWidth,
                           kMenuHeight);
    if (!menu) return;
    g_menu = menu;
    g_menuPane = pane;
    logEffect("menu", member, fromChat ? "chat" : "list");
    ShowWindow(menu, SW_SHOW);
    SetForegroundWindow(menu);
    SetFocus(menu);
}

}  // namespace standin
