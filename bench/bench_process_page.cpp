// Cost of the live process list of the wizard's process page, with 200 and then 1,000
// processes running (idle children of this program, each counted once it is ready):
//  1. Entering the page (every process listed afresh, a probe made for each, the rows
//     inserted and sorted) against the floor measured in the same run: the ids, and for
//     each process its image path with the least access, bitness, elevation, right to end
//     it and times, and its row put into a list like the page's (a child with the page's
//     tooltip, whose watch over the list makes every message to it cost a trip to the
//     server under Wine). Goal: at most 1.5 times the floor.
//  2. One refresh of the list (list the ids, add new processes, remove ended ones, read
//     each row's CPU time, rewrite the CPU column) against its floor: listing the ids and
//     reading the times of each listed process once. Goal: at most 1.2 times the floor.
//     For comparison it also times a refresh that lists every process afresh.
//  3. Sorting the rows by CPU: the process-time reads of one sort. Goal: one read per row.
//     For comparison it counts the reads of a sort that reads both rows' times at every
//     comparison.
// Each figure is printed at both sizes with the ratio between them. Exits with 1 when a
// goal is missed, with 2 (saying why) when it cannot finish.
// Usage: bench_process_page [processes] [more processes] [rounds]   (defaults 200 1000 30)
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "app/handles.h"
#include "bench/bench_children.h"
#include "app/message_box.h"
#include "watch/process_query.h"
#include "wizard/dialog_helpers.h"
#include "wizard/process_list_view.h"
#include "wizard/process_page_logic.h"

namespace {

// The system behind the list, counting the time reads of its samplers.
class CountingCatalog : public ProcessCatalog {
public:
    long long timeReads = 0;

    bool ListIds(std::vector<DWORD>& ids) override { return system_.ListIds(ids); }
    bool ReadEntry(DWORD id, ProcessEntry& entry) override { return system_.ReadEntry(id, entry); }
    void ListTasks(const ProcessEntry& host, std::vector<ProcessEntry>& tasks) override {
        system_.ListTasks(host, tasks);
    }
    std::unique_ptr<CpuSampler> MakeSampler(int id) override {
        return std::unique_ptr<CpuSampler>(new Counting(system_.MakeSampler(id), timeReads));
    }

private:
    class Counting : public CpuSampler {
    public:
        Counting(std::unique_ptr<CpuSampler> inner, long long& reads) : inner_(std::move(inner)), reads_(reads) {}
        unsigned long long CpuDelta(bool update) override {
            ++reads_;
            return inner_->CpuDelta(update);
        }

    private:
        std::unique_ptr<CpuSampler> inner_;
        long long& reads_;
    };

    SystemProcessCatalog system_;
};

unsigned long long ReadTimes(DWORD id) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id);
    if (!process) return 0;
    FILETIME created, ended, kernel, user;
    unsigned long long sum = 0;
    if (GetProcessTimes(process, &created, &ended, &kernel, &user)) sum = kernel.dwLowDateTime & 1;
    CloseHandle(process);
    return sum;
}

void SetCell(HWND list, int row, int column, const wchar_t* text) {
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text);
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// The floor of entering the page: the ids, then for each process its path, bitness,
// elevation and right to end it (one handle for the first three) and its times; then the
// rows, each with its four texts and the CPU cell that asks for its value, put into a list
// like the page's (with its tooltip) with the list's drawing off.
unsigned long long FloorEntering(HWND list) {
    std::vector<DWORD> ids(16384);
    DWORD bytes = 0;
    if (!K32EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) return 0;
    unsigned long long sum = 0;
    std::vector<std::wstring> paths;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, ids[i]);
        if (!process) continue;
        wchar_t path[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        QueryFullProcessImageNameW(process, 0, path, &size);
        BOOL wow64 = FALSE;
        IsWow64Process(process, &wow64);
        HANDLE token = nullptr;
        TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
        DWORD got = 0;
        if (OpenProcessToken(process, TOKEN_QUERY, &token)) {
            GetTokenInformation(token, TokenElevationType, &type, sizeof(type), &got);
            CloseHandle(token);
        }
        CloseHandle(process);
        HANDLE terminate = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, ids[i]);
        if (terminate) CloseHandle(terminate);
        sum += size + static_cast<unsigned long long>(wow64) + ReadTimes(ids[i]);
        paths.push_back(path);
    }
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < paths.size(); ++i) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(paths[i].c_str());
        item.lParam = static_cast<LPARAM>(i);
        int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        SetCell(list, row, kAttributeColumn, L"64bit");
        SetCell(list, row, kPidColumn, L"1234");
        SetCell(list, row, kFolderColumn, paths[i].c_str());
        SetCell(list, row, kCpuColumn, LPSTR_TEXTCALLBACKW);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    return sum;
}

