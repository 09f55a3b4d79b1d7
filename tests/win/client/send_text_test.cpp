// Sending a text against a window of another thread, which records every message
// posted to it: the order of click, select-all, paste and Enter, the clipboard,
// and a clipboard that another program holds.
#include "actions/client_constants.h"
#include "client/send_text.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace vostrel {
namespace {

struct Posted {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A window on a thread of its own. By default it keeps the messages of the kinds
// a send posts and handles none of them. As a chat input it is a real EDIT that
// handles everything, and Enter takes its line out, as a chat input sends it.
class RecordingWindow {
public:
    explicit RecordingWindow(bool chatInput = false) : chatInput_(chatInput) {
        thread_ = std::thread([this] { run(); });
        test::waitUntil([this] { return window_.load() != nullptr; });
    }
    ~RecordingWindow() {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    HWND handle() const { return window_; }
    DWORD threadId() const { return threadId_; }

    // The messages of the kinds a send posts, in arrival order.
    std::vector<Posted> sent() {
        std::lock_guard<std::mutex> lock(mutex_);
        return posted_;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        posted_.clear();
    }
    // As a chat input: the lines Enter took out, in order.
    std::vector<std::string> lines() {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }

private:
    void run() {
        threadId_ = GetCurrentThreadId();
        HWND window = CreateWindowExA(0, "EDIT", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 40, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        window_ = window;
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (chatInput_) {
                if (message.hwnd == window && message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
                    std::lock_guard<std::mutex> lock(mutex_);
                    lines_.push_back(test::windowText(window));
                    SetWindowTextA(window, "");
                    continue;
                }
                DispatchMessageA(&message);
                continue;
            }
            switch (message.message) {
            case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case EM_SETSEL: case WM_PASTE:
            case WM_KEYDOWN: case WM_KEYUP: case WM_CHAR: case WM_SYSKEYDOWN: case WM_SYSKEYUP: {
                std::lock_guard<std::mutex> lock(mutex_);
                if (message.hwnd == window) posted_.push_back({message.message, message.wParam, message.lParam});
                continue;  // recorded, not handled: the edit must not change the clipboard
            }
            }
            DispatchMessageA(&message);
        }
        DestroyWindow(window);
    }

    const bool chatInput_;
    std::atomic<HWND> window_{nullptr};
    std::atomic<DWORD> threadId_{0};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<Posted> posted_;
    std::vector<std::string> lines_;
};

// The three formats a send puts on the clipboard, as a reader of each gets them.
struct ClipboardContents {
    std::wstring unicode;
    std::string text;
    unsigned long locale = 0;
};

ClipboardContents clipboardContents() {
    ClipboardContents held;
    if (!OpenClipboard(nullptr)) return held;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        held.unicode = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        held.text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    if (HANDLE data = GetClipboardData(CF_LOCALE)) {
        held.locale = *static_cast<const DWORD*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return held;
}

std::string describe(const std::vector<Posted>& messages) {
    std::string out;
    for (const Posted& m : messages) {
        char line[80];
        wsprintfA(line, "%04x w=%x l=%x\n", m.message, static_cast<unsigned>(m.wParam), static_cast<unsigned>(m.lParam));
        out += line;
    }
    return out;
}

TEST(SendText, ClickSelectAllPasteThenOneEnterInThatOrder) {
    RecordingWindow client;
    const std::string text = "\xB3\xA1\xBF\xD8 first line\r\nsecond line";  // 场控 ...
    ASSERT_TRUE(sendTextToClient(client.handle(), text));
    LPARAM chatInput = MAKELPARAM(client::kChatInputX, client::kChatInputY);
    std::vector<Posted> expected = {
        {WM_MOUSEMOVE, 2, chatInput}, {WM_LBUTTONDOWN, MK_LBUTTON, chatInput}, {WM_LBUTTONUP, 0, chatInput},
        {EM_SETSEL, 0, -1}, {WM_PASTE, 0, 0},
        {WM_KEYDOWN, 13, 0}, {WM_KEYUP, 13, 0},
    };
    ASSERT_TRUE(test::waitUntil([&] { return client.sent().size() >= expected.size(); }, 3000))
        << describe(client.sent());
    test::waitUntil([] { return false; }, 100);  // nothing more arrives
    EXPECT_EQ(describe(client.sent()), describe(expected));
    EXPECT_EQ(readClipboardText(), std::optional<std::string>(text));
}

// Another program that watches the clipboard, as clipboard history, input methods
// and translators do: on every change it opens the clipboard and copies the text,
// holding it for a few milliseconds.
class ClipboardWatcher {
public:
    ClipboardWatcher() {
        thread_ = std::thread([this] { run(); });
        test::waitUntil([this] { return threadId_.load() != 0; });
    }
    ~ClipboardWatcher() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    int wakes() const { return wakes_; }

private:
    void run() {
        HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        AddClipboardFormatListener(window);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before the start is told
        threadId_ = GetCurrentThreadId();
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.message == WM_CLIPBOARDUPDATE) {
                ++wakes_;
                // As watchers do: a few tries while someone else has it open.
                for (int attempt = 0; attempt < 5; ++attempt) {
                    if (OpenClipboard(window)) {
                        GetClipboardData(CF_UNICODETEXT);
                        Sleep(8);
                        CloseClipboard();
                        break;
                    }
                    Sleep(2);
                }
                continue;
            }
            DispatchMessageW(&message);
        }
        RemoveClipboardFormatListener(window);
        DestroyWindow(window);
    }

