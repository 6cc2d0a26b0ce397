// A night of watching: each periodic job of the program driven 30,000 times (a night at one
// tick a second), each followed by the messages it leaves (painting, the job's own timer),
// once the job has run on its own for a second and a half:
//  1. the countdown's tick, in the countdown dialog (30,000 s of a longer countdown);
//  2. the screen watcher's tick against a still screen;
//  3. the process watcher's tick, in its dialog, against a running process with a window
//     whose count and text are watched;
//  4. the process page's refresh of 200 rows, sorted by CPU, in a shown list with the
//     page's tooltip.
// After the first 100 ticks and at the end it prints the process's GDI objects
// (GetGuiResources GR_GDIOBJECTS), USER objects (GR_USEROBJECTS), kernel handles
// (GetProcessHandleCount) and private bytes (GetProcessMemoryInfo PrivateUsage: the
// private memory committed). Goal: no growth at all, and no tick met a condition or ended
// its dialog.
// Where the system does not count (Wine answers 0 for all of them), the benchmark counts
// itself: the GDI objects in use in the process's GDI handle table, the windows of the
// process as its USER objects, its kernel handles in the system's handle table, and the
// committed private regions of its address space (VirtualQuery). Wine's PagefileUsage is
// printed beside them: it counts the private pages that are resident, so it also grows
// when a page committed long before is touched for the first time.
// Usage: bench_night [ticks] [rows] [jobs]   (defaults 30000 200 cspl: the countdown, the
// screen watcher, the process watcher, the process page's list)
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>
#include <winternl.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "actions/countdown.h"
#include "app/handles.h"
#include "app/message_box.h"
#include "bench/bench_children.h"
#include "res/resource.h"
#include "watch/process_query.h"
#include "watch/process_watcher.h"
#include "watch/screen_watcher.h"
#include "wizard/dialog_helpers.h"
#include "wizard/process_list_view.h"
#include "wizard/process_page_logic.h"

namespace {

const wchar_t kTargetTitle[] = L"night target window";
const wchar_t kCountdownTitle[] = L"night countdown";

// --- The four figures -------------------------------------------------------------------

// One entry of Wine's GDI handle table, which each process keeps for itself and finds
// through its PEB (as Windows keeps one for the session).
struct GdiTableEntry {
    unsigned long long object;
    unsigned long owner;
    unsigned short unique;
    unsigned char type;  // 0 for a free entry
    unsigned char flags;
    unsigned long long user;
};
const int kGdiTableEntries = 0x10000;

long CountGdiTable() {
#ifdef _WIN64
    const size_t kTableOffset = 0xf8;  // PEB.GdiSharedHandleTable
#else
    const size_t kTableOffset = 0x94;
#endif
    typedef NTSTATUS(NTAPI * QueryProcess)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0) return -1;
    const char* peb = reinterpret_cast<const char*>(basic.PebBaseAddress);
    const GdiTableEntry* table = *reinterpret_cast<const GdiTableEntry* const*>(peb + kTableOffset);
    if (!table) return -1;
    long used = 0;
    for (int i = 0; i < kGdiTableEntries; ++i) used += table[i].type != 0 ? 1 : 0;
    return used;
}

struct WindowCount {
    DWORD processId;
    long count;
};

BOOL CALLBACK CountChild(HWND, LPARAM context) {
    ++reinterpret_cast<WindowCount*>(context)->count;
    return TRUE;
}

BOOL CALLBACK CountOwnWindow(HWND window, LPARAM context) {
    auto* windows = reinterpret_cast<WindowCount*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != windows->processId) return TRUE;
    ++windows->count;
    EnumChildWindows(window, CountChild, context);
    return TRUE;
}

// The windows of this process: top-level ones with all their children, and message-only ones.
long CountOwnWindows() {
    WindowCount windows = {GetCurrentProcessId(), 0};
    EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
        CountOwnWindow(window, reinterpret_cast<LPARAM>(&windows));
    return windows.count;
}

