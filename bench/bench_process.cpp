// Cost of process inspection as the watcher and the process page use it:
//  1. one watcher tick (end check, times, parent-window count, window text) with about 300
//     threads on the system, against a bare loop of the same system calls in the same run,
//     and against counting the windows through a thread snapshot;
//  2. EnumerateProcesses with about 200 processes running.
// Usage: bench_process [processes] [threads] [ticks]   (defaults 200 300 300)
#include <windows.h>
#include <shellapi.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "app/handles.h"
#include "app/message_box.h"
#include "watch/process_query.h"
#include "watch/process_watcher.h"

namespace {

// Counts the program's boxes instead of showing them.
class CountingPresenter : public MessageBoxPresenter {
public:
    int Present(HWND, const WideString& text, UINT) override {
        ++count;
        std::fwprintf(stderr, L"box: %ls\n", text.c_str());
        return IDOK;
    }
    int count = 0;
};

double Now() {
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

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

int CountSystemProcesses() {
    std::vector<DWORD> ids(8192);
    DWORD bytes = 0;
    if (!K32EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) return 0;
    return static_cast<int>(bytes / sizeof(DWORD));
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

struct Children {
    UniqueHandle job;
    std::vector<PROCESS_INFORMATION> started;
    Children() : job(CreateJobObjectW(nullptr, nullptr)) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }
    ~Children() {
        for (PROCESS_INFORMATION& info : started) {
            TerminateProcess(info.hProcess, 0);
            CloseHandle(info.hThread);
            CloseHandle(info.hProcess);
        }
    }
    bool Start(const wchar_t* role, PROCESS_INFORMATION* out = nullptr) {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        wchar_t commandLine[MAX_PATH + 40];
        swprintf(commandLine, MAX_PATH + 40, L"\"%ls\" --child %ls", self, role);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (!CreateProcessW(self, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return false;
        AssignProcessToJobObject(job.Get(), info.hProcess);
        started.push_back(info);
        if (out) *out = info;
        return true;
    }
};

struct WindowSearch {
    DWORD processId;
    int count;
};

BOOL CALLBACK CountBare(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId) return TRUE;
    if (!IsWindowVisible(window)) return TRUE;
    RECT rect;
    GetWindowRect(window, &rect);
    if ((rect.right - rect.left) * (rect.bottom - rect.top) > 4) ++search->count;
    return TRUE;
}

BOOL CALLBACK CountThreadWindow(HWND window, LPARAM context) {
    if (!IsWindowVisible(window)) return TRUE;
    RECT rect;
    GetWindowRect(window, &rect);
    if ((rect.right - rect.left) * (rect.bottom - rect.top) > 4) ++*reinterpret_cast<int*>(context);
    return TRUE;
}

// The same system calls as one tick, written out without the program's types.
int BareTick(DWORD processId, HWND textWindow) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    FILETIME created, ended, kernel, user;
    GetProcessTimes(process, &created, &ended, &kernel, &user);
    CloseHandle(process);
    WindowSearch search = {processId, 0};
    EnumWindows(CountBare, reinterpret_cast<LPARAM>(&search));
    wchar_t text[260] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(textWindow, WM_GETTEXT, 260, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 500, &copied);
    return search.count + static_cast<int>(code & 1);
}

// Counting the windows through a thread snapshot instead.
int SnapshotCount(DWORD processId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == processId)
            EnumThreadWindows(entry.th32ThreadID, CountThreadWindow, reinterpret_cast<LPARAM>(&count));
        entry.dwSize = sizeof(entry);
    }
    CloseHandle(snapshot);
    return count;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 1;
    if (argc >= 3 && wcscmp(argv[1], L"--child") == 0) return RunChild(argv[2]);
    int wantedProcesses = argc > 1 ? _wtoi(argv[1]) : 200;
    int wantedThreads = argc > 2 ? _wtoi(argv[2]) : 300;
    int ticks = argc > 3 ? _wtoi(argv[3]) : 300;

    CountingPresenter boxes;
    SetMessageBoxPresenter(&boxes);
    Children children;

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

    ProcessProbe probe(static_cast<int>(target.dwProcessId));
    TopWindowList initial;
    probe.CollectTopWindows(initial);
    ProbeSource source(probe, textWindow);
    // The idle rule would end most ticks after the CPU check; the window rule runs them all.
    ProcessWatchRule rule(kConditionWindowCount, true, initial.Count(), L"bench target window");

    // Alternate rounds so that both loops see the same system load.
    double tickTime = 0, bareTime = 0, snapshotTime = 0;
    int met = 0, sink = 0;
    const int rounds = 5;
    for (int round = 0; round < rounds; ++round) {
        double start = Now();
        for (int i = 0; i < ticks / rounds; ++i) met += rule.Tick(source).met ? 1 : 0;
        tickTime += Now() - start;
        start = Now();
        for (int i = 0; i < ticks / rounds; ++i) sink += BareTick(target.dwProcessId, textWindow);
        bareTime += Now() - start;
        start = Now();
        for (int i = 0; i < ticks / rounds; ++i) sink += SnapshotCount(target.dwProcessId);
        snapshotTime += Now() - start;
    }
    int n = (ticks / rounds) * rounds;
    std::printf("watcher tick: %.3f ms; bare calls: %.3f ms; ratio %.2f (met %d times, should be 0)\n",
                tickTime * 1000 / n, bareTime * 1000 / n, tickTime / bareTime, met);
    std::printf("window count through a thread snapshot instead: %.3f ms (%d parent windows)\n",
                snapshotTime * 1000 / n, initial.Count());
    SetEvent(stop.Get());
    for (HANDLE thread : threads) {
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
    }

    // Processes: idle children until the system has the wanted number.
    double startSpawn = Now();
    int processes = CountSystemProcesses();
    while (processes < wantedProcesses) {
        if (!children.Start(L"idle")) break;
        ++processes;
    }
    Sleep(2000);
    std::printf("processes on the system: %d (started in %.1f s)\n", CountSystemProcesses(), Now() - startSpawn);
    ProcessList list;
    const int listRuns = 10;
    double start = Now();
    for (int i = 0; i < listRuns; ++i) EnumerateProcesses(list);
    double listTime = (Now() - start) / listRuns;
    std::printf("EnumerateProcesses: %.2f ms per call, %d entries listed\n", listTime * 1000, list.Count());
    std::printf("boxes shown: %d\n", boxes.count);
    SetMessageBoxPresenter(nullptr);
    return sink == -1 ? 1 : 0;
}
