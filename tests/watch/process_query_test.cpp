// Process and window inspection against the real system: this test process, its own
// windows and threads, and a helper program that ends.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/handles.h"
#include "tests/common/box_recorder.h"
#include "watch/process_query.h"

namespace {

std::wstring HelperExe(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    return dir.substr(0, dir.find_last_of(L'\\')) + L"\\" + name + L".exe";
}

// Starts the watch_target helper with one argument and waits until it is idle; the caller
// owns both handles.
bool StartWatchTarget(const wchar_t* argument, PROCESS_INFORMATION* info) {
    std::wstring exe = HelperExe(L"watch_target");
    std::wstring commandLine = L"\"" + exe + L"\" " + argument;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    *info = PROCESS_INFORMATION();
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, info))
        return false;
    WaitForInputIdle(info->hProcess, 10000);
    return true;
}

// A plain window of this thread, shown or hidden, at a given size.
HWND MakeWindow(int width, int height, bool visible, const wchar_t* title = L"probe") {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW cls = {};
        cls.lpfnWndProc = DefWindowProcW;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"TLRPROBETESTWINDOW";
        RegisterClassW(&cls);
        registered = true;
    }
    return CreateWindowExW(WS_EX_TOOLWINDOW, L"TLRPROBETESTWINDOW", title, WS_POPUP | (visible ? WS_VISIBLE : 0), 10,
                           10, width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

bool ListHas(const TopWindowList& list, HWND window) {
    for (int i = 0; i < list.Count(); ++i) {
        if (list.At(i) == window) return true;
    }
    return false;
}

void BurnCpu(DWORD ms) {
    DWORD start = GetTickCount();
    volatile unsigned long long x = 0;
    while (GetTickCount() - start < ms) x = x + 1;
}

}  // namespace

