// The text library on disk: the rows of 超级列表框1 as byte records (see
// core/text_record.h) in a file of the program's folder, "morvath.txt" by default.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace vostrel {

namespace library {
constexpr char kDefaultFileName[] = "morvath.txt";
// The temporary file of a save: the library's name with this after it.
constexpr char kSavingSuffix[] = ".saving";
constexpr char kLoadPrompt[] = "填写您需要读取的完整文件名如:morvath.txt [读取的文件必须是与本软件在同一目录]";
constexpr char kLoadTitle[] = "QT语音-Vostrel读取";
constexpr char kSavePrompt[] = "填写您需要保存的完整文件名如:morvath.txt [保存的文件将默认保存在与本软件同一目录]";
constexpr char kSaveTitle[] = "QT语音-Vostrel保存";
// Followed by the path, then the second line.
constexpr char kLoadFailed[] = "读取失败:无法读取文件 ";
constexpr char kLoadFailedListKept[] = "\r\n列表没有改动";
constexpr char kSaveFailed[] = "保存失败:无法写入文件 ";
constexpr char kSaveFailedFileKept[] = "\r\n原来的文件没有改动";
// Followed by the row's number (1-based), then the rest.
constexpr char kSaveOutsideGbkRow[] = "保存失败:第 ";
constexpr char kSaveOutsideGbkRest[] = " 行有GBK编码无法保存的字符,请修改这一行后再保存";
// A library of 100,000 texts is about 30 MB; a larger file is no library.
constexpr long long kMaxFileBytes = 64ll * 1024 * 1024;
}  // namespace library

// The default library, loaded at start-up. A missing file is a first run: an
// empty list and no message.
void loadDefaultTextLibrary();
// Menu item "读取场控文本库". Cancel changes nothing; a file that cannot be read
// leaves the list as it is and says so.
void loadTextLibrary();
// Menu item "保存场控文本库". Cancel does nothing; a failed save says so.
void saveTextLibrary();

// Program folder + "/" + name: the user's entry is always a name in that folder.
// Paths are wide: a folder or a name may hold any character, whatever the
// system's code page.
std::wstring libraryPath(const std::wstring& name);

// What a save did. A row whose text GBK cannot hold is never written with '?'
// in its place: the file stays as it was and the row is named.
struct SaveResult {
    bool saved = false;
    int rowOutsideGbk = -1;  // 0-based row of the first such text, or -1
};

// Replaces the file with the list's rows through a temporary file in the same
// folder, so that a failure part-way leaves the old file whole.
SaveResult writeListToFile(HWND list, const std::wstring& path);

// Replaces every row of the list by the rows the bytes describe.
void readListFromBytes(HWND list, std::string_view bytes);

// The whole file; nothing when it cannot be opened or read, or is larger than
// library::kMaxFileBytes (an empty file is an empty text).
std::optional<std::string> readWholeFile(const std::wstring& path);

// Writes the bytes to a temporary file beside the target (its name + ".saving"),
// flushes it and renames it over the target. On failure the target is as it was and the temporary file
// is gone.
bool replaceFileContents(const std::wstring& path, std::string_view bytes);

}  // namespace vostrel
