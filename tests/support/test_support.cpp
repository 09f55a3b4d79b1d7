#include "test_support.h"

#include "core/gbk_text.h"
#include "win/gbk_wide.h"

#include <commctrl.h>

#include <cstring>
#include <cwchar>
#include <iterator>
#include <sstream>

namespace vostrel::test {

namespace {

std::string utf8(std::wstring_view text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring wideWindowText(HWND window) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(window, buffer, static_cast<int>(std::size(buffer)));
    return buffer;
}

std::wstring wideClassName(HWND window) {
    wchar_t buffer[256] = {};
    GetClassNameW(window, buffer, static_cast<int>(std::size(buffer)));
    return buffer;
}

}  // namespace

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

void dropQuit() {
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
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
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::string folder = toGbk(path);
    return folder.substr(0, folder.find_last_of("\\/"));
}

std::string siblingPath(const std::string& fileName) { return programFolder() + "\\" + fileName; }

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    static int counter = 0;
    for (;;) {
        path_ = toGbk(base) + "vostrel-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter) + "-" + std::to_string(GetTickCount());
        if (CreateDirectoryW(toWide(path_).c_str(), nullptr)) break;
    }
}

// Wide all the way: a file the program made may have a name that GBK cannot hold.
static void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(full);
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

TempFolder::~TempFolder() { removeTree(toWide(path_)); }

ChildProcess::~ChildProcess() { terminate(); }

bool ChildProcess::start(const std::string& application, const std::string& arguments,
                         const std::string& workingFolder) {
    terminate();
    std::wstring commandLine = toWide("\"" + application + "\"" + (arguments.empty() ? "" : " " + arguments));
    std::wstring folder = toWide(workingFolder);
    STARTUPINFOW startup{sizeof startup};
    // The path goes in as the application name: an unquoted path with spaces
    // could otherwise start another program.
    return CreateProcessW(toWide(application).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info_) != FALSE;
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

std::string windowText(HWND window) { return toGbk(wideWindowText(window)); }

void movePointer(int x, int y) {
    SetCursorPos(x, y);
    // GetCursorPos asks the X server, after the move it holds.
    waitUntil([&] {
        POINT at{};
        return GetCursorPos(&at) && at.x == x && at.y == y;
    }, 2000);
}

std::string controlText(HWND control) {
    int length = static_cast<int>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = static_cast<int>(SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return toGbk(text);
}

void setWindowText(HWND window, const std::string& text) {
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(toWide(text).c_str()));
}

std::string className(HWND window) { return toGbk(wideClassName(window)); }

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
    std::wstring title;  // compared as Unicode: a garbled title never matches
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) &&
        (search->title.empty() || wideWindowText(window) == search->title)) {
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
    *out << window << " " << utf8(wideClassName(window)) << " '" << utf8(wideWindowText(window)) << "' pid " << owner
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
    Search search{processId, toWide(title), nullptr};
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
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* units = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = units;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return toGbk(text);
}

bool putOnClipboard(const std::string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    std::wstring wide = toWide(text);
    size_t size = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    std::memcpy(GlobalLock(block), wide.c_str(), size);
    GlobalUnlock(block);
    bool put = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    CloseClipboard();
    return put;
}