// This process's entries of the system's handle table (SystemHandleInformation).
struct SystemHandleEntry {
    ULONG processId;
    UCHAR objectType;
    UCHAR flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

long CountOwnHandles() {
    typedef NTSTATUS(NTAPI * QuerySystem)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QuerySystem>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    const ULONG kSystemHandleInformation = 16;
    const NTSTATUS kLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
           kLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0) return -1;
    ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
    long own = 0;
    for (ULONG i = 0; i < count; ++i) own += entries[i].processId == GetCurrentProcessId() ? 1 : 0;
    return own;
}

struct Figures {
    long gdi = 0;
    long user = 0;
    long handles = 0;
    double privateBytes = 0;
    // Where each came from: the system's own count, or the benchmark's.
    const char* gdiSource = "GetGuiResources";
    const char* userSource = "GetGuiResources";
    const char* handleSource = "GetProcessHandleCount";
    const char* privateSource = "PrivateUsage";
    double pagefileBytes = 0;  // PagefileUsage
};

// The committed private memory of the process's address space.
double CommittedPrivateBytes() {
    double committed = 0;
    MEMORY_BASIC_INFORMATION info;
    const char* at = nullptr;
    while (VirtualQuery(at, &info, sizeof(info)) == sizeof(info)) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) committed += static_cast<double>(info.RegionSize);
        const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return committed;
}