// The floor of a refresh: the ids, and the times of each listed process once.
unsigned long long FloorRefresh(const std::vector<DWORD>& listed) {
    std::vector<DWORD> ids(16384);
    DWORD bytes = 0;
    K32EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes);
    unsigned long long sum = bytes;
    for (DWORD id : listed) sum += ReadTimes(id);
    return sum;
}

// A refresh that lists everything afresh and reads every row's times.
int FullRefresh(ProcessListModel& model) {
    ProcessList list;
    EnumerateProcesses(list);
    for (int i = 0; i < model.Count(); ++i) model.CpuDelta(i, true);
    return list.Count();
}

// A sort that reads both rows' times at every comparison.
struct PairwiseSort {
    ProcessListModel* model;
    long long comparisons;
};

int CALLBACK CompareByReadingBoth(LPARAM a, LPARAM b, LPARAM context) {
    auto* sort = reinterpret_cast<PairwiseSort*>(context);
    ++sort->comparisons;
    unsigned long long x = sort->model->CpuDelta(static_cast<int>(a), false);
    unsigned long long y = sort->model->CpuDelta(static_cast<int>(b), false);
    return static_cast<int>(y - x);
}

struct PageFigures {
    double entering = 0;
    double refresh = 0;
    double sort = 0;
};

