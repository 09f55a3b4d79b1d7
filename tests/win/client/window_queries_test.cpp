#include "client/window_queries.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace vostrel {
namespace {

class TestWindow {
public:
    TestWindow(const char* className, const std::string& title, bool visible, RECT at = {100, 120, 400, 320}) {
        WNDCLASSA cls{};
        cls.lpfnWndProc = DefWindowProcA;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = className;
        RegisterClassA(&cls);
        window_ = CreateWindowExA(0, className, title.c_str(), WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
                                  at.left, at.top, at.right - at.left, at.bottom - at.top, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    }
    ~TestWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }

private:
    HWND window_;
};

TEST(WindowQueries, ProcessWithOnlyHiddenWindowsHasNoFirstWindow) {
    TestWindow hidden("QueriesHidden", "hidden", false);
    ASSERT_TRUE(hidden.get());
    EXPECT_EQ(firstWindowOfProcess(GetCurrentProcessId()), nullptr);

    ShowWindow(hidden.get(), SW_SHOWNOACTIVATE);
    EXPECT_EQ(firstWindowOfProcess(GetCurrentProcessId()), hidden.get());
}

TEST(WindowQueries, TitlesAreCutAt255BytesAndClassNamesAt49) {
    std::string longTitle(300, 't');
    const char longClass[] = "ClassNameOfSixtyCharacters_abcdefghijklmnopqrstuvwxyz_012345";
    ASSERT_EQ(sizeof longClass - 1, 60u);
    TestWindow window(longClass, longTitle, true);
    ASSERT_TRUE(window.get());

    EXPECT_EQ(windowTitle(window.get()), std::string(255, 't'));
    EXPECT_EQ(windowClassName(window.get()), std::string(longClass, 49));

    std::vector<WindowInfo> all;
    enumerateVisibleWindows(all);
    auto it = std::find_if(all.begin(), all.end(), [&](const WindowInfo& w) { return w.window == window.get(); });
    ASSERT_NE(it, all.end());
    EXPECT_EQ(it->title.size(), 255u);
    EXPECT_EQ(it->className.size(), 49u);
    EXPECT_EQ(it->processId, GetCurrentProcessId());
    EXPECT_EQ(it->threadId, GetCurrentThreadId());
}

TEST(WindowQueries, TwoEnumerationsInARowAgreeAndDoNotAccumulate) {
    TestWindow window("QueriesTwice", "twice", true);
    std::vector<WindowInfo> first, second;
    int firstCount = enumerateVisibleWindows(first);
    int secondCount = enumerateVisibleWindows(second);
    ASSERT_EQ(firstCount, static_cast<int>(first.size()));
    ASSERT_EQ(firstCount, secondCount);
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].window, second[i].window);
        EXPECT_EQ(first[i].title, second[i].title);
        EXPECT_EQ(first[i].className, second[i].className);
    }
    // The caller's earlier content is replaced, not appended to.
    EXPECT_EQ(enumerateVisibleWindows(first), secondCount);
    EXPECT_EQ(first.size(), second.size());
}

TEST(WindowQueries, ResizeKeepsWhatIsLeftOut) {
    TestWindow window("QueriesResize", "resize", true, RECT{100, 120, 400, 320});
    RECT before{};
    GetWindowRect(window.get(), &before);

    EXPECT_TRUE(resizeWindow(window.get()));
    RECT same{};
    GetWindowRect(window.get(), &same);
    EXPECT_TRUE(EqualRect(&before, &same));

    // Height before width: the client's capture size, position kept.
    EXPECT_TRUE(resizeWindow(window.get(), std::nullopt, std::nullopt, 582, 802));
    RECT sized{};
    GetWindowRect(window.get(), &sized);
    EXPECT_EQ(sized.left, before.left);
    EXPECT_EQ(sized.top, before.top);
    EXPECT_EQ(sized.right - sized.left, 802);
    EXPECT_EQ(sized.bottom - sized.top, 582);

    // Top before left.
    EXPECT_TRUE(resizeWindow(window.get(), 30, 40));
    RECT moved{};
    GetWindowRect(window.get(), &moved);
    EXPECT_EQ(moved.top, 30);
    EXPECT_EQ(moved.left, 40);
    EXPECT_EQ(moved.right - moved.left, 802);
}

TEST(WindowQueries, ResizeOfADestroyedWindowFails) {
    HWND gone;
    {
        TestWindow window("QueriesGone", "gone", true);
        gone = window.get();
    }
    EXPECT_FALSE(resizeWindow(gone, 1, 2, 3, 4));
}

}  // namespace
}  // namespace vostrel
