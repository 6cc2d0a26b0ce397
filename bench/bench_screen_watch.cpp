// Cost of the screen watch on a 1920 x 1080 area.
//  1. A whole watch of some seconds (the run's own loop with its 1000 ms timer): its
//     processor time, and the peak private memory of the process after it, measured
//     before the floor's own buffers exist.
//     Goal: the peak at most the two pictures (reference and current) + 4 MB.
//  2. One watcher tick against the floor that the tick used to cost: BitBlt into a
//     compatible bitmap, GetDIBits into a reused buffer, memcmp. Alternating rounds of
//     the same run, medians of the rounds.
//     Goal: the tick at most 0.8 x the floor.
// Every timed comparison, the floor's and the tick's, must see one changed pixel: the
// last of the picture's last row, so that each really compared the whole picture.
// Arguments: [ticks per round] [seconds of the watch].
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/bench_common.h"
#include "watch/screen_geometry.h"
#include "watch/screen_watcher.h"

namespace {
const RECT kArea = {0, 0, 1920, 1080};
// The picture's rows are bottom-up: its last bytes are the top row's last pixel.
const POINT kLastPixel = {kArea.right - 1, kArea.top};
const COLORREF kPatchColour = RGB(220, 60, 20);

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

size_t PrivateBytes(bool peak) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) return 0;
    return peak ? counters.PeakPagefileUsage : counters.PagefileUsage;
}

// The floor: copy, read-out and comparison as the tick used to make them, with nothing
// around them.
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
        size_t size = static_cast<size_t>(ImageSize(width_, height_));
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

// The watcher's own picture of the area, counting what its comparisons found.
class CountingPicture : public AreaPicture {
public:
    explicit CountingPicture(const RECT& area) : picture_(area) {}
    bool IsReady() const override { return picture_.IsReady(); }
    void TakeReference() override { picture_.TakeReference(); }
    bool HasChanged() override {
        ++comparisons;
        bool changed = picture_.HasChanged();
        if (changed) ++changes;
        return changed;
    }
    size_t ImageSize() const { return picture_.ImageSize(); }
    int comparisons = 0;
    int changes = 0;

private:
    ScreenPicture picture_;
};

// The changed pixel: a top-most window of 1 x 1 pixels.
LRESULT CALLBACK PatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HBRUSH brush = CreateSolidBrush(kPatchColour);
        FillRect(dc, &paint.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;  // a tick that saw the change
        DispatchMessageW(&msg);
    }
}

bool ScreenShows(POINT at, COLORREF colour) {
    HDC screen = GetDC(nullptr);
    COLORREF shown = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return shown == colour;
}

bool WaitForScreen(POINT at, COLORREF colour) {
    for (int i = 0; i < 500; ++i) {
        Pump();
        if (ScreenShows(at, colour)) return true;
        Sleep(20);
    }
    return false;
}

void CALLBACK EndWatch(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(0);
}
}  // namespace

int main(int argc, char** argv) {
    int ticksPerRound = argc > 1 ? std::atoi(argv[1]) : 20;
    int watchSeconds = argc > 2 ? std::atoi(argv[2]) : 30;
    const int rounds = 9;
    bench::Goals goals("bench_screen_watch");

    // Measured before the process has any window, as the program is before its watch.
    size_t before = PrivateBytes(false);
    std::unique_ptr<CountingPicture> owned(new CountingPicture(kArea));
    CountingPicture* picture = owned.get();
    ScreenWatcher watcher(kArea, false, L"", 1, L"bench", nullptr, std::move(owned));
    if (!watcher.IsReady()) {
        std::printf("the watcher could not picture the area\n");
        return 1;
    }

    // A whole watch first, so that the peak memory is the watcher's alone.
    double cpuBefore = ProcessCpuMilliseconds();
    double start = bench::NowMs();
    UINT_PTR timer = SetTimer(nullptr, 0, static_cast<UINT>(watchSeconds) * 1000u, EndWatch);
    int code = watcher.RunScreenWatch();
    KillTimer(nullptr, timer);
    double wall = bench::NowMs() - start;
    double cpu = ProcessCpuMilliseconds() - cpuBefore;
    std::printf(
        "watch of %d s (%d ticks, ended with code %d): %.0f ms of processor time in %.0f ms, %.2f%% of one "
        "core\n",
        watchSeconds, picture->comparisons, code, cpu, wall, 100.0 * cpu / wall);
    goals.Holds("the watch saw no change of the still screen", code == 0 && picture->changes == 0);

    double mb = 1048576.0;
    double pictures = 2.0 * static_cast<double>(picture->ImageSize()) / mb;
    double peak = static_cast<double>(PrivateBytes(true)) / mb;
    std::printf("private bytes: %.1f MB before the watcher, peak %.1f MB; one picture %.1f MB\n", before / mb, peak,
                picture->ImageSize() / mb);
    goals.AtMost("peak private bytes", peak, pictures + 4.0, "MB");

    Floor floor;
    // From now on the last pixel differs from both references: a top-most window of one
    // pixel shows there.
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = PatchProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TlrBenchPixel";
    RegisterClassW(&windowClass);
    HWND patch = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"TlrBenchPixel", L"", WS_POPUP | WS_VISIBLE,
                                 kLastPixel.x, kLastPixel.y, 1, 1, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!patch || !WaitForScreen(kLastPixel, kPatchColour)) {
        std::printf("the changed pixel does not show\n");
        return 1;
    }

    // Alternating rounds, so that both see the same state of the machine.
    std::vector<double> floorTimes, tickTimes;
    int floorChanges = 0;
    int tickComparisons = 0;
    int tickChanges = 0;
    for (int round = 0; round < rounds; ++round) {
        double a = bench::NowMs();
        for (int i = 0; i < ticksPerRound; ++i) floorChanges += floor.Tick() ? 1 : 0;
        int comparisonsBefore = picture->comparisons;
        int changesBefore = picture->changes;
        double b = bench::NowMs();
        for (int i = 0; i < ticksPerRound; ++i) watcher.Tick();
        double c = bench::NowMs();
        tickComparisons += picture->comparisons - comparisonsBefore;
        tickChanges += picture->changes - changesBefore;
        Pump();  // the quit that each tick posted, and the watcher's own timer
        floorTimes.push_back((b - a) / ticksPerRound);
        tickTimes.push_back((c - b) / ticksPerRound);
    }
    int timed = rounds * ticksPerRound;
    bench::Summary floorSummary = bench::Summarize(floorTimes);
    bench::Summary tickSummary = bench::Summarize(tickTimes);
    std::printf("area %ld x %ld, %d rounds of %d ticks\n", kArea.right - kArea.left, kArea.bottom - kArea.top, rounds,
                ticksPerRound);
    bench::PrintSummary("floor (BitBlt, GetDIBits, memcmp) per tick", floorSummary, "ms");
    bench::PrintSummary("watcher tick                      per tick", tickSummary, "ms");
    goals.Holds("every timed tick of the watcher compared and saw the last pixel",
                tickComparisons == timed && tickChanges == timed);
    goals.Holds("every timed tick of the floor saw the last pixel", floorChanges == timed);
    goals.AtMost("tick / floor", tickSummary.median / floorSummary.median, 0.8, "");

    DestroyWindow(patch);
    return goals.ExitCode();
}