    std::thread thread_;
    std::atomic<DWORD> threadId_{0};
    std::atomic<int> wakes_{0};
};

// A standard EDIT opens the clipboard once when it handles a paste and gives up
// while someone else holds it: nothing may touch the clipboard between the posted
// paste and the moment the other thread handles it, and the paste waits until
// the programs that watch the clipboard have had their turn.
TEST(SendText, AChatInputOnAnotherThreadGetsEveryPasteBesideAClipboardWatcher) {
    RecordingWindow input(true);
    ClipboardWatcher watcher;
    const size_t kTexts = 100;
    size_t lost = 0;
    std::string firstLost;
    for (size_t i = 0; i < kTexts; ++i) {
        std::string text = "\xB5\xDA" + std::to_string(i) + " line";  // 第 i line
        ASSERT_TRUE(sendTextToClient(input.handle(), text));
        ASSERT_TRUE(test::waitUntil([&] { return input.lines().size() == i + 1; }, 3000)) << "send " << i;
        if (input.lines().back() != text && lost++ == 0) firstLost = input.lines().back();
    }
    EXPECT_EQ(lost, 0u) << "pastes lost of " << kTexts << "; the first sent '" << test::gbkToUtf8(firstLost) << "'";
    // Woken by every change, the last one in its own time.
    EXPECT_TRUE(test::waitUntil([&] { return watcher.wakes() >= static_cast<int>(kTexts); }))
        << "the watcher was woken " << watcher.wakes() << " times for " << kTexts << " changes";
}

// The user's next double-click waits in the queue while a text is on its way: a
// send that took it would start a second send inside the first.
TEST(SendText, ASendTakesNothingFromTheToolsQueue) {
    RecordingWindow client;
    constexpr UINT kNextClick = WM_APP + 7;
    PostThreadMessageW(GetCurrentThreadId(), kNextClick, 0, 0);
    ASSERT_TRUE(sendTextToClient(client.handle(), "text"));
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, kNextClick, kNextClick, PM_REMOVE));
}

TEST(SendText, EmptyTextStillPastesAndPressesEnter) {
    RecordingWindow client;
    ASSERT_TRUE(writeClipboardText("something else"));
    ASSERT_TRUE(sendTextToClient(client.handle(), ""));
    ASSERT_TRUE(test::waitUntil([&] { return client.sent().size() >= 7; }, 3000)) << describe(client.sent());
    EXPECT_EQ(client.sent()[4].message, static_cast<UINT>(WM_PASTE));
    EXPECT_EQ(readClipboardText(), std::optional<std::string>(""));
}

