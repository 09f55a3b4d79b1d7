// The seven actions against a client played by windows of this process: a room
// under the pointer that notes the real clicks, and the client's pop-up windows
// (same class, told apart by title) that note the posted clicks, typed bytes and
// key taps they receive.
#include "actions/moderation.h"
#include "app/exit_cleanup.h"
#include "app/main_window.h"

#include "win/gbk_wide.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace vostrel {
namespace {

using namespace vostrel::test;

using Events = std::vector<std::string>;

Events g_events;

std::string tagOf(HWND window) {
    std::string title = windowText(window);
    if (title == "TXMenuWindow") return "menu";
    if (title == "提示") return "prompt";
    if (title == "修改房间名片") return "editor";
    if (title == "room") return "room";
    return "sink";
}

LRESULT CALLBACK recordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    char line[64];
    int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;  // the room must not take the keyboard from the menu
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (tagOf(window) == "room") {
            g_events.push_back(message == WM_LBUTTONDOWN ? "room left" : "room right");
        } else if (message == WM_LBUTTONDOWN && wParam == MK_LBUTTON) {
            std::snprintf(line, sizeof line, "%s down %d,%d", tagOf(window).c_str(), x, y);
            g_events.push_back(line);
        }
        return 0;
    case WM_LBUTTONUP:
        if (tagOf(window) != "room") {
            std::snprintf(line, sizeof line, "%s click %d,%d", tagOf(window).c_str(), x, y);
            g_events.push_back(line);
        }
        return 0;
    case WM_CHAR:
        std::snprintf(line, sizeof line, "%s char %02X", tagOf(window).c_str(), static_cast<unsigned>(wParam));
        g_events.push_back(line);
        return 0;
    case WM_KEYDOWN:
        std::snprintf(line, sizeof line, "%s key %u", tagOf(window).c_str(), static_cast<unsigned>(wParam));
        g_events.push_back(line);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Unicode windows, as the client's are.
class FakeWindow {
public:
    FakeWindow(const char* className, const char* title, int x, int y) {
        const std::wstring wideClass = toWide(className);
        WNDCLASSW cls{};
        cls.lpfnWndProc = recordingProcedure;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = wideClass.c_str();
        RegisterClassW(&cls);
        window_ = CreateWindowExW(WS_EX_TOOLWINDOW, wideClass.c_str(), toWide(title).c_str(), WS_POPUP | WS_VISIBLE, x,
                                  y, 120, 120, nullptr, nullptr, cls.hInstance, nullptr);
    }
    ~FakeWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }

private:
    HWND window_;
};

class Actions : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(applicationWindow().create()); }

    void SetUp() override {
        room = std::make_unique<FakeWindow>("ActionsRoom", "room", 700, 700);
        sink = std::make_unique<FakeWindow>("ActionsSink", "sink", 900, 700);
        movePointer(760, 760);
        SendMessageA(applicationWindow().control("选择框8"), BM_SETCHECK, BST_UNCHECKED, 0);
        applicationWindow().setText("标签2", "以上所有操作需要鼠标移动到马甲上");
        focus(sink->get());
        pumpMessages();
        g_events.clear();
    }

    void focus(HWND window) {
        SetForegroundWindow(window);
        SetFocus(window);
    }

    // Runs the action and compares what reached the windows. Everything it sent is
    // in this thread's queue once it returns (posted messages and synthesised input
    // alike), so the wait ends as soon as the expected number has arrived, and
    // emptying the queue then brings in anything sent beyond it.
    static void expectRun(void (*action)(), const Events& expected, const char* name = "") {
        g_events.clear();
        action();
        waitUntil([&] { return g_events.size() >= expected.size(); }, 3000);
        pumpMessages();
        EXPECT_EQ(g_events, expected) << name;
    }

    std::unique_ptr<FakeWindow> open(const char* title, int x) {
        return std::make_unique<FakeWindow>("TXGuiFoundation", title, x, 100);
    }

    std::unique_ptr<FakeWindow> room, sink;
};

TEST_F(Actions, RoleWalksTapTheirKeysIntoTheFocusedMenuAndShowItsHandle) {
    auto menu = open("TXMenuWindow", 100);
    focus(menu->get());
    expectRun(toggleGuest, Events{"room left", "room right", "menu key 38", "menu key 39", "menu key 38",
                                  "menu key 13"});
    EXPECT_EQ(applicationWindow().text("标签2"), std::to_string(reinterpret_cast<LONG_PTR>(menu->get())));
    expectRun(toggleMember, Events{"room left", "room right", "menu key 38", "menu key 39", "menu key 38",
                                   "menu key 38", "menu key 13"});
}

TEST_F(Actions, Box8LeavesOutTheRightClick) {
    auto menu = open("TXMenuWindow", 100);
    SendMessageA(applicationWindow().control("选择框8"), BM_SETCHECK, BST_CHECKED, 0);
    expectRun(toggleNoTyping, Events{"room left", "menu down 83,134", "menu click 83,134"});
}

TEST_F(Actions, EachActionPostsItsClicksAtItsPoints) {
    auto menu = open("TXMenuWindow", 100);
    auto prompt = open("提示", 300);
    auto editor = open("修改房间名片", 500);
    applicationWindow().setText("马甲格式", "两字");
    struct Case {
        const char* name;
        void (*action)();
        Events expected;
    } cases[] = {
        {"toggleNoTyping", toggleNoTyping, {"menu down 83,134", "menu click 83,134"}},
        {"toggleNoPictures", toggleNoPictures, {"menu down 83,162", "menu click 83,162"}},
        {"banById", banById, {"menu down 74,191", "menu click 74,191", "prompt down 295,212", "prompt click 295,212"}},
        {"banByIp", banByIp, {"menu down 74,191", "menu click 74,191", "prompt down 200,149", "prompt click 200,149",
                              "prompt down 295,212", "prompt click 295,212"}},
        // 两字 arrives as its two characters, U+4E24 U+5B57, whatever the system's code page.
        {"setNameCard", setNameCard, {"menu down 48,212", "menu click 48,212", "editor down 134,99",
                                      "editor click 134,99", "editor char 4E24", "editor char 5B57",
                                      "editor down 198,177", "editor click 198,177"}},
    };
    for (const Case& c : cases) {
        Events expected{"room left", "room right"};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        expectRun(c.action, expected, c.name);
    }
}

// When the client's window is missing, the action stops: no keys into whatever has
// the focus, no clicks posted to the desktop.
TEST_F(Actions, AMissingClientWindowStopsTheAction) {
    expectRun(toggleGuest, Events{"room left", "room right"});
    EXPECT_EQ(applicationWindow().text("标签2"), "0");
    expectRun(toggleMember, Events{"room left", "room right"});
    EXPECT_EQ(applicationWindow().text("标签2"), "0");

    auto menu = open("TXMenuWindow", 100);
    expectRun(banByIp, Events{"room left", "room right", "menu down 74,191", "menu click 74,191"});
    expectRun(setNameCard, Events{"room left", "room right", "menu down 48,212", "menu click 48,212"});
}

}  // namespace
}  // namespace vostrel
