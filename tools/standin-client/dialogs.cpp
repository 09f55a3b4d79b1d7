#include "dialogs.h"

#include "log_writer.h"
#include "members.h"
#include "pane.h"
#include "room_window.h"
#include "standin_log.h"
#include "unicode_text.h"

#include <windows.h>
#include <windowsx.h>

#include <iterator>
#include <string>

namespace standin {
namespace {

// A frameless pop-up dialog of the client: its own title bar, contents drawn by
// the subclass. Client coordinates are window coordinates.
class Dialog : public Pane {
protected:
    explicit Dialog(int member) : member_(member) {}
    virtual void draw(HDC dc, RECT client) = 0;
    virtual void click(HWND window, int x, int y) = 0;
    virtual void character(HWND window, WPARAM character) {}

    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_PAINT:
            paintBuffered(window, [&](HDC dc, RECT client) {
                fill(dc, client, RGB(250, 250, 250));
                fill(dc, {0, 0, client.right, 30}, RGB(30, 144, 255));
                wchar_t title[64] = {};
                GetWindowTextW(window, title, static_cast<int>(std::size(title)));
                text(dc, 12, 8, title, RGB(255, 255, 255));
                frame(dc, client, RGB(20, 100, 200));
                draw(dc, client);
            });
            return 0;
        case WM_LBUTTONDOWN:
            click(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_CHAR:
            character(window, wParam);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) DestroyWindow(window);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    int member_;
};

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
        text(dc, 30, 70, L"确定要将 " + displayName(member_) + L" 踢出频道并封禁吗？");
        fill(dc, kIpBox, RGB(255, 255, 255));
        frame(dc, kIpBox, RGB(90, 90, 90));
        if (alsoIp_) text(dc, kIpBox.left + 3, kIpBox.top + 1, L"√", RGB(20, 100, 200));
        text(dc, kIpLabel.left + 6, kIpLabel.top + 2, L"同时封禁IP");
        button(dc, kConfirm, L"确定", true);
        button(dc, kCancel, L"取消", false);
    }

    void click(HWND window, int x, int y) override {
        if (inside(kIpBox, x, y) || inside(kIpLabel, x, y)) {
            alsoIp_ = !alsoIp_;
            InvalidateRect(window, nullptr, FALSE);
        } else if (inside(kConfirm, x, y)) {
            roomMember(member_).banned = true;
            logEffect(alsoIp_ ? "ban-ip" : "ban-id", member_);
            refreshRoom();
            DestroyWindow(window);
        } else if (inside(kCancel, x, y)) {
            DestroyWindow(window);
        }
    }

    bool alsoIp_ = false;
};

// "修改房间名片": a click into the input gives it the keyboard; typed characters
// go there; the save button stores the card.
class NameCardEditor : public Dialog {
public:
    explicit NameCardEditor(int member) : Dialog(member) {}
    static constexpr int kWidth = 300, kHeight = 220;

private:
    static constexpr RECT kInput{40, 86, 228, 112};    // (134, 99)
    static constexpr RECT kSave{163, 163, 233, 191};   // (198, 177)
    static constexpr RECT kCancel{243, 163, 293, 191};

    void draw(HDC dc, RECT) override {
        text(dc, 40, 50, L"当前名片: " + displayName(member_), RGB(110, 110, 110));
        fill(dc, kInput, RGB(255, 255, 255));
        frame(dc, kInput, focused_ ? RGB(30, 144, 255) : RGB(150, 150, 150));
        text(dc, kInput.left + 4, kInput.top + 5, oneLine(typed_) + (focused_ ? L"|" : L""));
        button(dc, kSave, L"保存", true);
        button(dc, kCancel, L"取消", false);
    }

    void click(HWND window, int x, int y) override {
        if (inside(kInput, x, y)) {
            focused_ = true;
        } else if (inside(kSave, x, y)) {
            roomMember(member_).card = typed_;
            logEffect("name-card", member_, logText(typed_));
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

    void character(HWND window, WPARAM character) override {
        if (!focused_) return;
        typeInto(typed_, character);
        InvalidateRect(window, nullptr, FALSE);
    }

    bool focused_ = false;
    std::wstring typed_;
};

void openDialogOverRoom(Pane* dialog, const std::wstring& title, int width, int height) {
    RECT room{};
    GetWindowRect(roomWindow(), &room);
    int x = room.left + (room.right - room.left - width) / 2;
    int y = room.top + (room.bottom - room.top - height) / 2;
    if (HWND window = createPane(dialog, title, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, x, y, width, height)) {
        SetForegroundWindow(window);
        SetFocus(window);
    }
}

}  // namespace

void openBanPrompt(int member) {
    openDialogOverRoom(new BanPrompt(member), wide(kBanPromptTitle), BanPrompt::kWidth, BanPrompt::kHeight);
}

void openNameCardEditor(int member) {
    openDialogOverRoom(new NameCardEditor(member), wide(kNameCardTitle), NameCardEditor::kWidth, NameCardEditor::kHeight);
}

}  // namespace standin
