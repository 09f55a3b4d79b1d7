#include "library/text_library.h"

#include "core/text_record.h"
#include "library/text_list.h"
#include "remote/remote_list_view.h"
#include "win/gbk_wide.h"
#include "win/input_box.h"
#include "win/program_path.h"
#include "win/unique_handle.h"

#include <commctrl.h>

#include <vector>

namespace vostrel {
namespace {

std::wstring programFolder() {
    std::wstring path = ownProgramPath();
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
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

std::wstring libraryPath(const std::wstring& name) { return programFolder() + L"/" + name; }

namespace {

// The library at path into the list. A file that cannot be read leaves the list as
// it is and says so, except the default library when it is simply not there.
void loadLibraryFrom(const std::wstring& path, bool absenceIsQuiet) {
    std::optional<std::string> bytes = readWholeFile(path);
    if (!bytes) {
        // A library that is there but cannot be read must not pass for an empty
        // one: the next save would overwrite it.
        if (!absenceIsQuiet || GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            showMessage(library::kLoadFailed + toGbk(path) + library::kLoadFailedListKept, library::kLoadTitle);
        }
        return;
    }
    readListFromBytes(textList(), *bytes);
}

}  // namespace

void loadDefaultTextLibrary() { loadLibraryFrom(libraryPath(toWide(library::kDefaultFileName)), true); }

void loadTextLibrary() {
    std::optional<std::wstring> name = inputBox(library::kLoadPrompt, library::kLoadTitle);
    if (name) loadLibraryFrom(libraryPath(*name), false);
}

void saveTextLibrary() {
    std::optional<std::wstring> name = inputBox(library::kSavePrompt, library::kSaveTitle);
    if (!name) return;
    std::wstring path = libraryPath(*name);
    SaveResult result = writeListToFile(textList(), path);
    if (result.rowOutsideGbk >= 0) {
        showMessage(library::kSaveOutsideGbkRow + std::to_string(result.rowOutsideGbk + 1) +
                        library::kSaveOutsideGbkRest + library::kSaveFailedFileKept,
                    library::kSaveTitle);
    } else if (!result.saved) {
        showMessage(library::kSaveFailed + toGbk(path) + library::kSaveFailedFileKept, library::kSaveTitle);
    }
}

SaveResult writeListToFile(HWND list, const std::wstring& path) {
    SaveResult result;
    RemoteListView view;
    if (!view.attach(list)) return result;
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
        bool exact = view.getFullItemText(r, 0, cell, &image, &data);
        appendTextRecord(bytes, true, image, data, cell);
        for (int c = 1; c < columns; ++c) {
            exact = view.getFullItemText(r, c, cell) && exact;
            appendTextRecord(bytes, false, -1, 0, cell);
        }
        if (!exact) {
            result.rowOutsideGbk = r;
            return result;
        }
    }
    result.saved = replaceFileContents(path, bytes);
    return result;
}

void readListFromBytes(HWND list, std::string_view bytes) {
    // An image index counts only when the list has an image list that holds it.
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    int imageCount = images ? ImageList_GetImageCount(images) : 0;

    // Redraw off: a large library would otherwise repaint the list on every row.
    // Each text goes to the list as it is read, with no copy of the rows between.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    std::wstring text;
    int rowCounter = 0;
    int row = -1;  // the last row started; none before the first row start
    int column = 0;
    TextRecordView record;
    for (size_t at = 0; (at = nextTextRecord(bytes, at, record)) != std::string_view::npos;) {
        if (record.startsRow) {
            text = toWide(record.text);
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_INDENT;
            item.iItem = rowCounter++;
            item.pszText = text.data();
            item.iImage = record.image >= 0 && record.image < imageCount ? record.image : -1;
            item.lParam = record.data;
            row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
            column = 0;
        } else if (row >= 0) {
            text = toWide(record.text);
            LVITEMW cell{};
            cell.iSubItem = ++column;
            cell.pszText = text.data();
            SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

std::optional<std::string> readWholeFile(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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

bool replaceFileContents(const std::wstring& path, std::string_view bytes) {
    // Named after the library, so that what a save killed part-way left behind is
    // known and goes at the next save of it (CREATE_ALWAYS replaces it).
    const std::wstring temporary = path + toWide(library::kSavingSuffix);
    auto removeTemporary = scopeExit([&] { DeleteFileW(temporary.c_str()); });
    {
        UniqueFile file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (!file || !writeAll(file.get(), bytes) || !FlushFileBuffers(file.get())) return false;
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return false;
    }
    removeTemporary.dismiss();
    return true;
}

}  // namespace vostrel
