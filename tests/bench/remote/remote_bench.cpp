// Reads every cell of a 10,000-row, 2-column list through RemoteListView::getItemText
// and through a bare LVM_GETITEMA loop doing the same exchanges, in another process
// (the bare loop reuses one block allocated once; the first 2,000 rows) and in this
// one. Prints the times and the ratios; the best of several rounds counts, the two
// loops taking turns. A remote exchange costs a few hundred microseconds under a
// loaded Wine: short rounds, and many, give the best its chance.
#include "remote/remote_list_view.h"

#include "known_list.h"
#include "test_support.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace vostrel;

namespace {

constexpr int kRows = 10000;
constexpr int kRemoteRows = 2000;
constexpr int kColumns = 2;
constexpr int kLocalRounds = 20;
constexpr int kRemoteRounds = 6;

// Total bytes read, so that both loops can be checked to read the same texts.
size_t accessorLoop(RemoteListView& view, int rows) {
    size_t bytes = 0;
    for (int item = 0; item < rows; ++item) {
        for (int column = 0; column < kColumns; ++column) bytes += view.getItemText(item, column).size();
    }
    return bytes;
}

// The helper is of this program's bitness: the SDK's record is the one it reads.
size_t bareRemoteLoop(HWND list, HANDLE process) {
    constexpr size_t kRecord = (sizeof(LVITEMA) + 15) & ~size_t{15};
    char* block = static_cast<char*>(VirtualAllocEx(process, nullptr, kRecord + 260, MEM_COMMIT, PAGE_READWRITE));
    if (!block) return 0;
    size_t bytes = 0;
    LVITEMA record{};
    record.mask = LVIF_TEXT;
    record.cchTextMax = list_view::kTextCapacity;
    record.pszText = block + kRecord;
    char text[261] = {};
    for (int item = 0; item < kRemoteRows; ++item) {
        for (int column = 0; column < kColumns; ++column) {
            record.iItem = item;
            record.iSubItem = column;
            WriteProcessMemory(process, block, &record, sizeof record, nullptr);
            if (SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(block))) {
                ReadProcessMemory(process, block + kRecord, text, 260, nullptr);
                bytes += strnlen(text, 260);
            }
        }
    }
    VirtualFreeEx(process, block, 0, MEM_RELEASE);
    return bytes;
}

size_t bareLocalLoop(HWND list) {
    size_t bytes = 0;
    char text[261];
    LVITEMA record{};
    record.mask = LVIF_TEXT;
    record.cchTextMax = list_view::kTextCapacity;
    record.pszText = text;
    for (int item = 0; item < kRows; ++item) {
        for (int column = 0; column < kColumns; ++column) {
            record.iItem = item;
            record.iSubItem = column;
            if (SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&record))) bytes += strnlen(text, 260);
        }
    }
    return bytes;
}

// The best of a few rounds of each loop, the two taking turns so that both see
// the same load on the machine.
template <typename F, typename G>
void bestOfEach(int rounds, F bare, G accessor, double& bareMs, double& accessorMs, size_t& bareBytes,
                size_t& accessorBytes) {
    bareMs = accessorMs = 1e300;
    for (int round = 0; round < rounds; ++round) {
        double start = test::clockMs();
        bareBytes = bare();
        bareMs = std::min(bareMs, test::clockMs() - start);
        start = test::clockMs();
        accessorBytes = accessor();
        accessorMs = std::min(accessorMs, test::clockMs() - start);
    }
}

}  // namespace

int main() {
    // Another process owning the list.
    test::ChildProcess helper;
    if (!helper.start(test::siblingPath(test::kHelperProgram), "--rows " + std::to_string(kRows))) {
        std::printf("could not start %s\n", test::kHelperProgram);
        return 1;
    }
    HWND top = test::waitForProcessWindow(helper.id(), test::kHelperTitle);
    HWND remoteList = top ? test::findDescendantById(top, test::kKnownListId) : nullptr;
    if (!remoteList || SendMessageA(remoteList, LVM_GETITEMCOUNT, 0, 0) != kRows) {
        std::printf("the helper's list is not there\n%s", test::describeWindows().c_str());
        return 1;
    }

    // This process's own list.
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "VostrelBenchHost";
    RegisterClassA(&cls);
    HWND host = CreateWindowExA(0, cls.lpszClassName, "bench", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                                cls.hInstance, nullptr);
    HWND localList = test::createKnownList(host);
    test::fillKnownList(localList, kRows);

    RemoteListView remote, local;
    if (!remote.attach(remoteList, true) || !local.attach(localList)) {
        std::printf("attach failed\n");
        return 1;
    }

    size_t accessorRemoteBytes = 0, bareRemoteBytes = 0, accessorLocalBytes = 0, bareLocalBytes = 0;
    double bareRemote = 0, accessorRemote = 0, bareLocal = 0, accessorLocal = 0;
    bestOfEach(
        kRemoteRounds, [&] { return bareRemoteLoop(remoteList, remote.process()); },
        [&] { return accessorLoop(remote, kRemoteRows); }, bareRemote, accessorRemote, bareRemoteBytes,
        accessorRemoteBytes);
    bestOfEach(
        kLocalRounds, [&] { return bareLocalLoop(localList); }, [&] { return accessorLoop(local, kRows); }, bareLocal,
        accessorLocal, bareLocalBytes, accessorLocalBytes);

    std::printf("cells read per loop: remote %d, best of %d rounds; local %d, best of %d rounds\n",
                kRemoteRows * kColumns, kRemoteRounds, kRows * kColumns, kLocalRounds);
    std::printf("remote  bare LVM_GETITEMA, one reused block: %9.1f ms  (%zu bytes)\n", bareRemote, bareRemoteBytes);
    std::printf("remote  RemoteListView::getItemText:         %9.1f ms  (%zu bytes)  ratio %.2f (target <= 3)\n",
                accessorRemote, accessorRemoteBytes, accessorRemote / bareRemote);
    std::printf("local   bare LVM_GETITEMA:                   %9.1f ms  (%zu bytes)\n", bareLocal, bareLocalBytes);
    std::printf("local   RemoteListView::getItemText:         %9.1f ms  (%zu bytes)  ratio %.2f (target <= 1.2)\n",
                accessorLocal, accessorLocalBytes, accessorLocal / bareLocal);
    DestroyWindow(host);
    bool same = bareRemoteBytes > 0 && accessorRemoteBytes == bareRemoteBytes && accessorLocalBytes == bareLocalBytes;
    if (!same) std::printf("the loops read different texts\n");
    return same ? 0 : 1;
}
