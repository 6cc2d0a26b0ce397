// Cost of the screen watch on a 1920 x 1080 area:
//  1. one watcher tick against the floor, a bare loop of BitBlt, GetDIBits into one
//     reused buffer and memcmp, measured in alternating rounds of the same run;
//  2. the processor time that a watch of 60 seconds costs (its own message loop with the
//     1000 ms timer), and the peak memory of the process after it (measured before the
//     floor's own buffers exist).
// Arguments: [ticks per round] [seconds of the watch].
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "watch/screen_watcher.h"

namespace {
const RECT kArea = {0, 0, 1920, 1080};

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double ProcessCpuMilliseconds() {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return static_cast<double>(k.QuadPart + u.QuadPart) / 10000.0;
}

// The floor: the same copy, read-out and comparison with nothing around them.
class Floor {
public:
    Floor() : screen_(GetDC(GetDesktopWindow())) {
        memory_ = CreateCompatibleDC(screen_);
        bitmap_ = CreateCompatibleBitmap(screen_, width_, height_);
        header_.biSize = sizeof(header_);
        header_.biWidth = width_;
        header_.biHeight = height_;
        header_.biPlanes = 1;
        header_.biBitCount = 24;
        size_t size = static_cast<size_t>(((width_ * 24 + 31) / 32) * 4) * static_cast<size_t>(height_);
        reference_.assign(size, 0);
        current_.assign(size, 0);
        Grab(reference_);
    }
    ~Floor() {
        DeleteObject(bitmap_);
        DeleteDC(memory_);
        ReleaseDC(GetDesktopWindow(), screen_);
    }
    bool Tick() {
        Grab(current_);
        return std::memcmp(current_.data(), reference_.data(), current_.size()) != 0;
    }

private:
    void Grab(std::vector<unsigned char>& buffer) {
        HGDIOBJ previous = SelectObject(memory_, bitmap_);
        BitBlt(memory_, 0, 0, width_, height_, screen_, kArea.left, kArea.top, SRCCOPY);
        SelectObject(memory_, previous);
        BITMAPINFO info = {};
        info.bmiHeader = header_;
        GetDIBits(memory_, bitmap_, 0, static_cast<UINT>(height_), buffer.data(), &info, DIB_RGB_COLORS);
    }

    int width_ = kArea.right - kArea.left;
    int height_ = kArea.bottom - kArea.top;
    HDC screen_;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    BITMAPINFOHEADER header_ = {};
    std::vector<unsigned char> reference_;
    std::vector<unsigned char> current_;
};

// Drops the quit that a tick posts if the screen happened to change.
bool DrainQuit() {
    MSG msg;
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            continue;
        }
        DispatchMessageW(&msg);
    }
    return quit;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void CALLBACK EndWatch(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(0);
}
}  // namespace

int main(int argc, char** argv) {
    int ticksPerRound = argc > 1 ? std::atoi(argv[1]) : 20;
    int watchSeconds = argc > 2 ? std::atoi(argv[2]) : 60;
    const int rounds = 7;

    PROCESS_MEMORY_COUNTERS_EX before = {};
    before.cb = sizeof(before);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&before), sizeof(before));
    ScreenWatcher watcher(kArea, false, L"", 1, L"bench");
    if (!watcher.IsReady()) {
        std::printf("the watcher could not picture the area\n");
        return 1;
    }
    DrainQuit();

    // A whole watch of the area first, so that the peak memory is the watcher's alone:
    // the run's own loop, ended by a timer.
    double cpuBefore = ProcessCpuMilliseconds();
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    UINT_PTR timer = SetTimer(nullptr, 0, static_cast<UINT>(watchSeconds) * 1000u, EndWatch);
    int code = watcher.RunScreenWatch();
    KillTimer(nullptr, timer);
    QueryPerformanceCounter(&end);
    double cpu = ProcessCpuMilliseconds() - cpuBefore;
    double wall = Milliseconds(start, end);
    std::printf("watch of %d s (ended with code %d): %.0f ms of processor time in %.0f ms, %.2f%% of one core\n",
                watchSeconds, code, cpu, wall, 100.0 * cpu / wall);

    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof(memory))) {
        std::printf(
            "peak working set: %.1f MB, peak private bytes: %.1f MB (%.1f MB before the watcher; one "
            "picture: %.1f MB)\n",
            memory.PeakWorkingSetSize / 1048576.0, memory.PeakPagefileUsage / 1048576.0,
            before.PagefileUsage / 1048576.0, watcher.Picture()->ImageSize() / 1048576.0);
    }

    Floor floor;

    // Alternating rounds, so that both see the same state of the machine.
    std::vector<double> floorTimes, tickTimes;
    int changes = 0;
    for (int round = 0; round < rounds; ++round) {
        LARGE_INTEGER a, b, c;
        QueryPerformanceCounter(&a);
        for (int i = 0; i < ticksPerRound; ++i) changes += floor.Tick() ? 1 : 0;
        QueryPerformanceCounter(&b);
        for (int i = 0; i < ticksPerRound; ++i) watcher.Tick();
        QueryPerformanceCounter(&c);
        if (DrainQuit()) ++changes;
        floorTimes.push_back(Milliseconds(a, b) / ticksPerRound);
        tickTimes.push_back(Milliseconds(b, c) / ticksPerRound);
    }
    double floorMs = Median(floorTimes);
    double tickMs = Median(tickTimes);
    std::printf("area 1920 x 1080, %d rounds of %d ticks\n", rounds, ticksPerRound);
    std::printf("floor (BitBlt, GetDIBits, memcmp): %.2f ms per tick (median of rounds)\n", floorMs);
    std::printf("watcher tick:                      %.2f ms per tick (median of rounds)\n", tickMs);
    std::printf("ratio tick / floor:                %.3f (goal: at most 1.05)\n", tickMs / floorMs);
    if (changes) std::printf("note: the screen changed during %d measurements\n", changes);

    return 0;
}
