// The process watcher on this test process itself, whose processor time the system gives
// everywhere (under Wine the time of another process cannot be read): what the CPU field
// shows while the process works and after it stops, and the samples behind it.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "common/box_recorder.h"
#include "watch/process_query.h"
#include "watch/process_watcher.h"

namespace {
const DWORD kLimitMs = 30000;

void BurnCpu(DWORD ms) {
    DWORD start = GetTickCount();
    volatile unsigned long long x = 0;
    while (GetTickCount() - start < ms) x = x + 1;
}

// Kernel and user time of this process, in 100 ns units.
unsigned long long OwnCpuTime() {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return k.QuadPart + u.QuadPart;
}

// The shown percentage times 100000 (the delta of one sample), or -1 for another text.
long long ShownDelta(const std::wstring& text) {
    size_t point = text.find(L'.');
    if (point == std::wstring::npos || point == 0 || text.size() != point + 6) return -1;
    long long whole = 0, fraction = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i == point) continue;
        if (text[i] < L'0' || text[i] > L'9') return -1;
        long long& part = i < point ? whole : fraction;
        part = part * 10 + (text[i] - L'0');
    }
    return whole * 100000 + fraction;
}

std::wstring FieldText(HWND dialog, int id) {
    wchar_t text[64] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, id), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        &ignored);
    return text;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The watcher's dialog, once the thread that runs it shows it.
HWND FindWatchDialog(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(thread, FindDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Waits until the field shows a sample for which the test holds.
template <typename Test>
bool WaitForSample(HWND dialog, Test test, std::wstring* last) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kLimitMs) {
        *last = FieldText(dialog, kWatchCpuEdit);
        long long delta = ShownDelta(*last);
        if (delta >= 0 && test(delta)) return true;
        Sleep(50);
    }
    return false;
}
}  // namespace

// Each sample counts the processor time since the one before: a busy second shows a
// large share, the quiet seconds after it show almost nothing again.
TEST(ProcessWatcherOnItself, TheCpuFieldShowsEachSecondsOwnTime) {
    BoxRecorder boxes;
    ProcessWatcher watcher(L"C:\\tests\\watch_tests.exe", static_cast<int>(GetCurrentProcessId()), 0, nullptr, 1,
                           L"cmd", false);
    std::atomic<bool> busyShown{false}, quietShown{false};
    std::wstring busyText, quietText;
    const DWORD dialogThread = GetCurrentThreadId();
    std::thread observer([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 600 && !dialog; ++i) {
            dialog = FindWatchDialog(dialogThread);
            if (!dialog) Sleep(50);
        }
        if (!dialog) {
            PostThreadMessageW(dialogThread, WM_QUIT, 0, 0);
            return;
        }
        // At least a tenth of a processor in one second while this thread works.
        std::atomic<bool> burning{true};
        std::thread burner([&] {
            while (burning) BurnCpu(20);
        });
        busyShown = WaitForSample(
            dialog, [](long long delta) { return delta >= 1000000; }, &busyText);
        burning = false;
        burner.join();
        // Below a twentieth once nothing works: the time of the busy seconds is not
        // counted again.
        quietShown = WaitForSample(
            dialog, [](long long delta) { return delta < 500000; }, &quietText);
        PostMessageW(dialog, WM_COMMAND, kWatchCancelButton, 0);
    });
    INT_PTR result = watcher.RunDialog();
    observer.join();
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(busyShown) << "a busy process showed no processor time; last shown: "
                           << std::string(busyText.begin(), busyText.end());
    EXPECT_TRUE(quietShown) << "the processor time did not fall back after the work; last shown: "
                            << std::string(quietText.begin(), quietText.end());
    EXPECT_TRUE(boxes.boxes.empty());
}

// The samples behind the field: each reading moves the baseline forward.
TEST(ProcessWatcherOnItself, EachSampleStartsWhereTheLastEnded) {
    BoxRecorder boxes;
    WatchedProcess process(static_cast<int>(GetCurrentProcessId()));
    ASSERT_EQ(process.Opening(), WatchOpening::Opened);
    ProbeSource source(process, nullptr);
    // Works until the system counts 200 ms of processor time for this process.
    unsigned long long before = OwnCpuTime();
    while (OwnCpuTime() - before < 2000000) BurnCpu(20);
    unsigned long long busy = source.CpuDelta();
    EXPECT_GE(busy, 2000000u) << "200 ms of work read as less";
    EXPECT_TRUE(source.CpuWasRead());
    unsigned long long next = source.CpuDelta();
    EXPECT_LT(next, busy / 2) << "the work was counted again";
    EXPECT_FALSE(source.HasEnded());
    WideString text(L"unchanged");
    EXPECT_TRUE(source.ReadWatchedText(text));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_TRUE(boxes.boxes.empty());
}
