#include "library/text_library.h"

#include "core/text_record.h"
#include "library/text_list.h"
#include "remote/remote_list_view.h"
#include "win/input_box.h"
#include "win/unique_handle.h"

#include <commctrl.h>

#include <vector>

namespace vostrel {
namespace {

std::string programFolder() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

std::wstring wide(const std::string& text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) return {};
    std::wstring result(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, result.data(), length);
    result.resize(static_cast<size_t>(length) - 1);
    return result;
}

bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

std::string libraryPath(const std::string& name) { return programFolder() + "/" + name; }

namespace {

// The library at path into the list. A file that cannot be read leaves the list as
// it is and says so, except the default library when it is simply not there.
void loadLibraryFrom(const std::string& path, bool absenceIsQuiet) {
    std::optional<std::string> bytes = readWholeFile(path);
    if (!bytes) {
        // A library that is there but cannot be read must not pass for an empty
        // one: the next save would overwrite it.
        if (!absenceIsQuiet || GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            showMessage(library::kLoadFailed + path + library::kLoadFailedListKept, library::kLoadTitle);
        }
        return;
    }
    readListFromBytes(textList(), *bytes);
}

}  // namespace

void loadDefaultTextLibrary() { loadLibraryFrom(libraryPath(library::kDefaultFileName), true); }

void loadTextLibrary() {
    std::optional<std::string> name = inputBox(library::kLoadPrompt, library::kLoadTitle);
    if (name) loadLibraryFrom(libraryPath(*name), false);
}

void saveTextLibrary() {
    std::optional<std::string> name = inputBox(library::kSavePrompt, library::kSaveTitle);
    if (!name) return;
    std::string path = libraryPath(*name);
    if (!writeListToFile(textList(), path)) {
        showMessage(library::kSaveFailed + path + library::kSaveFailedFileKept, library::kSaveTitle);
    }
}

bool writeListToFile(HWND list, const std::string& path) {
    RemoteListView view;
    if (!view.attach(list)) return false;
    int columns = view.getColumnCount();
    int rows = view.getItemCount();
    // The records are made as the cells are read, with no copy of the rows between.
    std::string bytes;
    std::string cell;
    for (int r = 0; r < rows; ++r) {
        // Whole texts: the accessor's getItemText stops at 249 bytes and can split
        // a double-byte character there. The image and the item data come with the
        // title, in one exchange.
        int image = -1, data = 0;
        view.getFullItemText(r, 0, cell, &image, &data);
        appendTextRecord(bytes, true, image, data, cell);
        for (int c = 1; c < columns; ++c) {
            view.getFullItemText(r, c, cell);
            appendTextRecord(bytes, false, -1, 0, cell);
        }
    }
    return replaceFileContents(path, bytes);
}

void readListFromBytes(HWND list, std::string_view bytes) {
    // An image index counts only when the list has an image list that holds it.
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    int imageCount = images ? ImageList_GetImageCount(images) : 0;

    // Redraw off: a large library would otherwise repaint the list on every row.
    // The texts go to the list straight from the bytes, where each is followed by
    // its NUL, without a copy of the rows in between.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    int rowCounter = 0;
    int row = -1;  // the last row started; none before the first row start
    int column = 0;
    TextRecordView record;
    for (size_t at = 0; (at = nextTextRecord(bytes, at, record)) != std::string_view::npos;) {
        if (record.startsRow) {
            LVITEMA item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_INDENT;
            item.iItem = rowCounter++;
            item.pszText = const_cast<char*>(record.text.data());
            item.iImage = record.image >= 0 && record.image < imageCount ? record.image : -1;
            item.lParam = record.data;
            row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
            column = 0;
        } else if (row >= 0) {
            LVITEMA cell{};
            cell.iSubItem = ++column;
            cell.pszText = const_cast<char*>(record.text.data());
            SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
        }
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

std::optional<std::string> readWholeFile(const std::string& path) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    // A file of 1 to 2 GB cannot be held by a 32-bit process: it is no library.
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > library::kMaxFileBytes) return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr)) {
            return std::nullopt;
        }
        if (got == 0) break;  // shorter than it was a moment ago
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

bool replaceFileContents(const std::string& path, std::string_view bytes) {
    // Named after the library, so that what a save killed part-way left behind is
    // known and goes at the next save of it (CREATE_ALWAYS replaces it).
    const std::string temporary = path + library::kSavingSuffix;
    auto removeTemporary = scopeExit([&] { DeleteFileA(temporary.c_str()); });
    {
        UniqueFile file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (!file || !writeAll(file.get(), bytes) || !FlushFileBuffers(file.get())) return false;
    }
    if (!MoveFileExW(wide(temporary).c_str(), wide(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return false;
    }
    removeTemporary.dismiss();
    return true;
}

}  // namespace vostrel
