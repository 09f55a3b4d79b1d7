// A second process that owns a list view and waits to be read and changed from
// outside. "--rows N" fills N generated rows of two columns instead of the known
// items. It ends when its window is closed or the process is ended. A Unicode
// window, so that its title carries a cell's text unchanged on any code page.
#include "known_list.h"

#include "win/gbk_wide.h"

#include <cstdlib>
#include <cstring>

namespace {

int g_rows = 0;
HWND g_list = nullptr;

LRESULT CALLBACK helperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        g_list = vostrel::test::createKnownList(window);
        if (g_rows > 0) vostrel::test::fillKnownList(g_list, g_rows);
        return 0;
    case vostrel::test::kRefillMessage:
        vostrel::test::fillKnownList(g_list, static_cast<int>(wParam));
        return 1;
    case vostrel::test::kShowCellMessage:
        return SetWindowTextW(window,
                              vostrel::test::cellText(g_list, static_cast<int>(wParam), static_cast<int>(lParam)).c_str());
    case vostrel::test::kPutOutsideGbkMessage:
        return vostrel::test::setCellText(g_list, static_cast<int>(wParam), static_cast<int>(lParam),
                                          vostrel::test::kOutsideGbkText);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    if (const char* rows = std::strstr(commandLine, "--rows ")) g_rows = std::atoi(rows + 7);
    WNDCLASSW cls{};
    cls.lpfnWndProc = helperProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    cls.lpszClassName = L"VostrelListHelper";
    RegisterClassW(&cls);
    CreateWindowExW(0, cls.lpszClassName, vostrel::toWide(vostrel::test::kHelperTitle).c_str(),
                    WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 600, 400, nullptr, nullptr, instance, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
