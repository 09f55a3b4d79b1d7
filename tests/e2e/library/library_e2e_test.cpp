// The text library through the real program's menu and dialogs: adding, changing,
// deleting and clearing rows, saving and loading files, and what the user is told
// when a file cannot be read or written. The list's rows are read back by saving
// them and decoding the file.
#include "core/text_record.h"
#include "library/text_editing.h"
#include "library/text_library.h"
#include "library/text_windows.h"
#include "win/gbk_wide.h"
#include "win/input_box.h"

#include "e2e_fixture.h"

#include <gtest/gtest.h>

namespace vostrel {
namespace {

using namespace vostrel::test;

const char kEditorCaption[] = "Morvath--Vostrel文本编辑器";
const char kModifierCaption[] = "Morvath--Vostrel文本修改器";
const char kReminderTitle[] = "Morvath温馨提示";

std::vector<TextRow> twoColumnRows(std::initializer_list<std::pair<std::string, std::string>> texts) {
    std::vector<TextRow> rows;
    for (const auto& [title, body] : texts) rows.push_back({{title, body}});
    return rows;
}

bool fileExists(const std::string& path) { return GetFileAttributesW(toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

class LibraryProgram : public ProgramDriver {
protected:
    void TearDown() override {
        if (program.running() && main) {
            EXPECT_EQ(closeProgram(), 0);
        }
        ProgramDriver::TearDown();
    }

    HWND waitForShown(const std::string& title) {
        HWND window = waitForWindow(title);
        EXPECT_TRUE(window) << "no window '" << gbkToUtf8(title) << "'; visible windows:\n" << describeWindows();
        return window;
    }
    bool waitForClosed(HWND window) { return waitUntil([&] { return !IsWindow(window); }); }

    // Selects a row the way the keyboard does: Home, then Down row times.
    void selectRow(int row) {
        PostMessageA(list, WM_KEYDOWN, VK_HOME, 0);
        for (int i = 0; i < row; ++i) PostMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
        ASSERT_TRUE(waitUntil([&] { return selectedRow() == row; }, 3000)) << "selected " << selectedRow();
    }

    // Fills an input box and presses OK, or presses Cancel when name is empty.
    void answerInputBox(const char* title, const char* expectedPrompt, std::optional<std::string> name) {
        HWND box = waitForShown(title);
        ASSERT_TRUE(box);
        EXPECT_EQ(className(box), "#32770");
        EXPECT_EQ(windowText(GetDlgItem(box, kInputBoxPromptId)), expectedPrompt);
        EXPECT_EQ(controlText(GetDlgItem(box, kInputBoxEditId)), "");
        EXPECT_FALSE(IsWindowEnabled(main));
        if (!boxPictured_) {  // one picture of the box, kept beside the build
            boxPictured_ = true;
            waitUntil([] { return false; }, 200);  // let the other process paint
            saveArtifact(box, "input-box.bmp");
        }
        if (name) {
            setWindowText(GetDlgItem(box, kInputBoxEditId), *name);
            PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        } else {
            PostMessageA(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
        }
        ASSERT_TRUE(waitForClosed(box));
    }

    void save(const std::optional<std::string>& name) {
        chooseMenuItem(saveTextLibrary);
        answerInputBox(library::kSaveTitle, library::kSavePrompt, name);
    }
    void load(const std::optional<std::string>& name) {
        chooseMenuItem(loadTextLibrary);
        answerInputBox(library::kLoadTitle, library::kLoadPrompt, name);
    }
    // The list's rows, through a save to a file of their own.
    std::vector<TextRow> listRows() {
        std::string name = "rows" + std::to_string(++saves_) + ".txt";
        save(name);
        // Generous: the save flushes the file to disk, which a busy machine can take seconds over.
        bool saved = waitUntil([&] { return fileExists(folder.file(name)); }, 15000);
        EXPECT_TRUE(saved) << "no " << name << "; visible windows:\n" << describeWindows();
        waitUntil([&] { return IsWindowEnabled(main) != FALSE; }, 3000);
        return decodeTextRows(readFileBytes(folder.file(name)));
    }

    void addText(const std::string& title, const std::string& body) {
        int before = rowCount();
        chooseMenuItem(openTextEditor);
        HWND editor = waitForShown(kEditorCaption);
        ASSERT_TRUE(editor);
        setWindowText(control(editor, kTextEditorWindowLayout, "编辑框1"), title);
        setWindowText(control(editor, kTextEditorWindowLayout, "编辑框2"), body);
        PostMessageA(control(editor, kTextEditorWindowLayout, "按钮1"), BM_CLICK, 0, 0);
        // The reminder first, with the editor still open and the row not yet there.
        ASSERT_TRUE(waitForShown(kReminderTitle));
        EXPECT_EQ(rowCount(), before);
        EXPECT_TRUE(IsWindow(editor));
        EXPECT_EQ(dismissMessage(kReminderTitle), "友情提示:编辑好后记得保存哦");
        ASSERT_TRUE(waitForClosed(editor));
        EXPECT_EQ(rowCount(), before + 1);
    }

    int saves_ = 0;
    bool boxPictured_ = false;
};

// The library file is GBK: a character it cannot hold is refused at 完成 with the
// character named, rather than saved as '?' later; the editor stays open with
// what was typed, and once the character is changed the row goes in.
TEST_F(LibraryProgram, ATextGbkCannotHoldIsRefusedAtFinishWithTheCharacterNamed) {
    startProgram();
    int before = rowCount();
    chooseMenuItem(openTextEditor);
    HWND editor = waitForShown(kEditorCaption);
    ASSERT_TRUE(editor);
    HWND body = control(editor, kTextEditorWindowLayout, "编辑框2");
    HWND finish = control(editor, kTextEditorWindowLayout, "按钮1");
    SetWindowTextW(control(editor, kTextEditorWindowLayout, "编辑框1"), L"\u573A\u63A7");
    SetWindowTextW(body, L"\u6B22\u8FCE \U0001F600");  // 欢迎 and an emoji
    PostMessageA(finish, BM_CLICK, 0, 0);
    EXPECT_EQ(dismissMessage(library::kOutsideGbkTitle),
              std::string(library::kBodyOutsideGbk) + "U+1F600" + library::kOutsideGbkRest);
    EXPECT_TRUE(IsWindow(editor));
    EXPECT_EQ(rowCount(), before);

    SetWindowTextW(body, L"\u6B22\u8FCE");
    PostMessageA(finish, BM_CLICK, 0, 0);
    EXPECT_EQ(dismissMessage(kReminderTitle), "友情提示:编辑好后记得保存哦");
    ASSERT_TRUE(waitForClosed(editor));
    std::vector<TextRow> rows = listRows();
    ASSERT_EQ(rows.size(), static_cast<size_t>(before) + 1);
    EXPECT_EQ(rowsText({rows.back()}), rowsText(twoColumnRows({{"场控", "欢迎"}})));
}

TEST_F(LibraryProgram, AddChangeDeleteAndClearThroughTheDialogs) {
    startProgram();
    addText("first", "line one\r\nline two");
    addText("\xB5\xDA\xB6\xFE", "b");  // 第二
    selectRow(0);
    addText("", "");  // appended at the end, whatever row is selected
    EXPECT_EQ(rowsText(listRows()), rowsText(twoColumnRows({{"first", "line one\r\nline two"},
                                                             {"\xB5\xDA\xB6\xFE", "b"}, {"", ""}})));

    // Change the selected row: the modifier shows it, and only it changes.
    selectRow(0);
    chooseMenuItem(openTextModifier);
    HWND modifier = waitForShown(kModifierCaption);
    ASSERT_TRUE(modifier);
    HWND title = control(modifier, kTextModifierWindowLayout, "编辑框1");
    HWND body = control(modifier, kTextModifierWindowLayout, "编辑框2");
    // Filled once created, a moment after it shows.
    EXPECT_TRUE(waitUntil([&] { return controlText(title) == "first"; }, 3000)) << controlText(title);
    EXPECT_EQ(controlText(body), "line one\r\nline two");
    setWindowText(title, "changed");
    setWindowText(body, "new body");
    PostMessageA(control(modifier, kTextModifierWindowLayout, "按钮1"), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitForClosed(modifier)) << describeWindows();
    EXPECT_EQ(rowsText(listRows()), rowsText(twoColumnRows({{"changed", "new body"},
                                                             {"\xB5\xDA\xB6\xFE", "b"}, {"", ""}})));

    // Delete the selected row.
    selectRow(1);
    chooseMenuItem(deleteSelectedText);
    ASSERT_TRUE(waitUntil([&] { return rowCount() == 2; }));
    EXPECT_EQ(rowsText(listRows()), rowsText(twoColumnRows({{"changed", "new body"}, {"", ""}})));

    // Clear empties the list at once; the files keep what they hold.
    std::string saved = readFileBytes(folder.file("rows" + std::to_string(saves_) + ".txt"));
    chooseMenuItem(clearAllTexts);
    ASSERT_TRUE(waitUntil([&] { return rowCount() == 0; }));
    EXPECT_EQ(readFileBytes(folder.file("rows" + std::to_string(saves_) + ".txt")), saved);
}

TEST_F(LibraryProgram, WithoutSelectionChangeAndDeleteDoNothing) {
    ASSERT_TRUE(writeFileBytes(folder.file("morvath.txt"), encodeTextRows(twoColumnRows({{"a", "1"}}))));
    startProgram();
    ASSERT_EQ(rowCount(), 1);
    chooseMenuItem(openTextModifier);
    HWND modifier = waitForShown(kModifierCaption);
    ASSERT_TRUE(modifier);
    EXPECT_EQ(controlText(control(modifier, kTextModifierWindowLayout, "编辑框1")), "");
    PostMessageA(control(modifier, kTextModifierWindowLayout, "按钮1"), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitForClosed(modifier));
    // Delete with nothing selected deletes nothing.
    ASSERT_EQ(selectedRow(), -1);
    chooseMenuItem(deleteSelectedText);
    EXPECT_EQ(rowsText(listRows()), rowsText(twoColumnRows({{"a", "1"}})));
}

TEST_F(LibraryProgram, SaveClearLoadGivesTheSameRowsAndCancelChangesNothing) {
    std::string body(10 * 1024, 'x');
    body[248] = '\xD6';  // 中 across byte 249
    body[249] = '\xD0';
    std::vector<TextRow> rows = twoColumnRows({{"\xB3\xA1\xBF\xD8", "first\r\nsecond"}, {"long", body}, {"", ""}});
    rows[0].data = 17;
    std::string original = encodeTextRows(rows);
    ASSERT_TRUE(writeFileBytes(folder.file("morvath.txt"), original));
    ASSERT_TRUE(writeFileBytes(folder.file("empty.txt"), ""));
    startProgram();
    ASSERT_EQ(rowCount(), 3);  // the file the codec made, loaded at start-up
    // Shown as its Unicode, read as any other program reads the list.
    EXPECT_EQ(rowsText(shownRows(list)), rowsText(rows));

    save("copy.txt");
    ASSERT_TRUE(waitUntil([&] { return readFileBytes(folder.file("copy.txt")) == original; }, 15000))
        << rowsText(decodeTextRows(readFileBytes(folder.file("copy.txt"))));

    chooseMenuItem(clearAllTexts);
    ASSERT_TRUE(waitUntil([&] { return rowCount() == 0; }));
    load("copy.txt");
    ASSERT_TRUE(waitUntil([&] { return rowCount() == 3; }));
    EXPECT_EQ(rowsText(listRows()), rowsText(rows));

    // Cancel in either box: the list and the folder stay as they are.
    load(std::nullopt);
    save(std::nullopt);
    EXPECT_TRUE(IsWindowEnabled(main) || waitUntil([&] { return IsWindowEnabled(main) != FALSE; }));
    EXPECT_EQ(rowCount(), 3);

    // A file that cannot be read leaves the list and says so.
    load("missing.txt");
    std::string message = dismissMessage(library::kLoadTitle);
    EXPECT_EQ(message.rfind(library::kLoadFailed, 0), 0u) << gbkToUtf8(message);
    EXPECT_NE(message.find("/missing.txt" + std::string(library::kLoadFailedListKept)), std::string::npos)
        << gbkToUtf8(message);
    EXPECT_EQ(rowCount(), 3);

    // An existing empty file is an empty library.
    load("empty.txt");
    EXPECT_TRUE(waitUntil([&] { return rowCount() == 0; }));
}

TEST_F(LibraryProgram, FailedSaveSaysSoAndKeepsTheOldFile) {
    std::string old = encodeTextRows(twoColumnRows({{"kept", "old library"}}));
    ASSERT_TRUE(writeFileBytes(folder.file("morvath.txt"), old));
    startProgram();
    addText("new", "would replace it");

    // Another program holds the library open: the new file cannot take its place.
    HANDLE held = CreateFileW(toWide(folder.file("morvath.txt")).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    save("morvath.txt");
    std::string message = dismissMessage(library::kSaveTitle);
    CloseHandle(held);
    EXPECT_EQ(message.rfind(library::kSaveFailed, 0), 0u) << gbkToUtf8(message);
    EXPECT_NE(message.find(library::kSaveFailedFileKept), std::string::npos) << gbkToUtf8(message);
    EXPECT_EQ(readFileBytes(folder.file("morvath.txt")), old);

    // Nothing else was left in the folder: no temporary file of the save.
    EXPECT_FALSE(fileExists(folder.file("morvath.txt") + library::kSavingSuffix));

    // Once the file is free, the same save goes through.
    save("morvath.txt");
    EXPECT_TRUE(waitUntil([&] { return readFileBytes(folder.file("morvath.txt")) != old; }, 15000));
}

TEST_F(LibraryProgram, StartUpWithAnUnreadableLibrarySaysSo) {
    // A folder where the library should be: it is there but cannot be read.
    ASSERT_TRUE(CreateDirectoryW(toWide(folder.file("morvath.txt")).c_str(), nullptr));
    launch();
    std::string message = dismissMessage(library::kLoadTitle);
    EXPECT_EQ(message.rfind(library::kLoadFailed, 0), 0u) << gbkToUtf8(message);
    waitForMainWindow();
    EXPECT_EQ(rowCount(), 0);
}

}  // namespace
}  // namespace vostrel
