#include "test_support.h"

#include "core/gbk_text.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <sstream>

namespace vostrel::test {

void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

void dropQuit() {
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

double clockMs() {
    static const double perMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / perMs;
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs, void (*pump)()) {
    DWORD start = GetTickCount();
    for (;;) {
        pump();
        if (condition()) return true;
        if (static_cast<int>(GetTickCount() - start) >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::string programFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/"));
}

std::string siblingPath(const std::string& fileName) { return programFolder() + "\\" + fileName; }

TempFolder::TempFolder() {
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    for (;;) {
        path_ = std::string(base) + "vostrel-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter) + "-" + std::to_string(GetTickCount());
        if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    }
}

static void removeTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

TempFolder::~TempFolder() { removeTree(path_); }

ChildProcess::~ChildProcess() { terminate(); }

bool ChildProcess::start(const std::string& application, const std::string& arguments,
                         const std::string& workingFolder) {
    terminate();
    std::string commandLine = "\"" + application + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{sizeof startup};
    // The path goes in as the application name: an unquoted path with spaces
    // could otherwise start another program.
    return CreateProcessA(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info_) != FALSE;
}

bool ChildProcess::running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

long ChildProcess::waitForExit(int timeoutMs) {
    if (!info_.hProcess) return -1;
    bool ended = waitUntil([&] { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; }, timeoutMs);
    if (!ended) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}

void ChildProcess::terminate() {
    if (info_.hProcess) {
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        CloseHandle(info_.hProcess);
    }
    if (info_.hThread) CloseHandle(info_.hThread);
    info_ = {};
}

std::string windowText(HWND window) {
    char buffer[1024] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

std::string className(HWND window) {
    char buffer[256] = {};
    GetClassNameA(window, buffer, sizeof buffer);
    return buffer;
}

std::string messageBoxText(HWND box) {
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (className(child) == "Static") text += windowText(child);
    }
    return text;
}

namespace {
struct Search {
    DWORD processId;
    std::string title;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) &&
        (search->title.empty() || windowText(window) == search->title)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK describeOne(HWND window, LPARAM parameter) {
    if (!IsWindowVisible(window)) return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    auto* out = reinterpret_cast<std::ostringstream*>(parameter);
    *out << window << " " << className(window) << " '" << gbkToUtf8(windowText(window)) << "' pid " << owner
         << "\n";
    return TRUE;
}

struct IdSearch {
    int id;
    HWND found;
};

BOOL CALLBACK matchId(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<IdSearch*>(parameter);
    if (GetDlgCtrlID(window) == search->id) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND findProcessWindow(DWORD processId, const std::string& title) {
    Search search{processId, title, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForProcessWindow(DWORD processId, const std::string& title, int timeoutMs) {
    HWND found = nullptr;
    waitUntil([&] { return (found = findProcessWindow(processId, title)) != nullptr; }, timeoutMs);
    return found;
}

HWND findDescendantById(HWND root, int id) {
    IdSearch search{id, nullptr};
    EnumChildWindows(root, matchId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string describeWindows() {
    std::ostringstream out;
    EnumWindows(describeOne, reinterpret_cast<LPARAM>(&out));
    return out.str();
}

RECT rectInParent(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void press(BYTE key, BYTE modifier) {
    if (modifier) keybd_event(modifier, 0, 0, 0);
    keybd_event(key, 0, 0, 0);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    if (modifier) keybd_event(modifier, 0, KEYEVENTF_KEYUP, 0);
}

std::string clipboardText() {
    if (!OpenClipboard(nullptr)) return "<closed>";
    std::string text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool putOnClipboard(const std::string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    bool put = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    return put;
}

std::string rowsText(const std::vector<TextRow>& rows) {
    std::string out;
    for (const TextRow& row : rows) {
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "[" + std::string.
        out += '[';
        out += std::to_string(row.image) + "," + std::to_string(row.data);
        for (const std::string& cell : row.cells) {
            size_t shown = 0;
            while (shown < cell.size()) {
                size_t next = shown + (isGbkLeadByte(static_cast<unsigned char>(cell[shown])) ? 2 : 1);
                if (next > 60) break;
                shown = next;
            }
            out += ",'";
            out += gbkToUtf8(cell.substr(0, shown)) + "'(" + std::to_string(cell.size()) + ")";
        }
        out += "]\n";
    }
    return out;
}

std::string readFileBytes(const std::string& path) {
    std::string bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

bool writeFileBytes(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

bool saveScreenshot(HWND window, const std::string& path) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return false;
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB};
    int stride = ((width * 3 + 3) / 4) * 4;
    std::string pixels(static_cast<size_t>(stride) * height, '\0');
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes += pixels;
    return writeFileBytes(path, bytes);
}

bool saveArtifact(HWND window, const std::string& fileName) {
    CreateDirectoryA(siblingPath("artifacts").c_str(), nullptr);
    return saveScreenshot(window, siblingPath("artifacts\\" + fileName));
}

namespace {

constexpr char kOriginalProcedure[] = "VostrelOriginalListProcedure";

LRESULT CALLBACK ansiLikeWindows(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    auto original = reinterpret_cast<WNDPROC>(GetPropA(list, kOriginalProcedure));
    auto* ansi = reinterpret_cast<LVITEMA*>(lParam);
    const bool textRead = (message == LVM_GETITEMA && ansi && (ansi->mask & LVIF_TEXT)) ||
                          (message == LVM_GETITEMTEXTA && ansi);
    if (!textRead || ansi->cchTextMax <= 0) return CallWindowProcW(original, list, message, wParam, lParam);
    std::wstring wide(static_cast<size_t>(ansi->cchTextMax), L'\0');
    LVITEMW item{};
    std::memcpy(&item, ansi, sizeof item);  // the same layout but for the text's type
    item.pszText = wide.data();
    LRESULT result = CallWindowProcW(original, list, message == LVM_GETITEMA ? LVM_GETITEMW : LVM_GETITEMTEXTW,
                                     wParam, reinterpret_cast<LPARAM>(&item));
    int converted = WideCharToMultiByte(936, 0, wide.c_str(), -1, ansi->pszText, ansi->cchTextMax, nullptr, nullptr);
    if (converted == 0) ansi->pszText[0] = '\0';
    ansi->iImage = item.iImage;
    ansi->lParam = item.lParam;
    ansi->state = item.state;
    ansi->iIndent = item.iIndent;
    if (message == LVM_GETITEMTEXTA) return converted > 0 ? converted - 1 : 0;
    return result;
}

}  // namespace

void answerAnsiReadsLikeWindows(HWND list) {
    LONG_PTR original = GetWindowLongPtrW(list, GWLP_WNDPROC);
    SetPropA(list, kOriginalProcedure, reinterpret_cast<HANDLE>(original));
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ansiLikeWindows));
}

std::string gbkToUtf8(const std::string& gbk) {
    if (gbk.empty()) return {};
    int wide = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), w.data(), wide);
    int narrow = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(narrow), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), narrow, nullptr, nullptr);
    return out;
}

}  // namespace vostrel::test
