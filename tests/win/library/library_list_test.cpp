// The library between the real list view 超级列表框1 and files: reading bytes
// into the list, writing the list out whole, and replacing a file safely.
#include "app/main_window.h"
#include "core/gbk_text.h"
#include "core/text_record.h"
#include "library/text_library.h"
#include "library/text_list.h"

#include "win/gbk_wide.h"

#include "test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace vostrel {
namespace {

using test::TempFolder;
using test::rowsText;
using test::readFileBytes;
using test::writeFileBytes;

// The list's rows as the codec sees them: two cells, image and data.
std::vector<TextRow> listRows(HWND list) {
    std::vector<TextRow> rows;
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < count; ++r) {
        LVITEMA item{};
        item.mask = LVIF_IMAGE | LVIF_PARAM;
        item.iItem = r;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        rows.push_back({{cellText(list, r, 0), cellText(list, r, 1)}, item.iImage, static_cast<std::int32_t>(item.lParam)});
    }
    return rows;
}

// A body longer than the 249 bytes an item read holds, with 中 (D6 D0) across
// bytes 249 and 250, and a line break.
std::string longBody(size_t length) {
    std::string body;
    while (body.size() < length) body += "\xB3\xA1\xBF\xD8 line\r\n";  // 场控 line
    body.resize(length);
    body[248] = '\xD6';
    body[249] = '\xD0';
    if (isGbkLeadByte(static_cast<unsigned char>(body.back()))) body.back() = '.';
    return body;
}

class TextList : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(applicationWindow().create()); }
    static void TearDownTestSuite() { DestroyWindow(applicationWindow().handle()); }
    void SetUp() override {
        list = textList();
        ASSERT_TRUE(list);
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    }

    HWND list = nullptr;
    TempFolder folder;
};

TEST_F(TextList, ReadsRecordsIntoRowsReplacingWhatWasThere) {
    appendRow(list);
    setCellText(list, 0, 0, "old");
    std::vector<TextRow> rows = {
        {{"abc", "xy"}},
        {{"\xB3\xA1\xBF\xD8", "first\r\nsecond"}, -1, 42},
        {{"", ""}},
        {{"image out of range", "b"}, 3, -5},  // the list has no image list: no image
    };
    readListFromBytes(list, encodeTextRows(rows));
    rows[3].image = -1;
    EXPECT_EQ(rowsText(listRows(list)), rowsText(rows));

    readListFromBytes(list, "");
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(TextList, ReadsWhatItCanOfACutFile) {
    std::string bytes = encodeTextRows({{{"one", "1"}}, {{"two", "2"}}});
    readListFromBytes(list, bytes.substr(0, bytes.size() - 1));
    EXPECT_EQ(rowsText(listRows(list)), rowsText({{{"one", "1"}}, {{"two", ""}}}));
}

TEST_F(TextList, CellTextIsWholeAtEveryLengthAroundTheBufferSteps) {
    appendRow(list);
    for (size_t length : {0u, 1u, 248u, 249u, 250u, 253u, 254u, 255u, 256u, 257u, 511u, 512u, 513u, 10240u}) {
        for (size_t wideAt : {length, length >= 2 ? length - 2 : 0, length >= 3 ? length - 3 : 0}) {
            std::string text(length, 'a');
            if (wideAt + 1 < length) {
                text[wideAt] = '\xD6';
                text[wideAt + 1] = '\xD0';
            }
            setCellText(list, 0, 1, text);
            EXPECT_EQ(cellText(list, 0, 1), text) << "length " << length << ", 中 at " << wideAt;
        }
    }
}

TEST_F(TextList, SaveKeepsBodiesLongerThan249BytesWhole) {
    std::vector<TextRow> rows = {
        {{"long", longBody(10 * 1024)}},
        {{longBody(300), "title longer than 249"}},
        {{"short", "s"}, -1, 7},
    };
    readListFromBytes(list, encodeTextRows(rows));
    std::string path = folder.path() + "/morvath.txt";
    ASSERT_TRUE(writeListToFile(list, toWide(path)).saved);
    EXPECT_EQ(readFileBytes(path), encodeTextRows(rows));
}

// Windows' list view answers an ANSI read whose double-byte text does not fit with
// an empty text: the cells the modifier and the send read, and the save, must
// still come whole.
TEST_F(TextList, CellReadsAndTheSaveKeepDoubleByteTextsWholeWhereAnsiReadsComeBackEmpty) {
    std::string body;
    for (int i = 0; i < 300; ++i) body += "中";  // 600 bytes, 300 characters
    std::vector<TextRow> rows = {
        {{"标题" + std::string(120, '.'), body}},
        {{body.substr(0, 254), "短"}, -1, 3},  // 127 characters in 254 bytes
    };
    readListFromBytes(list, encodeTextRows(rows));
    test::answerAnsiReadsLikeWindows(list);
    EXPECT_EQ(cellText(list, 0, 1), body);
    EXPECT_EQ(cellText(list, 1, 0), body.substr(0, 254));
    std::string path = folder.path() + "/morvath.txt";
    ASSERT_TRUE(writeListToFile(list, toWide(path)).saved);
    EXPECT_EQ(readFileBytes(path), encodeTextRows(rows));
}

// The list holds Unicode; the file is GBK. A library written on a Chinese Windows
// may hold bytes that are no GBK character (a lone lead byte, an undefined code,
// the euro sign 80): a load and a save must give every byte back as it was.
TEST_F(TextList, ALoadAndASaveGiveBackEveryByteEvenOnesThatAreNoCharacter) {
    std::vector<TextRow> rows = {
        {{"\xB3\xA1\xBF\xD8\x80", "lone lead \x81 at the end \xFE"}, -1, 5},
        {{"\xFF\xA1\x40\xD6\xD0", "\x81\x7F\x81\x30 undefined \xA2\xA0 \xD7\xFA"}},
    };
    const std::string bytes = encodeTextRows(rows);
    readListFromBytes(list, bytes);
    EXPECT_EQ(cellText(list, 0, 0), "\xB3\xA1\xBF\xD8\x80");
    std::string path = folder.path() + "/morvath.txt";
    ASSERT_TRUE(writeListToFile(list, toWide(path)).saved);
    EXPECT_EQ(readFileBytes(path), bytes);
}

// A text GBK cannot hold is never saved with '?' in its place: the file stays as
// it was, and the row is named.
TEST_F(TextList, ASaveOfATextGbkCannotHoldKeepsTheFileAndNamesTheRow) {
    readListFromBytes(list, encodeTextRows({{{"a", "b"}}, {{"c", "d"}}}));
    LVITEMW cell{};
    cell.iSubItem = 1;
    wchar_t emoji[] = L"\u573A \U0001F600";
    cell.pszText = emoji;
    SendMessageW(list, LVM_SETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&cell));
    std::string path = folder.path() + "/morvath.txt";
    writeFileBytes(path, "old");
    SaveResult result = writeListToFile(list, toWide(path));
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.rowOutsideGbk, 1);
    EXPECT_EQ(readFileBytes(path), "old");
}