Figures TakeFigures() {
    Figures figures;
    HANDLE self = GetCurrentProcess();
    // A process with windows has GDI and USER objects: 0 means that the system does not count.
    figures.gdi = static_cast<long>(GetGuiResources(self, GR_GDIOBJECTS));
    if (figures.gdi == 0) {
        figures.gdi = CountGdiTable();
        figures.gdiSource = "entries in use in the GDI handle table";
    }
    figures.user = static_cast<long>(GetGuiResources(self, GR_USEROBJECTS));
    if (figures.user == 0) {
        figures.user = CountOwnWindows();
        figures.userSource = "windows of the process";
    }
    DWORD handles = 0;
    if (GetProcessHandleCount(self, &handles) && handles > 0) {
        figures.handles = static_cast<long>(handles);
    } else {
        figures.handles = CountOwnHandles();
        figures.handleSource = "the process's entries in the system's handle table";
    }
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(self, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    figures.privateBytes = static_cast<double>(memory.PrivateUsage);
    figures.pagefileBytes = static_cast<double>(memory.PagefileUsage);
    if (memory.PrivateUsage == 0) {
        figures.privateBytes = CommittedPrivateBytes();
        figures.privateSource = "committed private regions";
    }
    return figures;
}

void PrintFigures(const char* when, const Figures& f) {
    std::printf(
        "  %s: GDI objects %ld (%s), USER objects %ld (%s), kernel handles %ld (%s), private bytes %.0f (%s); "
        "PagefileUsage %.0f\n",
        when, f.gdi, f.gdiSource, f.user, f.userSource, f.handles, f.handleSource, f.privateBytes, f.privateSource,
        f.pagefileBytes);
}

// --- Driving a job ----------------------------------------------------------------------

// Dispatches what the tick left: painting, the job's own timer, notifications. A quit
// message is kept for the caller.
bool PumpPending(int* quitCode) {
    MSG message;
    bool quit = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            *quitCode = static_cast<int>(message.wParam);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return quit;
}

struct NightResult {
    Figures early;
    Figures late;
    double msPerTick = 0;
    bool stopped = false;  // a tick met a condition, or a dialog ended before its time
};

// Runs tick() the given number of times, each followed by the messages it left, with the
// figures after the first 100 ticks and at the end.
NightResult DriveTicks(const char* job, int ticks, const std::function<bool()>& tick) {
    NightResult result;
    // Counting makes buffers of its own the first time: not to be taken for the job's growth.
    TakeFigures();
    double start = bench::NowMs();
    for (int i = 1; i <= ticks; ++i) {
        if (!tick()) {
            std::printf("  %s stopped at tick %d\n", job, i);
            result.stopped = true;
            break;
        }
        if (i == 100) result.early = TakeFigures();
        if (i % 5000 == 0) {
            bench::CurrentStep() = std::string(job) + ", tick " + std::to_string(i);
            Figures now = TakeFigures();
            std::printf(
                "  tick %5d: GDI objects %ld, USER objects %ld, kernel handles %ld, private bytes %.0f, "
                "PagefileUsage %.0f\n",
                i, now.gdi, now.user, now.handles, now.privateBytes, now.pagefileBytes);
        }
    }
    result.late = TakeFigures();
    result.msPerTick = (bench::NowMs() - start) / ticks;
    return result;
}

void JudgeNight(bench::Goals& goals, const char* job, int ticks, const NightResult& night) {
    std::printf("%s: %d ticks, %.3f ms a tick\n", job, ticks, night.msPerTick);
    PrintFigures("after 100 ticks", night.early);
    PrintFigures("at the end     ", night.late);
    std::string name(job);
    goals.Holds((name + ": every tick ran, none met a condition").c_str(), !night.stopped);
    goals.AtMost((name + ": GDI objects at the end, less those after 100 ticks").c_str(),
                 static_cast<double>(night.late.gdi - night.early.gdi), 0, "");
    goals.AtMost((name + ": USER objects at the end, less those after 100 ticks").c_str(),
                 static_cast<double>(night.late.user - night.early.user), 0, "");
    goals.AtMost((name + ": kernel handles at the end, less those after 100 ticks").c_str(),
                 static_cast<double>(night.late.handles - night.early.handles), 0, "");
    goals.AtMost((name + ": private bytes at the end, less those after 100 ticks").c_str(),
                 (night.late.privateBytes - night.early.privateBytes) / 1024.0, 0, "KB");
    std::printf(
        "            %s: PagefileUsage at the end, less that after 100 ticks: %.0f KB (resident pages; "
        "no goal)\n",
        job, (night.late.pagefileBytes - night.early.pagefileBytes) / 1024.0);
}

// How long a job runs on its own before it is driven: its own timer has ticked and it is
// what it is for the rest of the night.
const double kSettleMs = 1500;

// Lets the job run on its own for a while, dispatching its messages.
void Settle() {
    double start = bench::NowMs();
    int quitCode = 0;
    while (bench::NowMs() - start < kSettleMs) {
        if (PumpPending(&quitCode)) bench::CannotFinish("the job ended with code %d before it was driven", quitCode);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

// A modal dialog is driven from inside its own loop: a thread timer starts the drive once
// the dialog has been up for a while, and the drive ends the dialog when it is done.
struct ModalDrive {
    std::function<HWND()> findDialog;
    std::function<void(HWND)> drive;
    double shownAt = 0;
    bool started = false;
};
ModalDrive* g_drive = nullptr;

void CALLBACK StartModalDrive(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!g_drive || g_drive->started) return;
    HWND dialog = g_drive->findDialog();
    if (!dialog) return;  // not shown yet: the next firing looks again
    if (g_drive->shownAt == 0) g_drive->shownAt = bench::NowMs();
    if (bench::NowMs() - g_drive->shownAt < kSettleMs) return;
    g_drive->started = true;
    KillTimer(nullptr, timer);
    g_drive->drive(dialog);
}

// --- The jobs ---------------------------------------------------------------------------

BOOL CALLBACK FindTitled(HWND window, LPARAM found) {
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    if (std::wcscmp(title, kCountdownTitle) != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void NightOfCountdown(bench::Goals& goals, int ticks) {
    bench::Step("the countdown, %d ticks", ticks);
    NightResult night;
    ModalDrive drive;
    drive.findDialog = [] {
        HWND found = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindTitled, reinterpret_cast<LPARAM>(&found));
        return found;
    };
    drive.drive = [&night, ticks](HWND dialog) {
        int quitCode = 0;
        night = DriveTicks("the countdown", ticks, [dialog, &quitCode] {
            SendMessageW(dialog, WM_TIMER, 0, 0);
            PumpPending(&quitCode);
            return IsWindow(dialog) && IsWindowVisible(dialog);
        });
        SendMessageW(dialog, WM_COMMAND, kCountdownCancelId, 0);
    };
    g_drive = &drive;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, StartModalDrive);
    // Longer than the night, so that it cannot run out.
    int result = RunCountdown(nullptr, IDI_APP, kCountdownTitle, ticks + 10000);
    KillTimer(nullptr, timer);
    g_drive = nullptr;
    if (!drive.started) bench::CannotFinish("the countdown dialog never showed (RunCountdown gave %d)", result);
    goals.Holds("the countdown: cancelled by the benchmark, not run out", result == 0);
    JudgeNight(goals, "the countdown", ticks, night);
}

void NightOfScreenWatch(bench::Goals& goals, int ticks) {
    bench::Step("the screen watcher, %d ticks", ticks);
    const RECT area = {200, 150, 840, 630};
    ScreenWatcher watcher(area, false, L"", 1, L"bench", nullptr);
    if (!watcher.IsReady()) bench::CannotFinish("the screen watcher could not picture its area");
    HWND frame = watcher.FrameWindow(0);
    Settle();
    int quitCode = -1;
    NightResult night = DriveTicks("the screen watcher", ticks, [frame, &quitCode] {
        SendMessageW(frame, WM_TIMER, 0, 0);
        // A quit with code 1: the still screen changed.
        return !PumpPending(&quitCode);
    });
    if (night.stopped) std::printf("  the watch ended with code %d\n", quitCode);
    JudgeNight(goals, "the screen watcher", ticks, night);
}

void NightOfProcessWatch(bench::Goals& goals, bench::Children& children, int ticks) {
    bench::Step("the process watcher, %d ticks", ticks);
    DWORD target = 0;
    HWND textWindow = bench::StartChildWithWindow(children, L"window", kTargetTitle, &target);

    // The window count and the window's text are watched; the idle condition stays off,
    // since an idle child meets it at its sixth tick.
    ProcessWatcher watcher(bench::ExePath().c_str(), static_cast<int>(target), kConditionWindowCount, textWindow, 1,
                           L"bench", false);
    NightResult night;
    ModalDrive drive;
    drive.findDialog = [&watcher] {
        HWND dialog = watcher.Dialog();
        return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
    };
    drive.drive = [&night, ticks](HWND dialog) {
        int quitCode = 0;
        night = DriveTicks("the process watcher", ticks, [dialog, &quitCode] {
            SendMessageW(dialog, WM_TIMER, 0, 0);
            PumpPending(&quitCode);
            return IsWindow(dialog) && IsWindowVisible(dialog);
        });
        SendMessageW(dialog, WM_COMMAND, kWatchCancelButton, 0);
    };
    g_drive = &drive;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, StartModalDrive);
    INT_PTR result = watcher.RunDialog();
    KillTimer(nullptr, timer);
    g_drive = nullptr;
    if (!drive.started)
        bench::CannotFinish("the process watcher's dialog never showed (RunDialog gave %lld)",
                            static_cast<long long>(result));
    goals.Holds("the process watcher: cancelled by the benchmark, no condition met", result == 0);
    JudgeNight(goals, "the process watcher", ticks, night);
}

// The shown list's owner passes the list's questions for CPU texts on to the view.
ProcessListView* g_view = nullptr;

LRESULT CALLBACK ListHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && g_view) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == LVN_GETDISPINFOW) g_view->OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void NightOfProcessPage(bench::Goals& goals, bench::Children& children, int ticks, int rows) {
    bench::Step("the process page, %d refreshes of %d rows", ticks, rows);
    children.FillSystemTo(rows, 300000);
    WNDCLASSW hostClass = {};
    hostClass.lpfnWndProc = ListHostProc;
    hostClass.hInstance = GetModuleHandleW(nullptr);
    hostClass.lpszClassName = L"TLRNIGHTLISTHOST";
    RegisterClassW(&hostClass);
    UniqueWindow host(CreateWindowExW(0, L"TLRNIGHTLISTHOST", L"night list", WS_POPUP | WS_VISIBLE, 900, 100, 520, 320,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!host) bench::CannotFinish("CreateWindowExW of the list's owner failed with error %lu", GetLastError());
    UniqueWindow list(CreateWindowExW(0, WC_LISTVIEWW, L"",
                                      WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0, 0, 500,
                                      300, host.Get(), nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!list) bench::CannotFinish("CreateWindowExW of the list view failed with error %lu", GetLastError());
    SystemProcessCatalog catalog;
    ProcessListModel model(catalog);
    ProcessListView view(model);
    g_view = &view;
    AttachTooltip(host.Get(), list.Get(), WideString(L"ダブルクリックするとプロセスの情報を表示します"));
    view.Attach(list.Get());
    view.Fill(0, WideString());
    int shown = static_cast<int>(SendMessageW(list.Get(), LVM_GETITEMCOUNT, 0, 0));
    std::printf("the list shows %d rows\n", shown);
    goals.Holds("the process page lists the processes", shown >= rows - 10);
    // Sorted by CPU, every refresh sorts the rows again.
    view.SortByColumn(kCpuColumn);
    Settle();
    int quitCode = 0;
    int refreshes = 0;
    int knownEarly = 0;
    NightResult night = DriveTicks("the process page", ticks, [&] {
        view.Refresh();
        if (++refreshes == 100) knownEarly = model.Count();
        return !PumpPending(&quitCode);
    });
    g_view = nullptr;
    // The page keeps every process it has seen while it is shown, so a process that starts
    // during the night makes it grow: the night is only judged without one.
    std::printf("the page knew %d processes after 100 refreshes and %d at the end\n", knownEarly, model.Count());
    goals.Holds("the process page: no process started during the night", model.Count() == knownEarly);
    JudgeNight(goals, "the process page", ticks, night);
}

// A child: "window" shows the watched window; "idle" waits.
int RunChild(const std::wstring& role) {
    if (role == L"window") {
        HWND window = CreateWindowExW(0, L"STATIC", kTargetTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!window) return 2;
        bench::SignalReady();
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        return 0;
    }
    return bench::RunIdleChild();
}

}  // namespace

int main() {
    bench::Begin();
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 1;
    std::wstring role, argument;
    if (bench::ChildRole(argc, argv, &role, &argument)) return RunChild(role);
    int ticks = argc > 1 ? _wtoi(argv[1]) : 30000;
    int rows = argc > 2 ? _wtoi(argv[2]) : 200;
    // Which jobs: letters of c (countdown), s (screen watcher), p (process watcher) and
    // l (the process page's list); all by default.
    std::wstring jobs = argc > 3 ? argv[3] : L"cspl";
    if (ticks < 200) ticks = 200;
    bench::Goals goals("bench_night");

    bench::CountingPresenter boxes;
    SetMessageBoxPresenter(&boxes);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    bench::Children children;

    if (jobs.find(L'c') != std::wstring::npos) NightOfCountdown(goals, ticks);
    if (jobs.find(L's') != std::wstring::npos) NightOfScreenWatch(goals, ticks);
    if (jobs.find(L'p') != std::wstring::npos) NightOfProcessWatch(goals, children, ticks);
    if (jobs.find(L'l') != std::wstring::npos) NightOfProcessPage(goals, children, ticks, rows);

    goals.Holds("no error box", boxes.count == 0);
    SetMessageBoxPresenter(nullptr);
    return goals.ExitCode();
}
