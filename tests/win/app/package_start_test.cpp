// The release as a moderator gets it: the zip unpacked (by the release_package
// test, into release-unpacked beside this program), vostrel.exe double-clicked
// there. It must start and show the sample library in its list.
#include "app/layouts.h"
#include "core/text_record.h"

#include "test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace vostrel {
namespace {

using namespace vostrel::test;


std::string unpackedFolder() { return siblingPath("release-unpacked\\" VOSTREL_RELEASE_NAME); }

// One cell of a list view in another process: the LVITEMA and its text buffer
// must live in that process for LVM_GETITEMTEXTA.
std::string remoteItemText(HWND list, int row, int column) {
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process) return "<no access>";
    constexpr SIZE_T kTextSize = 1024;
    char* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + kTextSize, MEM_COMMIT, PAGE_READWRITE));
    std::string text = "<no memory>";
    if (remote) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = remote + sizeof(LVITEMA);
        item.cchTextMax = kTextSize;
        WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
        LRESULT length = SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
        std::string buffer(kTextSize, '\0');
        ReadProcessMemory(process, remote + sizeof(LVITEMA), buffer.data(), kTextSize, nullptr);
        text = buffer.substr(0, static_cast<size_t>(length));
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return text;
}

TEST(UnpackedRelease, StartsAndLoadsTheSampleLibraryBesideIt) {
    std::string folder = unpackedFolder();
    std::string exe = folder + "\\vostrel.exe";
    ASSERT_NE(GetFileAttributesA(exe.c_str()), INVALID_FILE_ATTRIBUTES)
        << exe << " is missing: the release_package test unpacks it";
    std::vector<TextRow> sample = decodeTextRows(readFileBytes(folder + "\\morvath.txt"));
    ASSERT_GE(sample.size(), 3u) << "the sample library in the zip has too few rows";

    // Started from another working folder, as a shortcut may do: the library is
    // found beside the exe, not in the current folder.
    TempFolder elsewhere;
    ChildProcess program;
    ASSERT_TRUE(program.start(exe, "", elsewhere.path()));
    HWND main = waitForProcessWindow(program.id(), kMainCaption);
    ASSERT_TRUE(main) << "no main window; visible windows:\n" << describeWindows();

    HWND list = findDescendantById(main, controlIdOf(kMainWindowLayout, "超级列表框1"));
    ASSERT_TRUE(list);
    auto rows = [&] { return static_cast<size_t>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); };
    ASSERT_TRUE(waitUntil([&] { return rows() == sample.size(); }))
        << rows() << " rows in the list, " << sample.size() << " in morvath.txt";
    for (size_t row = 0; row < sample.size(); ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        ASSERT_EQ(sample[row].cells.size(), 2u);
        EXPECT_EQ(remoteItemText(list, static_cast<int>(row), 0), sample[row].cells[0])
            << gbkToUtf8(remoteItemText(list, static_cast<int>(row), 0));
        EXPECT_EQ(remoteItemText(list, static_cast<int>(row), 1), sample[row].cells[1])
            << gbkToUtf8(remoteItemText(list, static_cast<int>(row), 1));
    }

    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    waitUntil([] { return false; }, 300);  // let the other process paint
    EXPECT_TRUE(saveArtifact(main, "release-main.bmp"));

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.waitForExit(), 0);
}

// The practice client in its own folder, double-clicked: no log file named, no
// DLLs beside it. It shows its room window.
TEST(UnpackedRelease, PracticeClientStartsFromItsFolder) {
    std::string exe = unpackedFolder() + "\\standin-client\\standin-client.exe";
    ASSERT_NE(GetFileAttributesA(exe.c_str()), INVALID_FILE_ATTRIBUTES) << exe << " is missing";
    ChildProcess client;
    ASSERT_TRUE(client.start(exe, "", unpackedFolder() + "\\standin-client"));
    HWND room = waitForProcessWindow(client.id());
    ASSERT_TRUE(room) << "no window; visible windows:\n" << describeWindows();
    EXPECT_EQ(className(room), "TXGuiFoundation");
    EXPECT_TRUE(client.running());
}

}  // namespace
}  // namespace vostrel
