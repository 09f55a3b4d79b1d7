// How long the tool's waits and actions really take. Prints:
//  - MessagePumpDelay(200): median and worst of 50 waits, and the CPU time the
//    thread used while waiting, beside a bare WaitForSingleObject on a 200 ms
//    waitable timer measured in the same run;
//  - each action's overhead: from the dispatch of its hotkey message to its last
//    posted message, minus the waits it prescribes, against the same waits done
//    by bare MessagePumpDelay calls.
// The client is played by windows of this process, found by class and title.
#include "actions/input.h"
#include "actions/moderation.h"
#include "app/main_window.h"
#include "client/hotkey_registry.h"

#include "test_support.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vostrel;

namespace {

double threadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME f) {
        return static_cast<double>((static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

struct Stats {
    double median, worst;
};

Stats statsOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.back()};
}

void bareWait(int ms) {
    HANDLE timer = CreateWaitableTimerA(nullptr, FALSE, nullptr);
    LARGE_INTEGER due;
    due.QuadPart = -10000LL * ms;
    SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
    WaitForSingleObject(timer, INFINITE);
    CloseHandle(timer);
}

LRESULT CALLBACK quietProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND fakeWindow(const char* className, const char* title, int x, int y) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = quietProcedure;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = className;
    RegisterClassA(&cls);
    return CreateWindowExA(WS_EX_TOOLWINDOW, className, title, WS_POPUP | WS_VISIBLE, x, y, 150, 150, nullptr, nullptr,
                           cls.hInstance, nullptr);
}

void benchDelay() {
    constexpr int kRuns = 50;
    std::vector<double> delay, bare;
    double cpuBefore = threadCpuMs(), wall = 0;
    for (int i = 0; i < kRuns; ++i) {
        double start = test::clockMs();
        MessagePumpDelay(200);
        double took = test::clockMs() - start;
        delay.push_back(took);
        wall += took;
    }
    double cpu = threadCpuMs() - cpuBefore;
    for (int i = 0; i < kRuns; ++i) {
        double start = test::clockMs();
        bareWait(200);
        bare.push_back(test::clockMs() - start);
    }
    // The thread clock's own check: a 100 ms busy loop must read as about 100 ms.
    double busyCpu = threadCpuMs(), busyStart = test::clockMs();
    while (test::clockMs() - busyStart < 100) {
    }
    busyCpu = threadCpuMs() - busyCpu;
    Stats d = statsOf(delay), b = statsOf(bare);
    std::printf("MessagePumpDelay(200) x %d: median %.2f ms, worst %.2f ms; CPU %.2f ms of %.0f ms wall (%.3f%%)\n",
                kRuns, d.median, d.worst, cpu, wall, 100.0 * cpu / wall);
    std::printf("(thread CPU clock check: a 100 ms busy loop reads as %.2f ms)\n", busyCpu);
    std::printf("bare 200 ms timer wait x %d: median %.2f ms, worst %.2f ms; ratio of medians %.4f\n", kRuns, b.median,
                b.worst, d.median / b.median);
}

struct ActionCase {
    const char* name;
    const char* identifierText;
    UINT key;
    HotkeyAction action;
    std::vector<int> waits;  // the waits the action prescribes, ms
};

void benchActions() {
    HWND room = fakeWindow("BenchRoom", "room", 700, 700);
    HWND menu = fakeWindow("TXGuiFoundation", "TXMenuWindow", 100, 100);
    fakeWindow("TXGuiFoundation", "提示", 300, 100);
    fakeWindow("TXGuiFoundation", "修改房间名片", 500, 100);
    SetCursorPos(760, 760);
    SetForegroundWindow(menu);
    SetFocus(menu);
    (void)room;
    applicationWindow().setText("马甲格式", "【管理】");

    const ActionCase cases[] = {
        {"toggleGuest (F1)", "嘉宾", VK_F1, toggleGuest, {200}},
        {"toggleMember (F3)", "会员", VK_F3, toggleMember, {200}},
        {"toggleNoTyping (F4)", "禁止打字", VK_F4, toggleNoTyping, {200}},
        {"toggleNoPictures (F5)", "禁止发图", VK_F5, toggleNoPictures, {200}},
        {"banById (F6)", "禁止ID", VK_F6, banById, {200, 300}},
        {"banByIp (F7)", "禁止ip", VK_F7, banByIp, {200, 300}},
        {"setNameCard (F8)", "协助", VK_F8, setNameCard, {200, 300, 300, 100, 100}},
    };
    constexpr int kRuns = 11;
    std::printf("\n%-22s %10s %10s %10s %12s %10s %8s\n", "action", "median ms", "overhead", "worst ovh", "bare waits",
                "over bare", "ratio");
    for (const ActionCase& c : cases) {
        if (!窗口_热键注册(applicationWindow().handle(), 0, c.key, c.action, c.identifierText)) {
            std::printf("%-22s key not registered, skipped\n", c.name);
            continue;
        }
        int id = hotkeyIdOf(c.identifierText);
        double prescribed = 0;
        for (int w : c.waits) prescribed += w;
        std::vector<double> total, overhead, bare, overBare;
        for (int i = 0; i < kRuns; ++i) {
            PostMessageA(applicationWindow().handle(), WM_HOTKEY, static_cast<WPARAM>(id), 0);
            MSG message;
            while (GetMessageA(&message, nullptr, 0, 0) > 0) {
                if (message.message == WM_HOTKEY) break;
                DispatchMessageA(&message);
            }
            double start = test::clockMs();
            DispatchMessageA(&message);  // runs the action to its last posted message
            double took = test::clockMs() - start;
            total.push_back(took);
            overhead.push_back(took - prescribed);

            double bareStart = test::clockMs();
            for (int w : c.waits) MessagePumpDelay(w);
            bare.push_back(test::clockMs() - bareStart);
            overBare.push_back(took - bare.back());
            MSG drop;
            while (PeekMessageA(&drop, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&drop);
        }
        Stats t = statsOf(total), o = statsOf(overhead), b = statsOf(bare), ob = statsOf(overBare);
        std::printf("%-22s %10.2f %10.2f %10.2f %12.2f %10.2f %8.4f\n", c.name, t.median, o.median, o.worst,
                    b.median, ob.median, t.median / b.median);
    }
    std::printf("(overhead = time minus the prescribed waits; bare waits = the same waits as plain MessagePumpDelay\n"
                " calls; over bare = median of action minus bare waits run by run; ratio = action median / bare waits median)\n");
}

}  // namespace

int main() {
    if (!applicationWindow().create()) {
        std::printf("no main window\n");
        return 1;
    }
    benchDelay();
    benchActions();
    return 0;
}
