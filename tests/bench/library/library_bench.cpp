// Load and save of a large text library on the real list 超级列表框1, against bare
// loops measured in the same run: LVM_INSERTITEMA + LVM_SETITEMTEXTA with redraw
// off for the load, LVM_GETITEMA plus one file write for the save.
//   library_bench [--lfh] [--after-clear] [rows...]    (default 10000 100000)
//
// Each load is timed in a fresh process of its own (this program started again
// with --child), the two kinds taking turns: under Wine a list-view insert costs
// whatever the process heap's history makes it, and after a full list has been
// emptied in the same process that cost grows with the rows freed (a 100,000-row
// load then took from 2 s to 60 s depending on what had been freed before), which
// would drown the comparison. --after-clear fills the list with the bare loop and
// empties it before the timed load, the same in both kinds, to show that case.
// --lfh switches the process heap to the low-fragmentation heap first, as
// Windows does by default and Wine 8 does not.
#include "app/main_window.h"
#include "core/text_record.h"
#include "library/text_library.h"
#include "library/text_list.h"

#include "win/gbk_wide.h"

#include "test_support.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace vostrel;

std::vector<TextRow> makeRows(int count) {
    std::vector<TextRow> rows(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::string body = "\xB3\xA1\xBF\xD8 " + std::to_string(i) + " ";  // 场控
        while (body.size() < 200) body += "abcdefghij";
        body.resize(200);
        rows[static_cast<size_t>(i)].cells = {"title " + std::to_string(i), body};
    }
    return rows;
}

void bareLoad(HWND list, std::vector<TextRow>& rows) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (size_t i = 0; i < rows.size(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = rows[i].cells[0].data();
        int index = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        LVITEMA cell{};
        cell.iSubItem = 1;
        cell.pszText = rows[i].cells[1].data();
        SendMessageA(list, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&cell));
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

bool plainWrite(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok != FALSE;
}

bool bareSave(HWND list, const std::string& path) {
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::string out;
    char text[260];
    for (int r = 0; r < count; ++r) {
        for (int c = 0; c < 2; ++c) {
            LVITEMA item{};
            item.mask = LVIF_TEXT | (c == 0 ? LVIF_IMAGE | LVIF_PARAM : 0);
            item.iItem = r;
            item.iSubItem = c;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            out.push_back(static_cast<char>(c));
            out.append(16, '\0');
            out.append(text);
            out.append(2, '\0');
        }
    }
    return plainWrite(path, out);
}

struct Options {
    bool lowFragmentation = false;
    bool afterClear = false;
};

void useLowFragmentationHeap() {
    ULONG kind = 2;
    HeapSetInformation(GetProcessHeap(), HeapCompatibilityInformation, &kind, sizeof kind);
}

// One measurement in this process; the result in tenths of a millisecond, or
// -2 for a load that lost rows, -3 for a save that differs from the loaded bytes.
int runChild(const std::string& what, int count, const Options& options, const std::string& path) {
    if (options.lowFragmentation) useLowFragmentationHeap();
    if (!applicationWindow().create()) return -1;
    HWND list = textList();
    std::vector<TextRow> rows = makeRows(count);
    std::string bytes = encodeTextRows(rows);
    bool saving = what == "save-bare" || what == "save";
    if (saving) {
        readListFromBytes(list, bytes);
    } else if (options.afterClear) {
        bareLoad(list, rows);
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    }
    double start = test::clockMs();
    if (what == "load-bare") bareLoad(list, rows);
    if (what == "load") readListFromBytes(list, bytes);
    if (what == "save-bare") bareSave(list, path);
    if (what == "save") writeListToFile(list, toWide(path));
    double took = test::clockMs() - start;
    if (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) != count) return -2;
    if (what == "save" && readWholeFile(toWide(path)) != std::optional<std::string>(bytes)) return -3;
    return static_cast<int>(took * 10);
}

// Runs this program as a child for one measurement; milliseconds, or -1.
double measureInChild(const std::string& what, int count, const Options& options, const std::string& path) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = "\"";  // built piece by piece: GCC 12 warns falsely (-Wrestrict) on "\"" + std::string
    command += self;
    command += "\" --child " + what + " " + std::to_string(count) + " \"" + path + "\"" +
               (options.lowFragmentation ? " --lfh" : "") + (options.afterClear ? " --after-clear" : "");
    STARTUPINFOA startup{sizeof startup};
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    int tenths = static_cast<int>(code);
    if (tenths < 0) std::printf("%s of %d rows failed: exit code %d (0x%lx)\n", what.c_str(), count, tenths, code);
    return tenths < 0 ? -1 : tenths / 10.0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::vector<int> sizes;
    std::vector<std::string> rest;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--lfh") {
            options.lowFragmentation = true;
        } else if (argument == "--after-clear") {
            options.afterClear = true;
        } else {
            rest.push_back(argument);
        }
    }
    if (rest.size() == 4 && rest[0] == "--child") return runChild(rest[1], std::atoi(rest[2].c_str()), options, rest[3]);
    for (const std::string& size : rest) sizes.push_back(std::atoi(size.c_str()));
    if (sizes.empty()) sizes = {10000, 100000};

    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string barePath = std::string(folder) + "library_bench_bare.txt";
    std::string ourPath = std::string(folder) + "library_bench.txt";

    std::printf("%s heap%s; best of each, every load in a fresh process\n",
                options.lowFragmentation ? "low-fragmentation" : "default",
                options.afterClear ? ", loads into a list just emptied of as many rows" : "");
    std::printf("%8s %10s %10s %6s %10s %10s %6s\n", "rows", "load bare", "load", "ratio", "save bare", "save", "ratio");
    double firstLoad = 0, firstSave = 0;
    int firstRows = 0;
    bool failed = false;
    for (int count : sizes) {
        int runs = count > 50000 ? 3 : 5;
        double best[4] = {1e300, 1e300, 1e300, 1e300};
        const char* kinds[4] = {"load-bare", "load", "save-bare", "save"};
        for (int run = 0; run < runs; ++run) {
            for (int k = 0; k < 4; ++k) {
                double took = measureInChild(kinds[k], count, options, k == 2 ? barePath : ourPath);
                if (took < 0) failed = true;
                if (took >= 0 && took < best[k]) best[k] = took;
            }
        }
        std::printf("%8d %8.1fms %8.1fms %5.2fx %8.1fms %8.1fms %5.2fx\n", count, best[0], best[1], best[1] / best[0],
                    best[2], best[3], best[3] / best[2]);
        if (!firstRows) {
            firstRows = count;
            firstLoad = best[1];
            firstSave = best[3];
        } else {
            double rowsFactor = static_cast<double>(count) / firstRows;
            std::printf("  growth from %d rows: load %.2fx, save %.2fx for %.0fx the rows\n", firstRows,
                        best[1] / firstLoad, best[3] / firstSave, rowsFactor);
        }
        std::fflush(stdout);
    }
    DeleteFileA(barePath.c_str());
    DeleteFileA(ourPath.c_str());
    // A failed measurement is a failed benchmark, whatever the others gave.
    if (failed) std::printf("a measurement failed: the numbers above do not count\n");
    return failed ? 1 : 0;
}