namespace {

// A block in the list's process that records and texts are exchanged through.
class ListExchange {
public:
    explicit ListExchange(HWND list) : list_(list) {
        DWORD processId = 0;
        GetWindowThreadProcessId(list, &processId);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    }
    ~ListExchange() {
        if (block_) VirtualFreeEx(process_, block_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    ListExchange(const ListExchange&) = delete;
    ListExchange& operator=(const ListExchange&) = delete;

    // Sends the item record (its text, when asked for, into a buffer of capacity
    // characters beside it) and reads back the record and the text.
    LRESULT send(UINT message, WPARAM row, LVITEMW& item, std::wstring* text, size_t capacity) {
        size_t size = sizeof item + (text ? capacity * sizeof(wchar_t) : 0);
        if (!reserve(size)) return -1;
        auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(block_) + sizeof item);
        if (text) {
            item.pszText = remoteText;
            item.cchTextMax = static_cast<int>(capacity);
            WriteProcessMemory(process_, remoteText, L"", sizeof(wchar_t), nullptr);
        }
        WriteProcessMemory(process_, block_, &item, sizeof item, nullptr);
        LRESULT result = SendMessageW(list_, message, row, reinterpret_cast<LPARAM>(block_));
        ReadProcessMemory(process_, block_, &item, sizeof item, nullptr);
        if (text) {
            text->assign(capacity, L'\0');
            ReadProcessMemory(process_, remoteText, text->data(), capacity * sizeof(wchar_t), nullptr);
            text->resize(std::wcslen(text->c_str()));
        }
        return result;
    }

private:
    bool reserve(size_t size) {
        if (!process_) return false;
        if (size <= size_) return true;
        if (block_) VirtualFreeEx(process_, block_, 0, MEM_RELEASE);
        block_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
        size_ = block_ ? size : 0;
        return block_ != nullptr;
    }

    HWND list_;
    HANDLE process_ = nullptr;
    void* block_ = nullptr;
    size_t size_ = 0;
};

std::string gbkOrEscaped(std::wstring_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < text.size();) {
        bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                    text[i + 1] <= 0xDFFF;
        std::wstring_view character = text.substr(i, pair ? 2 : 1);
        std::string bytes;
        if (toGbkExactly(character, bytes)) {
            out += bytes;
        } else {
            char32_t code = pair ? 0x10000 + ((character[0] - 0xD800) << 10) + (character[1] - 0xDC00) : character[0];
            std::string digits;
            do {
                digits.insert(digits.begin(), kHex[code & 15]);
                code >>= 4;
            } while (code);
            out += "\\u{" + digits + "}";
        }
        i += character.size();
    }
    return out;
}

// One cell's whole text: the buffer grows until the text fits with room to spare.
std::wstring cellText(ListExchange& exchange, int row, int column) {
    std::wstring text;
    for (size_t capacity = 1024; capacity <= (1u << 22); capacity *= 4) {
        LVITEMW item{};
        item.iSubItem = column;
        exchange.send(LVM_GETITEMTEXTW, static_cast<WPARAM>(row), item, &text, capacity);
        if (text.size() + 1 < capacity) break;
    }
    return text;
}

}  // namespace

std::vector<TextRow> shownRows(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    ListExchange exchange(list);
    std::vector<TextRow> rows;
    for (int row = 0; row < count; ++row) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE | LVIF_PARAM;
        item.iItem = row;
        exchange.send(LVM_GETITEMW, 0, item, nullptr, 0);
        TextRow shown;
        shown.image = item.iImage;
        shown.data = static_cast<std::int32_t>(item.lParam);
        for (int column = 0; column < (columns > 0 ? columns : 1); ++column) {
            shown.cells.push_back(gbkOrEscaped(cellText(exchange, row, column)));
        }
        rows.push_back(shown);
    }
    return rows;
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
    HANDLE file = CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool writeFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(toWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    return CloseHandle(file) && ok;
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
    CreateDirectoryW(toWide(siblingPath("artifacts")).c_str(), nullptr);
    return saveScreenshot(window, siblingPath("artifacts\\" + fileName));
}

namespace {

constexpr wchar_t kOriginalProcedure[] = L"VostrelOriginalListProcedure";

LRESULT CALLBACK ansiLikeWindows(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    auto original = reinterpret_cast<WNDPROC>(GetPropW(list, kOriginalProcedure));
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
    SetPropW(list, kOriginalProcedure, reinterpret_cast<HANDLE>(original));
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ansiLikeWindows));
}

std::string gbkToUtf8(const std::string& gbk) { return utf8(toWide(gbk)); }

}  // namespace vostrel::test
