// Cost of process inspection as the watcher and the process page use it, at two sizes:
//  1. one watcher tick (end check, times, parent-window count, window text) with about 300
//     threads on the system, then again with 1,000 more top-level windows on the desktop
//     (a child of this benchmark makes them), against the floor: the fewest system calls
//     that answer the same four questions (one handle for the end and the times, one walk
//     over the top-level windows, one WM_GETTEXT). Warm-up first, then rounds that
//     alternate which of the two goes first; medians of the rounds with their spread;
//  2. EnumerateProcesses with 200 and then 1,000 processes running, against the floor of a
//     listing (the ids, then for each process its image path with the least access, its
//     bitness, its elevation, and the right to end it), in alternating order after a
//     warm-up.
// Goals: a tick with few windows costs at most 1% of one processor at one tick a second
// (10 ms) and at most three times the floor; with 1,000 windows at most 1.2 times the
// floor. A listing costs at most 1.5 times its floor at both sizes and holds every
// process that this benchmark started. A tick that met a condition would skip work, so
// the measured ticks must meet none. Children are counted only once they said that they
// are ready; a benchmark that cannot go on says which call or which child stopped it.
// Usage: bench_process [processes] [more processes] [windows] [ticks per round]
//        (defaults 200 1000 1000 20)
#include <windows.h>
#include <shellapi.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <set>
#include <string>
#include <vector>

#include "app/handles.h"
#include "app/message_box.h"
#include "bench/bench_children.h"
#include "watch/process_query.h"
#include "watch/process_watcher.h"

namespace {

const wchar_t kTargetTitle[] = L"bench target window";

int CountSystemThreads() {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry)) {
        ++count;
        entry.dwSize = sizeof(entry);
    }
    return count;
}

BOOL CALLBACK CountTopLevel(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int CountTopLevelWindows() {
    int count = 0;
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    return count;
}

DWORD WINAPI SleepingThread(LPVOID stop) {
    WaitForSingleObject(static_cast<HANDLE>(stop), INFINITE);
    return 0;
}

void PumpUntilQuit() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
}

// A child of this program: "window" shows the watched window; "windows N" shows N small
// top-level windows; "idle" waits. Each says that it is ready once it is.
int RunChild(const std::wstring& role, const std::wstring& argument) {
    if (role == L"window") {
        HWND window = CreateWindowExW(0, L"STATIC", kTargetTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!window) return 2;
        bench::SignalReady();
        PumpUntilQuit();
        return 0;
    }
    if (role == L"windows") {
        int count = _wtoi(argument.c_str());
        for (int i = 0; i < count; ++i) {
            // Tiny tool windows in a block at the bottom right, away from the watched one.
            if (!CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"STATIC", L"", WS_POPUP | WS_VISIBLE,
                                 1500 + (i % 40) * 8, 700 + (i / 40) * 8, 4, 4, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr))
                return 3;
        }
        bench::SignalReady();
        PumpUntilQuit();
        return 0;
    }
    return bench::RunIdleChild();
}

struct WindowSearch {
    DWORD processId;
    int count;
};

BOOL CALLBACK CountParentWindows(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    RECT rect;
    GetWindowRect(window, &rect);
    if ((rect.right - rect.left) * (rect.bottom - rect.top) > 4) ++search->count;
    return TRUE;
}

// The floor of one tick: the fewest calls that tell whether the process has ended, how
// much processor time it has used, how many parent windows it has and what the watched
// window says. Returns something of each answer so that nothing is optimised away.
unsigned long long FloorTick(DWORD processId, HWND textWindow) {
    unsigned long long answer = 0;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process) {
        DWORD code = 0;
        FILETIME created, ended, kernel, user;
        GetExitCodeProcess(process, &code);
        GetProcessTimes(process, &created, &ended, &kernel, &user);
        CloseHandle(process);
        answer += code + kernel.dwLowDateTime + user.dwLowDateTime;
    }
    WindowSearch search = {processId, 0};
    EnumWindows(CountParentWindows, reinterpret_cast<LPARAM>(&search));
    wchar_t text[260] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(textWindow, WM_GETTEXT, 260, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 500, &copied);
    return answer + static_cast<unsigned long long>(search.count) + text[0];
}

// The floor of one listing: the fewest calls that give each process's path, bitness,
// elevation and terminate right (one handle for the first three).
int FloorListing() {
    std::vector<DWORD> ids(16384);
    DWORD bytes = 0;
    if (!K32EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) return 0;
    int listed = 0;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, ids[i]);
        if (!process) continue;
        wchar_t path[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        BOOL named = QueryFullProcessImageNameW(process, 0, path, &size);
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
        if (named && path[1] == L':') ++listed;
    }
    return listed;
}