TEST_F(TextList, SavedFileReloadsToTheSameRowsInTheSameOrder) {
    for (int i = 0; i < 20; ++i) {
        int row = appendRow(list);
        setCellText(list, row, 0, "title " + std::to_string(i));
        setCellText(list, row, 1, "body\r\n" + std::to_string(i));
    }
    std::vector<TextRow> before = listRows(list);
    std::string path = folder.path() + "/copy.txt";
    ASSERT_TRUE(writeListToFile(list, toWide(path)).saved);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    std::optional<std::string> bytes = readWholeFile(toWide(path));
    ASSERT_TRUE(bytes);
    readListFromBytes(list, *bytes);
    EXPECT_EQ(rowsText(listRows(list)), rowsText(before));
}

TEST_F(TextList, EmptyListSavesAnEmptyFileOverAnOldOne) {
    std::string path = folder.path() + "/morvath.txt";
    ASSERT_TRUE(writeFileBytes(path, "old contents"));
    ASSERT_TRUE(writeListToFile(list, toWide(path)).saved);
    std::optional<std::string> bytes = readWholeFile(toWide(path));
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, "");
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

TEST_F(TextList, FailedSaveLeavesTheOldFileAndNoTemporaryFile) {
    appendRow(list);
    setCellText(list, 0, 0, "new");
    std::string path = folder.path() + "/morvath.txt";
    ASSERT_TRUE(writeFileBytes(path, "old library"));

    // A target that cannot be replaced: another program has it open without
    // sharing delete, so the rename fails after the new contents were written.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(writeListToFile(list, toWide(path)).saved);
    CloseHandle(held);
    EXPECT_EQ(readFileBytes(path), "old library");

    // A name that is the folder itself (an empty entry).
    EXPECT_FALSE(writeListToFile(list, toWide(folder.path() + "/")).saved);
    EXPECT_EQ(filesIn(folder.path()), std::vector<std::string>{"morvath.txt"});

    // A folder that does not exist.
    EXPECT_FALSE(writeListToFile(list, toWide(folder.path() + "/missing/morvath.txt")).saved);
}

// A save killed part-way leaves its temporary file, named after the library: the
// next save of that library takes it away.
TEST_F(TextList, SaveRemovesTheTemporaryFileAKilledSaveLeft) {
    appendRow(list);
    setCellText(list, 0, 0, "new");
    std::string path = folder.path() + "/morvath.txt";
    ASSERT_TRUE(writeFileBytes(path + ".saving", "half a libr"));
    ASSERT_TRUE(writeListToFile(list, toWide(path)).saved);
    EXPECT_EQ(filesIn(folder.path()), std::vector<std::string>{"morvath.txt"});
}

TEST_F(TextList, ReadWholeFileTellsEmptyFromUnreadable) {
    std::string path = folder.file("empty.txt");
    ASSERT_TRUE(writeFileBytes(path, ""));
    EXPECT_EQ(readWholeFile(toWide(path)), std::optional<std::string>(""));
    EXPECT_EQ(readWholeFile(toWide(folder.file("missing.txt"))), std::nullopt);
    EXPECT_EQ(readWholeFile(toWide(folder.path())), std::nullopt);
}

TEST_F(TextList, AFileAbove64MBIsNotReadAtAll) {
    // A 32-bit process cannot hold a file of 1 to 2 GB: the load must refuse it,
    // not try. The file is sparse, made in an instant.
    std::string path = folder.file("huge.txt");
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER size{};
        size.QuadPart = library::kMaxFileBytes + 1;
        EXPECT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file));
        CloseHandle(file);
    }
    EXPECT_FALSE(readWholeFile(toWide(path)).has_value());
}

}  // namespace
}  // namespace vostrel
