// Cost of process inspection as the watcher and the process page use it:
//  1. one watcher tick (end check, times, parent-window count, window text) with about 300
//     threads on the system, against the floor: the fewest system calls that answer the
//     same four questions (one handle for the end and the times, one walk over the
//     top-level windows, one WM_GETTEXT). Warm-up first, then rounds that alternate which
//     of the two goes first; medians of the rounds with their spread;
//  2. EnumerateProcesses with about 200 processes running, against the floor of a listing
//     (one handle per process for path, bitness and elevation, one for the terminate
//     right), in alternating order after a warm-up.
// Goals: a tick costs at most 1% of one processor at one tick a second (10 ms) and at most
// three times the floor; a listing of 200 processes is over within the second after which
// the process page lists again. A tick that met a condition would skip work, so the
// measured ticks must meet none.
// Usage: bench_process [processes] [threads] [ticks per round]   (defaults 200 300 20)
#include <windows.h>
#include <shellapi.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "app/handles.h"
#include "app/message_box.h"
#include "bench/bench_children.h"
#include "watch/process_query.h"
#include "watch/process_watcher.h"

namespace {

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

DWORD WINAPI SleepingThread(LPVOID stop) {
    WaitForSingleObject(static_cast<HANDLE>(stop), INFINITE);
    return 0;
}

// A child of this program: "window" shows a titled window and pumps messages; "idle" waits.
int RunChild(const wchar_t* role) {
    if (wcscmp(role, L"window") == 0) {
        HWND window = CreateWindowExW(0, L"STATIC", L"bench target window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                      300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!window) return 2;
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        return 0;
    }
    Sleep(INFINITE);
    return 0;
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
    std::vector<DWORD> ids(4096);
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

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 1;
    if (argc >= 3 && wcscmp(argv[1], L"--child") == 0) return RunChild(argv[2]);
    int wantedProcesses = argc > 1 ? _wtoi(argv[1]) : 200;
    int wantedThreads = argc > 2 ? _wtoi(argv[2]) : 300;
    int ticksPerRound = argc > 3 ? _wtoi(argv[3]) : 20;
    bench::Goals goals("bench_process");

    bench::CountingPresenter boxes;
    SetMessageBoxPresenter(&boxes);
    bench::Children children;

    // The watched process: a child with one window whose text the tick reads.
    PROCESS_INFORMATION target = {};
    if (!children.Start(L"window", &target)) {
        std::printf("cannot start the watched child\n");
        return 1;
    }
    WaitForInputIdle(target.hProcess, 10000);
    HWND textWindow = nullptr;
    for (int i = 0; i < 200 && !textWindow; ++i) {
        textWindow = FindWindowW(nullptr, L"bench target window");
        if (!textWindow) Sleep(50);
    }
    if (!textWindow) {
        std::printf("the watched child shows no window\n");
        return 1;
    }

    // Threads: sleeping threads of this process until the system has the wanted number.
    UniqueHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<HANDLE> threads;
    int systemThreads = CountSystemThreads();
    while (systemThreads + static_cast<int>(threads.size()) < wantedThreads) {
        HANDLE thread =
            CreateThread(nullptr, 64 * 1024, SleepingThread, stop.Get(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        if (!thread) break;
        threads.push_back(thread);
    }
    std::printf("threads on the system: %d\n", CountSystemThreads());

    WatchedProcess watched(static_cast<int>(target.dwProcessId));
    TopWindowList initial;
    watched.CollectTopWindows(initial);
    ProbeSource source(watched, textWindow);
    // Each tick asks all four questions: the processor time is sampled whatever the
    // conditions, the window count and the title are watched. None can be met while the
    // child runs and keeps its window and title; the idle condition stays off, since an
    // idle child meets it at its sixth tick.
    const int allConditions = kConditionWindowCount;
    unsigned long long sink = 0;
    int met = 0;
    auto tickRound = [&] {
        ProcessWatchRule rule(allConditions, true, initial.Count(), L"bench target window");
        double start = bench::NowMs();
        for (int i = 0; i < ticksPerRound; ++i) met += rule.Tick(source).met ? 1 : 0;
        return (bench::NowMs() - start) / ticksPerRound;
    };
    auto floorRound = [&] {
        double start = bench::NowMs();
        for (int i = 0; i < ticksPerRound; ++i) sink += FloorTick(target.dwProcessId, textWindow);
        return (bench::NowMs() - start) / ticksPerRound;
    };

    // Warm-up, then rounds alternating which goes first so that both see the same load.
    tickRound();
    floorRound();
    met = 0;
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
    bench::PrintSummary("watcher tick, per tick", tick, "ms");
    bench::PrintSummary("floor, per tick", floor, "ms");
    bench::PrintSummary("tick / floor, per round", ratio, "x");
    goals.Holds("no measured tick met a condition (each did all its work)", met == 0);
    goals.AtMost("median watcher tick", tick.median, 10.0, "ms");
    goals.AtMost("median tick / floor", ratio.median, 3.0, "x");
    SetEvent(stop.Get());
    for (HANDLE thread : threads) {
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
    }

    // Processes: idle children until the system has the wanted number.
    double startSpawn = bench::NowMs();
    int processes = bench::CountSystemProcesses();
    while (processes < wantedProcesses) {
        if (!children.Start(L"idle")) break;
        ++processes;
    }
    // Started children are listed once they have their main module.
    ProcessList list;
    for (int i = 0; i < 100; ++i) {
        EnumerateProcesses(list);
        if (list.Count() >= wantedProcesses - 20) break;
        Sleep(100);
    }
    std::printf("processes on the system: %d (started in %.1f s)\n", bench::CountSystemProcesses(),
                (bench::NowMs() - startSpawn) / 1000.0);
    // Warm-up, then rounds alternating which goes first.
    EnumerateProcesses(list);
    int floorListed = FloorListing();
    std::vector<double> listTimes, floorListTimes, listRatios;
    for (int round = 0; round < 12; ++round) {
        double list1 = 0, floor1 = 0;
        for (int turn = 0; turn < 2; ++turn) {
            double start = bench::NowMs();
            if ((round + turn) % 2 == 0) {
                EnumerateProcesses(list);
                list1 = bench::NowMs() - start;
            } else {
                floorListed = FloorListing();
                floor1 = bench::NowMs() - start;
            }
        }
        listTimes.push_back(list1);
        floorListTimes.push_back(floor1);
        listRatios.push_back(floor1 > 0 ? list1 / floor1 : 0);
    }
    bench::Summary listing = bench::Summarize(listTimes);
    bench::Summary floorListing = bench::Summarize(floorListTimes);
    bench::PrintSummary("EnumerateProcesses", listing, "ms");
    bench::PrintSummary("floor of a listing", floorListing, "ms");
    bench::PrintSummary("listing / floor, per round", bench::Summarize(listRatios), "x");
    std::printf("entries listed: %d (floor: %d)\n", list.Count(), floorListed);
    goals.Holds("the listing holds the started processes", list.Count() >= wantedProcesses - 20);
    // The process page lists once a second: a listing must be over before the next one.
    goals.AtMost("median EnumerateProcesses", listing.median, 1000.0, "ms");
    goals.Holds("no error box", boxes.count == 0);
    SetMessageBoxPresenter(nullptr);
    std::printf("(checksum %llu)\n", sink);
    return goals.ExitCode();
}