// The watcher's tick against its floor in alternating rounds; prints both and returns the
// medians of the tick and of the per-round ratio.
struct TickFigures {
    double tick;
    double floor;
    double ratio;
};

TickFigures MeasureTicks(const char* label, DWORD processId, HWND textWindow, int ticksPerRound, int* met,
                         unsigned long long* sink) {
    WatchedProcess watched(static_cast<int>(processId));
    TopWindowList initial;
    watched.CollectTopWindows(initial);
    ProbeSource source(watched, textWindow);
    // Each tick asks all four questions: the processor time is sampled whatever the
    // conditions, the window count and the title are watched. None can be met while the
    // child runs and keeps its window and title; the idle condition stays off, since an
    // idle child meets it at its sixth tick.
    auto tickRound = [&] {
        ProcessWatchRule rule(kConditionWindowCount, true, initial.Count(), kTargetTitle);
        double start = bench::NowMs();
        for (int i = 0; i < ticksPerRound; ++i) *met += rule.Tick(source).met ? 1 : 0;
        return (bench::NowMs() - start) / ticksPerRound;
    };
    auto floorRound = [&] {
        double start = bench::NowMs();
        for (int i = 0; i < ticksPerRound; ++i) *sink += FloorTick(processId, textWindow);
        return (bench::NowMs() - start) / ticksPerRound;
    };
    // Warm-up, then rounds alternating which goes first so that both see the same load.
    tickRound();
    floorRound();
    *met = 0;
    std::vector<double> tickTimes, floorTimes, ratios;
    const int rounds = 15;
    for (int round = 0; round < rounds; ++round) {
        double tick, floor;
        if (round % 2 == 0) {
            tick = tickRound();
            floor = floorRound();
        } else {
            floor = floorRound();
            tick = tickRound();
        }
        tickTimes.push_back(tick);
        floorTimes.push_back(floor);
        ratios.push_back(floor > 0 ? tick / floor : 0);
    }
    bench::Summary tick = bench::Summarize(tickTimes);
    bench::Summary floor = bench::Summarize(floorTimes);
    bench::Summary ratio = bench::Summarize(ratios);
    std::printf("%s, %d top-level windows on the desktop:\n", label, CountTopLevelWindows());
    bench::PrintSummary("  watcher tick, per tick", tick, "ms");
    bench::PrintSummary("  floor, per tick", floor, "ms");
    bench::PrintSummary("  tick / floor, per round", ratio, "x");
    return {tick.median, floor.median, ratio.median};
}

struct ListingFigures {
    double listing;
    double floor;
    double ratio;
};

// EnumerateProcesses against the floor of a listing, in alternating order after a
// warm-up; every child started by this benchmark must be listed.
ListingFigures MeasureListing(bench::Goals& goals, const bench::Children& children, const char* size) {
    ProcessList list;
    EnumerateProcesses(list);
    int floorListed = FloorListing();
    std::vector<double> listTimes, floorTimes, ratios;
    for (int round = 0; round < 12; ++round) {
        bench::CurrentStep() = "listing " + std::string(size) + ", round " + std::to_string(round + 1);
        double listed = 0, floor = 0;
        for (int turn = 0; turn < 2; ++turn) {
            double start = bench::NowMs();
            if ((round + turn) % 2 == 0) {
                EnumerateProcesses(list);
                listed = bench::NowMs() - start;
            } else {
                floorListed = FloorListing();
                floor = bench::NowMs() - start;
            }
        }
        listTimes.push_back(listed);
        floorTimes.push_back(floor);
        ratios.push_back(floor > 0 ? listed / floor : 0);
    }
    bench::Summary listing = bench::Summarize(listTimes);
    bench::Summary floor = bench::Summarize(floorTimes);
    bench::Summary ratio = bench::Summarize(ratios);
    std::printf("listing with %d processes on the system:\n", bench::CountSystemProcesses());
    bench::PrintSummary("  EnumerateProcesses", listing, "ms");
    bench::PrintSummary("  floor of a listing", floor, "ms");
    bench::PrintSummary("  listing / floor, per round", ratio, "x");
    std::printf("  entries listed: %d (floor: %d)\n", list.Count(), floorListed);

    std::set<int> listed;
    for (int i = 0; i < list.Count(); ++i) listed.insert(list.Entry(i).record.id);
    size_t missing = 0;
    for (size_t i = 0; i < children.Count(); ++i) {
        if (listed.count(static_cast<int>(children.ProcessId(i))) == 0) {
            if (missing < 5) std::printf("  child %zu (pid %lu) is not listed\n", i + 1, children.ProcessId(i));
            ++missing;
        }
    }
    std::string what = "the listing of " + std::string(size) + " holds every started child";
    goals.Holds(what.c_str(), missing == 0);
    what = "no fewer entries than the floor names with a drive path, " + std::string(size);
    goals.Holds(what.c_str(), list.Count() >= floorListed);
    return {listing.median, floor.median, ratio.median};
}

}  // namespace

