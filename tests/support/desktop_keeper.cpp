// Holds the desktop for a whole test run under Wine. Wine starts its desktop
// process (explorer /desktop) for the first program that uses the desktop, giving
// it that program's standard output, and ends it a second after the last such
// program has ended. A test program that happened to start it kept ctest waiting
// on its output until every program beside it had ended: 5 s of tests counted as
// 16 s, 12 s as 110 s. scripts/test starts this program first, with no output;
// it uses the desktop, says so in the file named on its command line and stays
// until the Wine server ends.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR readyFile, int) {
    GetDesktopWindow();
    HANDLE ready = CreateFileW(readyFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
    Sleep(INFINITE);
    return 0;
}
