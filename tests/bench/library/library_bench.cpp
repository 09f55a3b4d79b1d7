// Load and save of a large text library on the real list 超级列表框1, against bare
// loops measured in the same run: LVM_INSERTITEMA + LVM_SETITEMTEXTA with redraw
// off for the load, LVM_GETITEMA plus one file write for the save.
//   library_bench [--lfh] [rows...]    (default 10000 100000)
// Every timed load starts from a list that has just been emptied: under Wine the
// rows freed by that leave the process heap fragmented, and a list-view insert
// then costs several times what it costs in a fresh process, growing with the
// rows freed. Both loops meet the same heap that way. --lfh switches the process
// heap to the low-fragmentation heap first (as Windows does by default; Wine 8
// does not), which takes that effect away.
#include "app/windows.h"
#include "core/text_record.h"
#include "library/text_library.h"
#include "library/text_list.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace vostrel;

double nowMs() {
    static LARGE_INTEGER frequency = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The best of several runs of each, the two taking turns, so that load from the
// rest of the machine falls on both alike.
// prepare runs untimed before each of them.
template <typename Prepare, typename Bare, typename Ours>
void bestOfInTurns(int runs, Prepare prepare, Bare bare, Ours ours, double& bareBest, double& oursBest) {
    bareBest = oursBest = 1e300;
    for (int i = 0; i < runs; ++i) {
        prepare();
        double start = nowMs();
        bare();
        double bareEnd = nowMs();
        prepare();
        double middle = nowMs();
        ours();
        double end = nowMs();
        if (std::getenv("BENCH_VERBOSE")) std::printf("  run %d: bare %.1fms, ours %.1fms\n", i, bareEnd - start, end - middle);
        if (bareEnd - start < bareBest) bareBest = bareEnd - start;
        if (end - middle < oursBest) oursBest = end - middle;
    }
}

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

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    bool lowFragmentation = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--lfh") {
            lowFragmentation = true;
        } else {
            sizes.push_back(std::atoi(argv[i]));
        }
    }
    if (lowFragmentation) {
        ULONG kind = 2;
        if (!HeapSetInformation(GetProcessHeap(), HeapCompatibilityInformation, &kind, sizeof kind)) {
            std::printf("no low-fragmentation heap\n");
        }
    }
    if (sizes.empty()) sizes = {10000, 100000};

    if (!mainWindow().create()) return 1;
    HWND list = textList();
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string barePath = std::string(folder) + "library_bench_bare.txt";
    std::string ourPath = std::string(folder) + "library_bench.txt";

    std::printf("%8s %10s %10s %6s %10s %10s %6s\n", "rows", "load bare", "load", "ratio", "save bare", "save", "ratio");
    double firstLoad = 0, firstSave = 0;
    int firstRows = 0;
    for (int count : sizes) {
        std::vector<TextRow> rows = makeRows(count);
        std::string bytes = encodeTextRows(rows);
        int runs = count > 50000 ? 3 : 7;
        double loadBare, load, saveBare, save;
        // Both load into an empty list: emptying a full one costs the same to both
        // and would only blur the comparison.
        auto emptyList = [&] { SendMessageA(list, LVM_DELETEALLITEMS, 0, 0); };
        bareLoad(list, rows);  // so that the first timed load, too, follows emptying a full list
        bestOfInTurns(runs, emptyList, [&] { bareLoad(list, rows); }, [&] { readListFromBytes(list, bytes); }, loadBare,
                      load);
        if (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) != count) std::printf("load lost rows!\n");
        bestOfInTurns(runs, [] {}, [&] { bareSave(list, barePath); }, [&] { writeListToFile(list, ourPath); }, saveBare, save);
        std::optional<std::string> saved = readWholeFile(ourPath);
        if (!saved || *saved != bytes) std::printf("save differs from the loaded bytes!\n");
        std::printf("%8d %8.1fms %8.1fms %5.2fx %8.1fms %8.1fms %5.2fx\n", count, loadBare, load, load / loadBare,
                    saveBare, save, save / saveBare);
        // The file alone: one plain write against the safe replace (temporary
        // file, flush, rename), to tell the list's share from the disk's.
        double writeBare, replace;
        bestOfInTurns(runs, [] {}, [&] { plainWrite(barePath, bytes); }, [&] { replaceFileContents(ourPath, bytes); },
                      writeBare, replace);
        std::printf("%8s file only: plain write %.1fms, temporary + flush + rename %.1fms\n", "", writeBare, replace);
        if (!firstRows) {
            firstRows = count;
            firstLoad = load;
            firstSave = save;
        } else {
            double rowsFactor = static_cast<double>(count) / firstRows;
            std::printf("  growth from %d rows: load %.2fx, save %.2fx for %.0fx the rows (linear: %.0fx)\n", firstRows,
                        load / firstLoad, save / firstSave, rowsFactor, rowsFactor);
        }
        std::fflush(stdout);
    }
    DeleteFileA(barePath.c_str());
    DeleteFileA(ourPath.c_str());
    DestroyWindow(mainWindow().handle());
    return 0;
}