TEST(ProcessProbe, CountsOnlyVisibleWindowsLargerThanFourPixels) {
    BoxRecorder boxes;
    ProcessProbe probe(static_cast<int>(GetCurrentProcessId()));
    TopWindowList before;
    probe.CollectTopWindows(before);

    HWND tiny = MakeWindow(2, 2, true);
    HWND hidden = MakeWindow(300, 200, false);
    ASSERT_TRUE(tiny && hidden);
    TopWindowList list;
    probe.CollectTopWindows(list);
    EXPECT_EQ(list.Count(), before.Count());
    EXPECT_FALSE(ListHas(list, tiny));
    EXPECT_FALSE(ListHas(list, hidden));

    HWND counted = MakeWindow(3, 2, true);
    ASSERT_TRUE(counted);
    probe.CollectTopWindows(list);
    EXPECT_EQ(list.Count(), before.Count() + 1);
    EXPECT_TRUE(ListHas(list, counted));

    DestroyWindow(counted);
    DestroyWindow(hidden);
    DestroyWindow(tiny);
    probe.CollectTopWindows(list);
    EXPECT_EQ(list.Count(), before.Count());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(ProcessProbe, CpuDeltaOfThisProcess) {
    BoxRecorder boxes;
    ProcessProbe probe(static_cast<int>(GetCurrentProcessId()));
    BurnCpu(200);
    unsigned long long peek = probe.CpuDelta(false);
    EXPECT_GT(peek, 0u);
    // Without updating the baseline stays: a later look sees at least as much.
    BurnCpu(50);
    unsigned long long later = probe.CpuDelta(true);
    EXPECT_GE(later, peek);
    // After updating, the next delta counts only the time since.
    unsigned long long next = probe.CpuDelta(true);
    EXPECT_LT(next, later);
    EXPECT_FALSE(probe.HasEnded());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(ProcessProbe, AnEndedOrMissingProcessCountsAsEnded) {
    BoxRecorder boxes;
    ProcessProbe none(0);
    EXPECT_TRUE(none.HasEnded());
    EXPECT_EQ(none.CpuDelta(true), 0u);
    EXPECT_EQ(CpuPercentText(none.CpuDelta(true)).str(), L"0.00000");
    TopWindowList list;
    none.CollectTopWindows(list);
    EXPECT_EQ(list.Count(), 0);

    PROCESS_INFORMATION info;
    ASSERT_TRUE(StartWatchTarget(L"probe-target", &info)) << "cannot start watch_target";
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);

    // Right after the baseline the delta can be no more than the time between the two
    // readings, give or take a tick of the system's clock on each side (15.625 ms on
    // Windows, 10 ms under Wine). (Under Wine another process's time is the caller's.)
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    ProcessProbe probe(static_cast<int>(info.dwProcessId));
    EXPECT_FALSE(probe.HasEnded());
    unsigned long long delta = probe.CpuDelta(true);
    QueryPerformanceCounter(&after);
    unsigned long long elapsed =
        static_cast<unsigned long long>((after.QuadPart - before.QuadPart) * 10000000 / frequency.QuadPart);
    EXPECT_LE(delta, elapsed + 2 * 156250) << "elapsed " << elapsed;
    EXPECT_FALSE(ProcessStartTimeText(static_cast<int>(info.dwProcessId)).IsEmpty());

    TerminateProcess(info.hProcess, 0);
    ASSERT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(probe.HasEnded());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(EnumerateProcesses, ListsThisProcessWithItsPathAndAttributes) {
    BoxRecorder boxes;
    ProcessList list;
    EnumerateProcesses(list);
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    int found = -1;
    for (int i = 0; i < list.Count(); ++i) {
        ProcessEntry entry = list.Entry(i);
        EXPECT_TRUE(IsListedProcessPath(entry.path));
        if (entry.record.id == static_cast<int>(GetCurrentProcessId())) found = i;
    }
    ASSERT_GE(found, 0);
    ProcessEntry me = list.Entry(found);
    EXPECT_EQ(lstrcmpiW(me.path.c_str(), self), 0);
#ifdef TLR_BUILD32
    EXPECT_EQ(me.record.bitness, kBitness32);
#else
    EXPECT_EQ(me.record.bitness, kBitness64);
#endif
    EXPECT_TRUE(me.record.canTerminate);

    // A second enumeration refills rather than appends.
    int count = list.Count();
    EnumerateProcesses(list);
    EXPECT_LE(list.Count(), count + 5);
    EXPECT_GE(list.Count(), 1);
    EXPECT_TRUE(boxes.boxes.empty());
}

// Every process that the module list names with a listed path (the way of reading paths
// that needs more access) is listed, under that same path, with its bitness and whether it
// may be ended; a started helper among them.
TEST(EnumerateProcesses, ListsWhatTheModuleListNamesUnderTheSamePath) {
    BoxRecorder boxes;
    PROCESS_INFORMATION info;
    ASSERT_TRUE(StartWatchTarget(L"listed-target", &info));
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);

    ProcessList list;
    EnumerateProcesses(list);
    std::vector<DWORD> ids;
    ASSERT_TRUE(ListProcessIds(ids));
    int compared = 0;
    bool helperSeen = false;
    for (DWORD id : ids) {
        UniqueHandle full(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
        if (!full) continue;
        wchar_t path[MAX_PATH] = {};
        HMODULE module = nullptr;
        DWORD needed = 0;
        if (K32EnumProcessModules(full.Get(), &module, sizeof(module), &needed))
            K32GetModuleFileNameExW(full.Get(), module, path, MAX_PATH);
        if (!IsListedProcessPath(path)) continue;
        // A process that ended between the two looks is not compared.
        DWORD code = 0;
        if (!GetExitCodeProcess(full.Get(), &code) || code != STILL_ACTIVE) continue;
        int at = -1;
        for (int i = 0; i < list.Count() && at < 0; ++i) {
            if (list.Entry(i).record.id == static_cast<int>(id)) at = i;
        }
        ASSERT_GE(at, 0) << "process " << id << " is not listed";
        ProcessEntry entry = list.Entry(at);
        EXPECT_EQ(entry.path.str(), std::wstring(path)) << "process " << id;
        BOOL wow64 = FALSE;
        ASSERT_TRUE(IsWow64Process(full.Get(), &wow64));
#ifdef TLR_BUILD32
        EXPECT_EQ(entry.record.bitness, kBitness32);
#else
        EXPECT_EQ(entry.record.bitness, wow64 ? kBitness32 : kBitness64) << "process " << id;
#endif
        UniqueHandle ending(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
        EXPECT_EQ(entry.record.canTerminate, ending.IsValid()) << "process " << id;
        EXPECT_NE(entry.record.elevation, 0) << "process " << id;
        ++compared;
        if (id == info.dwProcessId) helperSeen = true;
    }
    EXPECT_TRUE(helperSeen);
    EXPECT_GE(compared, 2);
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 10000);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(ProcessStartTimeText, FormatOfThisProcess) {
    BoxRecorder boxes;
    std::wstring text = ProcessStartTimeText(static_cast<int>(GetCurrentProcessId())).str();
    ASSERT_EQ(text.size(), 23u) << std::string(text.begin(), text.end());
    EXPECT_EQ(text[4], L'/');
    EXPECT_EQ(text[7], L'/');
    EXPECT_EQ(text[10], L' ');
    EXPECT_EQ(text[13], L':');
    EXPECT_EQ(text[19], L'.');
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    EXPECT_EQ(std::stoi(text.substr(0, 4)), now.wYear);
    EXPECT_EQ(ProcessStartTimeText(0).str(), L"0");
}

TEST(ThreadWindowTexts, ThreadLineThenItsWindowsWithTheirTexts) {
    BoxRecorder boxes;
    HWND shown = MakeWindow(200, 100, true, L"first window");
    HWND hidden = MakeWindow(1, 1, false, L"hidden window");
    ASSERT_TRUE(shown && hidden);
    ThreadWindowTexts texts;
    CollectThreadWindowTexts(static_cast<int>(GetCurrentProcessId()), texts);
    std::wstring myLine = L"thread id =" + std::to_wstring(GetCurrentThreadId());
    int threadLine = texts.lines.IndexOf(myLine.c_str());
    ASSERT_GE(threadLine, 0);
    EXPECT_EQ(texts.values[static_cast<size_t>(threadLine)], 0);
    // Both windows, hidden ones included, follow this thread's line before the next thread.
    int shownAt = -1, hiddenAt = -1;
    for (int i = threadLine + 1; i < texts.lines.Count() && texts.values[static_cast<size_t>(i)] != 0; ++i) {
        if (texts.values[static_cast<size_t>(i)] == reinterpret_cast<LONG_PTR>(shown)) shownAt = i;
        if (texts.values[static_cast<size_t>(i)] == reinterpret_cast<LONG_PTR>(hidden)) hiddenAt = i;
    }
    ASSERT_GE(shownAt, 0);
    ASSERT_GE(hiddenAt, 0);
    EXPECT_EQ(texts.lines[shownAt].str(), L"first window");
    EXPECT_EQ(texts.lines[hiddenAt].str(), L"hidden window");
    EXPECT_EQ(texts.lines.Count(), static_cast<int>(texts.values.size()));
    DestroyWindow(shown);
    DestroyWindow(hidden);
}

TEST(WindowTextRead, AHungWindowDoesNotHoldTheReader) {
    std::atomic<HWND> window{nullptr};
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(release, nullptr);
    UniqueHandle releaseOwner(release);
    // A thread that makes a window and then stops answering until released.
    std::thread owner([&window, release] {
        HWND w = MakeWindow(100, 100, true, L"silent window");
        window = w;
        WaitForSingleObject(release, 20000);
        DestroyWindow(w);
    });
    while (!window.load()) Sleep(10);

    WideString text(L"stale");
    DWORD start = GetTickCount();
    bool answered = ReadWindowTextBounded(window.load(), text, 300);
    DWORD elapsed = GetTickCount() - start;
    SetEvent(release);
    owner.join();
    EXPECT_FALSE(answered);
    EXPECT_TRUE(text.IsEmpty());
    // Bounded: far less than the 20 seconds the window stays silent.
    EXPECT_LT(elapsed, 5000u);

    // A window that answers gives its text; a destroyed one reads as empty.
    HWND mine = MakeWindow(100, 100, true, L"answering window");
    EXPECT_TRUE(ReadWindowTextBounded(mine, text));
    EXPECT_EQ(text.str(), L"answering window");
    DestroyWindow(mine);
    EXPECT_TRUE(ReadWindowTextBounded(mine, text));
    EXPECT_TRUE(text.IsEmpty());
}

// The watch opens the process once and keeps it: it follows that process to its end and
// holds its id, so the system cannot give the id to another process while the watch runs.
TEST(WatchedProcess, FollowsTheProcessItWasSetOnToItsEnd) {
    BoxRecorder boxes;
    PROCESS_INFORMATION info;
    ASSERT_TRUE(StartWatchTarget(L"probe-target", &info));
    CloseHandle(info.hThread);
    DWORD id = info.dwProcessId;

    WatchedProcess watched(static_cast<int>(id));
    ASSERT_EQ(watched.Opening(), WatchOpening::Opened);
    EXPECT_FALSE(watched.HasEnded());
    unsigned long long delta = 1;
    EXPECT_TRUE(watched.CpuDelta(&delta));
    ASSERT_TRUE(TerminateProcess(info.hProcess, 0));
    ASSERT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
    CloseHandle(info.hProcess);

    EXPECT_TRUE(watched.HasEnded());
    // Nobody but the watch holds the ended process now, and its id still names it.
    HANDLE again = OpenProcess(SYNCHRONIZE, FALSE, id);
    EXPECT_NE(again, nullptr) << "the id was let go while the watch runs";
    if (again) {
        EXPECT_EQ(WaitForSingleObject(again, 0), WAIT_OBJECT_0) << "the id names another process";
        CloseHandle(again);
    }
    TopWindowList windows;
    watched.CollectTopWindows(windows);
    EXPECT_EQ(windows.Count(), 0);
    EXPECT_TRUE(boxes.boxes.empty());
}

// An id that names no process meets the watch at once; one that exists but refuses is
// refused, never taken for ended.
TEST(WatchedProcess, AnIdOfNoProcessHasEndedAndARefusalIsNoEnd) {
    BoxRecorder boxes;
    WatchedProcess none(0);
    EXPECT_EQ(none.Opening(), WatchOpening::Gone);
    EXPECT_TRUE(none.HasEnded());
    unsigned long long delta = 7;
    EXPECT_FALSE(none.CpuDelta(&delta));
    EXPECT_EQ(delta, 0u);
    EXPECT_TRUE(boxes.boxes.empty());

    EXPECT_EQ(ClassifyWatchOpening(true, ERROR_SUCCESS), WatchOpening::Opened);
    EXPECT_EQ(ClassifyWatchOpening(false, ERROR_INVALID_PARAMETER), WatchOpening::Gone);
    EXPECT_EQ(ClassifyWatchOpening(false, ERROR_ACCESS_DENIED), WatchOpening::Refused);
    EXPECT_EQ(ClassifyWatchOpening(false, ERROR_NOT_ENOUGH_QUOTA), WatchOpening::Refused);
    EXPECT_EQ(ClassifyWatchOpening(false, ERROR_NO_SYSTEM_RESOURCES), WatchOpening::Refused);
    EXPECT_STREQ(kProcessNotWatchableText, L"このプロセスは監視できません");
}

// A window that goes away between the visibility and the rectangle questions is
// skipped without a box: a box there would hold every later tick.
namespace {
BOOL WINAPI AlwaysVisible(HWND) {
    return TRUE;
}
BOOL WINAPI GoneBeforeItsRectangle(HWND, LPRECT) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
}
BOOL WINAPI LargeRectangle(HWND, LPRECT rect) {
    *rect = {0, 0, 3, 2};
    return TRUE;
}
}  // namespace

TEST(ParentWindowFilter, AWindowThatWentAwayIsSkippedWithoutABox) {
    BoxRecorder boxes;
    HWND someWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
    EXPECT_FALSE(IsParentWindow(someWindow, ParentWindowCalls{AlwaysVisible, GoneBeforeItsRectangle}));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(IsParentWindow(someWindow, ParentWindowCalls{AlwaysVisible, LargeRectangle}));
}