int main() {
    bench::Begin();
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 1;
    std::wstring role, argument;
    if (bench::ChildRole(argc, argv, &role, &argument)) return RunChild(role, argument);
    int fewProcesses = argc > 1 ? _wtoi(argv[1]) : 200;
    int manyProcesses = argc > 2 ? _wtoi(argv[2]) : 1000;
    int manyWindows = argc > 3 ? _wtoi(argv[3]) : 1000;
    int ticksPerRound = argc > 4 ? _wtoi(argv[4]) : 20;
    bench::Goals goals("bench_process");

    bench::CountingPresenter boxes;
    SetMessageBoxPresenter(&boxes);
    bench::Children children;

    // The watched process: a child with one window whose text the tick reads.
    bench::Step("starting the watched child");
    DWORD target = 0;
    HWND textWindow = bench::StartChildWithWindow(children, L"window", kTargetTitle, &target);

    // Threads: sleeping threads of this process until the system has the wanted number.
    bench::Step("watcher tick with few windows");
    UniqueHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<HANDLE> threads;
    int systemThreads = CountSystemThreads();
    while (systemThreads + static_cast<int>(threads.size()) < 300) {
        HANDLE thread =
            CreateThread(nullptr, 64 * 1024, SleepingThread, stop.Get(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        if (!thread) break;
        threads.push_back(thread);
    }
    std::printf("threads on the system: %d\n", CountSystemThreads());
    unsigned long long sink = 0;
    int met = 0;
    TickFigures fewWindows = MeasureTicks("watcher tick", target, textWindow, ticksPerRound, &met, &sink);
    goals.Holds("no measured tick met a condition, few windows (each did all its work)", met == 0);
    goals.AtMost("median watcher tick, few windows", fewWindows.tick, 10.0, "ms");
    goals.AtMost("median tick / floor, few windows", fewWindows.ratio, 3.0, "x");

    bench::Step("watcher tick with %d more top-level windows", manyWindows);
    int windowsBefore = CountTopLevelWindows();
    children.Start(L"windows", std::to_wstring(manyWindows));
    children.WaitUntilReady(120000);
    int windowsNow = CountTopLevelWindows();
    if (windowsNow < windowsBefore + manyWindows)
        bench::CannotFinish("EnumWindows sees %d top-level windows, %d expected", windowsNow,
                            windowsBefore + manyWindows);
    TickFigures manyWindowTicks = MeasureTicks("watcher tick", target, textWindow, ticksPerRound, &met, &sink);
    std::string more = std::to_string(manyWindows) + " more windows";
    goals.Holds(("no measured tick met a condition, " + more).c_str(), met == 0);
    goals.AtMost(("median tick / floor, " + more).c_str(), manyWindowTicks.ratio, 1.2, "x");
    bench::PrintGrowth("the watcher tick", "few windows", fewWindows.tick, more.c_str(), manyWindowTicks.tick, "ms");
    SetEvent(stop.Get());
    for (HANDLE thread : threads) {
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
    }

    // Processes: idle children until the system has the wanted number, each ready.
    bench::Step("listing with %d processes", fewProcesses);
    double spawnStart = bench::NowMs();
    children.FillSystemTo(fewProcesses, 300000);
    std::printf("processes on the system: %d (started in %.1f s)\n", bench::CountSystemProcesses(),
                (bench::NowMs() - spawnStart) / 1000.0);
    std::string few = std::to_string(fewProcesses) + " processes";
    ListingFigures small = MeasureListing(goals, children, few.c_str());
    goals.AtMost(("median listing / floor, " + few).c_str(), small.ratio, 1.5, "x");

    bench::Step("listing with %d processes", manyProcesses);
    spawnStart = bench::NowMs();
    children.FillSystemTo(manyProcesses, 600000);
    std::printf("processes on the system: %d (started in %.1f s)\n", bench::CountSystemProcesses(),
                (bench::NowMs() - spawnStart) / 1000.0);
    std::string many = std::to_string(manyProcesses) + " processes";
    ListingFigures large = MeasureListing(goals, children, many.c_str());
    goals.AtMost(("median listing / floor, " + many).c_str(), large.ratio, 1.5, "x");
    bench::PrintGrowth("EnumerateProcesses", few.c_str(), small.listing, many.c_str(), large.listing, "ms");
    bench::PrintGrowth("the floor of a listing", few.c_str(), small.floor, many.c_str(), large.floor, "ms");

    goals.Holds("no error box", boxes.count == 0);
    SetMessageBoxPresenter(nullptr);
    std::printf("(checksum %llu)\n", sink);
    return goals.ExitCode();
}