// The three measurements with the system filled to the given number of processes.
PageFigures MeasurePage(bench::Goals& goals, bench::Children& children, int processes, int rounds,
                        unsigned long long* sink) {
    std::string size = std::to_string(processes) + " processes";
    bench::Step("entering the page with %s", size.c_str());
    double spawnStart = bench::NowMs();
    children.FillSystemTo(processes, 600000);
    std::printf("processes on the system: %d (started in %.1f s)\n", bench::CountSystemProcesses(),
                (bench::NowMs() - spawnStart) / 1000);

    // The list as the page has it: a child of the page, with the page's tooltip; and one
    // like it for the floor.
    UniqueWindow page(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 620, 420, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
    UniqueWindow list(CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_SINGLESEL, 0, 0, 600, 400,
                                      page.Get(), nullptr, GetModuleHandleW(nullptr), nullptr));
    UniqueWindow floorPage(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 620, 420, nullptr, nullptr,
                                           GetModuleHandleW(nullptr), nullptr));
    UniqueWindow floorList(CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_SINGLESEL, 0, 0, 600, 400,
                                           floorPage.Get(), nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!page || !list || !floorPage || !floorList)
        bench::CannotFinish("CreateWindowExW of the list views failed with error %lu", GetLastError());
    for (int i = 0; i < kProcessColumnCount; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = 80;
        column.pszText = const_cast<wchar_t*>(L"column");
        column.iSubItem = i;
        SendMessageW(floorList.Get(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    AttachTooltip(floorPage.Get(), floorList.Get(), WideString(L"ダブルクリックするとプロセスの情報を表示します"));

    CountingCatalog catalog;
    ProcessListModel model(catalog);
    ProcessListView view(model);
    AttachTooltip(page.Get(), list.Get(), WideString(L"ダブルクリックするとプロセスの情報を表示します"));
    view.Attach(list.Get());

    // 1. Entering against its floor, alternating, after a warm-up of each.
    view.Fill(0, WideString());
    *sink += FloorEntering(floorList.Get());
    std::vector<double> enterTimes, enterFloors;
    for (int round = 0; round < 10; ++round) {
        double a = bench::NowMs();
        if (round % 2 == 0) view.Fill(0, WideString());
        double b = bench::NowMs();
        *sink += FloorEntering(floorList.Get());
        double c = bench::NowMs();
        if (round % 2 == 1) view.Fill(0, WideString());
        double d = bench::NowMs();
        enterTimes.push_back(round % 2 == 0 ? b - a : d - c);
        enterFloors.push_back(c - b);
    }
    int rows = static_cast<int>(SendMessageW(list.Get(), LVM_GETITEMCOUNT, 0, 0));
    bench::Summary entering = bench::Summarize(enterTimes);
    bench::Summary enteringFloor = bench::Summarize(enterFloors);
    std::printf("entering the page with %s: %d rows\n", size.c_str(), rows);
    bench::PrintSummary("  entering", entering, "ms");
    bench::PrintSummary("  floor of entering", enteringFloor, "ms");
    goals.Holds(("the page lists every started child, " + size).c_str(), rows >= static_cast<int>(children.Count()));
    goals.RatioAtMost(("entering / floor, " + size).c_str(), entering.median, enteringFloor.median, 1.5);

    // 2. Refresh against the floor, in alternating rounds so that both see the same load.
    bench::Step("refreshing the page with %s", size.c_str());
    std::vector<DWORD> listed;
    for (int i = 0; i < model.Count(); ++i) listed.push_back(static_cast<DWORD>(model.Entry(i).record.id));
    const int perRound = 5;
    double refreshTime = 0, floorTime = 0, fullTime = 0;
    view.Refresh();
    for (int round = 0; round < rounds; ++round) {
        double start = bench::NowMs();
        for (int i = 0; i < perRound; ++i) view.Refresh();
        refreshTime += bench::NowMs() - start;
        start = bench::NowMs();
        for (int i = 0; i < perRound; ++i) *sink += FloorRefresh(listed);
        floorTime += bench::NowMs() - start;
        if (round < 2) {
            start = bench::NowMs();
            *sink += static_cast<unsigned long long>(FullRefresh(model));
            fullTime += bench::NowMs() - start;
        }
    }
    int n = rounds * perRound;
    double refreshMs = refreshTime / n, floorMs = floorTime / n, fullMs = fullTime / 2;
    std::printf("refresh with %s: %.2f ms; floor (ids and each process's times): %.2f ms\n", size.c_str(), refreshMs,
                floorMs);
    std::printf("  a refresh that lists every process afresh: %.1f ms (%.1f x the floor)\n", fullMs, fullMs / floorMs);
    goals.RatioAtMost(("refresh / floor, " + size).c_str(), refreshMs, floorMs, 1.2);

    // 3. Time reads of one sort by CPU.
    bench::Step("sorting the page by CPU with %s", size.c_str());
    long long before = catalog.timeReads;
    double sortStart = bench::NowMs();
    view.SortByColumn(kCpuColumn);
    double sortMs = bench::NowMs() - sortStart;
    long long reads = catalog.timeReads - before;
    PairwiseSort pairwise = {&model, 0};
    before = catalog.timeReads;
    sortStart = bench::NowMs();
    SendMessageW(list.Get(), LVM_SORTITEMS, reinterpret_cast<WPARAM>(&pairwise),
                 reinterpret_cast<LPARAM>(CompareByReadingBoth));
    double pairwiseMs = bench::NowMs() - sortStart;
    long long pairwiseReads = catalog.timeReads - before;
    std::printf("sort by CPU of %d rows: %lld time reads, %.1f ms\n", rows, reads, sortMs);
    std::printf("  reading both rows at every comparison: %lld comparisons, %lld time reads, %.1f ms\n",
                pairwise.comparisons, pairwiseReads, pairwiseMs);
    goals.AtMost(("time reads per row of a sort by CPU, " + size).c_str(),
                 rows > 0 ? static_cast<double>(reads) / rows : 99.0, 1.0, "");

    PageFigures figures;
    figures.entering = entering.median;
    figures.refresh = refreshMs;
    figures.sort = sortMs;
    return figures;
}

}  // namespace

int main() {
    bench::Begin();
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 1;
    std::wstring role, argument;
    if (bench::ChildRole(argc, argv, &role, &argument)) return bench::RunIdleChild();
    int fewProcesses = argc > 1 ? _wtoi(argv[1]) : 200;
    int manyProcesses = argc > 2 ? _wtoi(argv[2]) : 1000;
    int rounds = argc > 3 ? _wtoi(argv[3]) : 30;
    bench::Goals goals("bench_process_page");

    bench::CountingPresenter boxes;
    SetMessageBoxPresenter(&boxes);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    bench::Children children;
    unsigned long long sink = 0;
    PageFigures few = MeasurePage(goals, children, fewProcesses, rounds, &sink);
    PageFigures many = MeasurePage(goals, children, manyProcesses, rounds, &sink);
    std::string fewText = std::to_string(fewProcesses) + " processes";
    std::string manyText = std::to_string(manyProcesses) + " processes";
    bench::PrintGrowth("entering the page", fewText.c_str(), few.entering, manyText.c_str(), many.entering, "ms");
    bench::PrintGrowth("a refresh", fewText.c_str(), few.refresh, manyText.c_str(), many.refresh, "ms");
    bench::PrintGrowth("a sort by CPU", fewText.c_str(), few.sort, manyText.c_str(), many.sort, "ms");

    goals.Holds("no error box", boxes.count == 0);
    SetMessageBoxPresenter(nullptr);
    std::printf("(checksum %llu)\n", sink);
    return goals.ExitCode();
}