TEST(SendText, PasteFocusesTheWindowOfTheOtherThread) {
    RecordingWindow client;
    // The focus away from it first, so that only the paste can give it back.
    AttachThreadInput(GetCurrentThreadId(), client.threadId(), TRUE);
    SetFocus(nullptr);
    AttachThreadInput(GetCurrentThreadId(), client.threadId(), FALSE);
    GUITHREADINFO info{sizeof info};
    ASSERT_TRUE(GetGUIThreadInfo(client.threadId(), &info));
    ASSERT_NE(info.hwndFocus, client.handle());
    ASSERT_TRUE(pasteTextIntoWindow(client.handle(), "x"));
    ASSERT_TRUE(GetGUIThreadInfo(client.threadId(), &info));
    EXPECT_EQ(info.hwndFocus, client.handle());
}

TEST(SendText, HeldClipboardSendsNothingAndLeavesItsText) {
    RecordingWindow client;
    ASSERT_TRUE(writeClipboardText("what the user copied"));

    // Another program's window opens the clipboard and keeps it for longer than
    // the retries last.
    std::atomic<bool> opened{false}, release{false};
    std::thread holder([&] {
        HWND owner = CreateWindowExA(0, "STATIC", "holder", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
        opened = OpenClipboard(owner) != FALSE;
        while (!release) Sleep(5);
        if (opened) CloseClipboard();
        DestroyWindow(owner);
    });
    ASSERT_TRUE(test::waitUntil([&] { return opened.load(); }, 2000));
    bool sent = sendTextToClient(client.handle(), "the moderator's text");
    release = true;
    holder.join();

    EXPECT_FALSE(sent);
    test::waitUntil([] { return false; }, 200);
    EXPECT_EQ(describe(client.sent()), "");
    EXPECT_EQ(readClipboardText(), std::optional<std::string>("what the user copied"));
}

TEST(SendText, ClipboardKeepsGbkAndLineBreaksByteForByte) {
    for (std::string text : {std::string(""), std::string("a"), std::string("\xD6\xD0\r\n\xCE\xC4"),
                             std::string(20000, 'z')}) {
        ASSERT_TRUE(writeClipboardText(text));
        EXPECT_EQ(readClipboardText(), std::optional<std::string>(text));
    }
}

// Whatever the client reads, the same characters: our own Unicode text, and GBK
// marked Chinese (PRC) so that no code page of the system or of the keyboard
// layout active at the time converts it for a Unicode reader.
TEST(SendText, TheClipboardCarriesUnicodeAndGbkMarkedChinese) {
    ASSERT_TRUE(writeClipboardText("场控\r\n文本"));
    ClipboardContents held = clipboardContents();
    EXPECT_EQ(held.unicode, L"\u573A\u63A7\r\n\u6587\u672C");
    EXPECT_EQ(held.text, "场控\r\n文本");
    EXPECT_EQ(held.locale, 0x0804u);
}

TEST(SendText, KeyModesPostTheirMessages) {
    RecordingWindow window;
    struct Case { int mode; bool system; std::vector<UINT> messages; } cases[] = {
        {0, false, {WM_KEYDOWN, WM_KEYUP}},
        {1, false, {WM_CHAR}},
        {2, false, {WM_KEYDOWN, WM_KEYUP}},
        {3, false, {WM_KEYDOWN}},
        {4, false, {WM_KEYUP}},
        {0, true, {WM_SYSKEYDOWN, WM_SYSKEYUP}},
        {4, true, {WM_SYSKEYUP}},
    };
    for (const Case& c : cases) {
        window.clear();
        postKeyToWindow(window.handle(), 'A', c.mode, c.system);
        postKeyToWindow(window.handle(), 'Z', 1);  // a marker: everything before it has arrived
        ASSERT_TRUE(test::waitUntil([&] {
            std::vector<Posted> got = window.sent();
            return !got.empty() && got.back().wParam == 'Z';
        }, 2000));
        std::vector<Posted> got = window.sent();
        got.pop_back();
        std::vector<UINT> messages;
        for (const Posted& p : got) {
            messages.push_back(p.message);
            EXPECT_EQ(p.wParam, static_cast<WPARAM>('A'));
            EXPECT_EQ(p.lParam, 0);
        }
        EXPECT_EQ(messages, c.messages) << "mode " << c.mode << " system " << c.system;
    }
}

}  // namespace
}  // namespace vostrel
