// Stands in for the downloaded new version: records that it ran, how it was
// started and in which folder, in "<its own path>.ran", and ends; with "--stay"
// it runs on until it is ended, a program whose file is in use. With a file
// "<its own path>.exitcode" beside it, it ends at once with that code, as a new
// version that fails at its start does.
#include <windows.h>

#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    std::string record = std::string("command line: ") + GetCommandLineA() + "\r\nfolder: " + folder + "\r\n";
    std::string marker = std::string(self) + ".ran";
    HANDLE file = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD wrote = 0;
    WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &wrote, nullptr);
    CloseHandle(file);
    if (std::string(GetCommandLineA()).find(" --stay") != std::string::npos) Sleep(INFINITE);
    std::string exitCodeFile = std::string(self) + ".exitcode";
    HANDLE code = CreateFileA(exitCodeFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (code == INVALID_HANDLE_VALUE) return 0;
    char digits[16] = {};
    ReadFile(code, digits, sizeof digits - 1, &wrote, nullptr);
    CloseHandle(code);
    return static_cast<int>(std::strtoul(digits, nullptr, 0));
}
