// A second process that owns a list view and waits to be read and changed from
// outside. "--rows N" fills N generated rows of two columns instead of the known
// items. It ends when its window is closed or the process is ended.
#include "known_list.h"

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
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    if (const char* rows = std::strstr(commandLine, "--rows ")) g_rows = std::atoi(rows + 7);
    WNDCLASSA cls{};
    cls.lpfnWndProc = helperProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    cls.lpszClassName = "VostrelListHelper";
    RegisterClassA(&cls);
    CreateWindowExA(0, cls.lpszClassName, vostrel::test::kHelperTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                    600, 400, nullptr, nullptr, instance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
