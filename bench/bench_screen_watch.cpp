// Cost of the screen watch on a 1920 x 1080 area and on a 3840 x 2160 one (the display
// must be at least that large: scripts/bench.sh starts one).
//  1. A whole watch of 30 s on each area (the run's own loop with its 1000 ms timer): its
//     processor time, and the peak private memory of the process during it (the system's
//     peak, and the most seen after each picture and ten times a second), measured before
//     the floors' own buffers exist.
//     Goals: under 3% of one core; the peak at most the two pictures (reference and
//     current) + 4 MB.
//  2. One watcher tick against the floor that the tick used to cost: BitBlt into a
//     compatible bitmap, GetDIBits into a reused buffer, memcmp. Alternating rounds of
//     the same run: each round times the floor, then the tick, and gives their ratio.
//     The goal counts the median of the rounds' ratios, so that a moment when the
//     machine is slow (other virtual machines on the same host) weighs on one round
//     alone, with both of its figures.
//     Goal: the tick at most 0.5 x the floor.
// Every figure is printed for both areas with the ratio between them. Every timed
// comparison, the floor's and the tick's, must see one changed pixel: the last of the
// picture's last row, so that each really compared the whole picture.
// Arguments: [ticks per round] [seconds of each watch] [KB of a band of the picture].
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_common.h"
#include "watch/screen_geometry.h"
#include "watch/screen_watcher.h"

namespace {
const RECT kAreas[] = {{0, 0, 1920, 1080}, {0, 0, 3840, 2160}};
const COLORREF kPatchColour = RGB(220, 60, 20);

// The picture's rows are bottom-up: its last bytes are the top row's last pixel.
POINT LastPixel(const RECT& area) {
    return {area.right - 1, area.top};
}

std::string AreaName(const RECT& area) {
    return std::to_string(area.right - area.left) + " x " + std::to_string(area.bottom - area.top);
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

size_t PrivateBytes(bool peak) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) return 0;
    return peak ? counters.PeakPagefileUsage : counters.PagefileUsage;
}

// The most private bytes seen since the last reset: sampled after every picture and ten
// times a second during a watch. Wine keeps no peak of its own (its peak is the current
// figure), so the benchmark takes one.
size_t g_mostPrivate = 0;

// Bytes of one band of the watcher's picture: its own size unless the third argument
// gives another, in KB.
size_t g_bandBytes = ScreenPicture::kBandBytes;

void NotePrivateBytes() {
    g_mostPrivate = std::max(g_mostPrivate, PrivateBytes(false));
}

void CALLBACK SamplePrivateBytes(HWND, UINT, UINT_PTR, DWORD) {
    NotePrivateBytes();
}

size_t PeakPrivateBytes() {
    NotePrivateBytes();
    return std::max(g_mostPrivate, PrivateBytes(true));
}

// The floor: copy, read-out and comparison as the tick used to make them, with nothing
// around them.
class Floor {
public:
    explicit Floor(const RECT& area)
        : area_(area),
          width_(area.right - area.left),
          height_(area.bottom - area.top),
          screen_(GetDC(GetDesktopWindow())) {
        memory_ = CreateCompatibleDC(screen_);
        bitmap_ = CreateCompatibleBitmap(screen_, width_, height_);
        if (!memory_ || !bitmap_)
            bench::CannotFinish("the floor's CreateCompatibleDC or CreateCompatibleBitmap failed with error %lu",
                                GetLastError());
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
    Floor(const Floor&) = delete;
    Floor& operator=(const Floor&) = delete;
    bool Tick() {
        Grab(current_);
        return std::memcmp(current_.data(), reference_.data(), current_.size()) != 0;
    }

private:
    void Grab(std::vector<unsigned char>& buffer) {
        HGDIOBJ previous = SelectObject(memory_, bitmap_);
        BitBlt(memory_, 0, 0, width_, height_, screen_, area_.left, area_.top, SRCCOPY);
        SelectObject(memory_, previous);
        BITMAPINFO info = {};
        info.bmiHeader = header_;
        GetDIBits(memory_, bitmap_, 0, static_cast<UINT>(height_), buffer.data(), &info, DIB_RGB_COLORS);
    }

    RECT area_;
    int width_;
    int height_;
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
    CountingPicture(const RECT& area, size_t bandBytes) : picture_(area, bandBytes) {}
    bool IsReady() const override { return picture_.IsReady(); }
    void TakeReference() override {
        picture_.TakeReference();
        NotePrivateBytes();
    }
    bool HasChanged() override {
        ++comparisons;
        bool changed = picture_.HasChanged();
        if (changed) ++changes;
        NotePrivateBytes();
        return changed;
    }
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

struct WatchFigures {
    double corePercent = 0;
    double peakMb = 0;
    double tickMs = 0;
    double floorMs = 0;
};

// A whole watch of the area on a still screen: its share of one core and the peak
// private memory after it.
void MeasureWatch(bench::Goals& goals, const RECT& area, int watchSeconds, WatchFigures& figures) {
    std::string name = AreaName(area);
    bench::Step("a watch of %d s on %s", watchSeconds, name.c_str());
    size_t before = PrivateBytes(false);
    g_mostPrivate = 0;
    std::unique_ptr<CountingPicture> owned(new CountingPicture(area, g_bandBytes));
    CountingPicture* picture = owned.get();
    // The goal's picture is the 24-bit one the watch used to keep, whatever the watcher
    // keeps now.
    size_t imageSize = static_cast<size_t>(ImageSize(area.right - area.left, area.bottom - area.top));
    double cpuBefore = ProcessCpuMilliseconds();
    double start = bench::NowMs();
    int code = -1;
    {
        ScreenWatcher watcher(area, false, L"", 1, L"bench", nullptr, std::move(owned));
        if (!watcher.IsReady()) bench::CannotFinish("the watcher could not picture the area %s", name.c_str());
        UINT_PTR timer = SetTimer(nullptr, 0, static_cast<UINT>(watchSeconds) * 1000u, EndWatch);
        UINT_PTR sampler = SetTimer(nullptr, 0, 100, SamplePrivateBytes);
        code = watcher.RunScreenWatch();
        KillTimer(nullptr, sampler);
        KillTimer(nullptr, timer);
        figures.peakMb = static_cast<double>(PeakPrivateBytes()) / 1048576.0;
        goals.Holds(("the watch saw no change of the still screen, " + name).c_str(),
                    code == 0 && picture->changes == 0);
        std::printf("watch of %d s on %s (%d ticks, ended with code %d)\n", watchSeconds, name.c_str(),
                    picture->comparisons, code);
    }
    double wall = bench::NowMs() - start;
    double cpu = ProcessCpuMilliseconds() - cpuBefore;
    figures.corePercent = 100.0 * cpu / wall;
    std::printf("  %.0f ms of processor time in %.0f ms\n", cpu, wall);
    goals.AtMost(("share of one core, a watch on " + name).c_str(), figures.corePercent, 3.0, "%");

    const double mb = 1048576.0;
    double pictures = 2.0 * static_cast<double>(imageSize) / mb;
    std::printf("  private bytes: %.1f MB before the watcher, peak %.1f MB; one picture %.1f MB\n", before / mb,
                figures.peakMb, imageSize / mb);
    goals.AtMost(("peak private bytes, " + name).c_str(), figures.peakMb, pictures + 4.0, "MB");
}

// The watcher's tick against the old floor, with the last pixel of the area changed.
void MeasureTicks(bench::Goals& goals, const RECT& area, int ticksPerRound, WatchFigures& figures) {
    std::string name = AreaName(area);
    bench::Step("the tick against its floor on %s", name.c_str());
    std::unique_ptr<CountingPicture> owned(new CountingPicture(area, g_bandBytes));
    CountingPicture* picture = owned.get();
    ScreenWatcher watcher(area, false, L"", 1, L"bench", nullptr, std::move(owned));
    if (!watcher.IsReady()) bench::CannotFinish("the watcher could not picture the area %s", name.c_str());
    Floor floor(area);
    // From now on the last pixel differs from both references: a top-most window of one
    // pixel shows there.
    POINT last = LastPixel(area);
    UniqueWindow patch(CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"TlrBenchPixel", L"", WS_POPUP | WS_VISIBLE,
                                       last.x, last.y, 1, 1, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!patch) bench::CannotFinish("CreateWindowExW of the changed pixel failed with error %lu", GetLastError());
    if (!WaitForScreen(last, kPatchColour))
        bench::CannotFinish("the changed pixel does not show at (%ld, %ld) within 10 s", last.x, last.y);

    // Alternating rounds, so that both see the same state of the machine.
    const int rounds = 15;
    std::vector<double> floorTimes, tickTimes, ratios;
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
        ratios.push_back(floorTimes.back() > 0 ? tickTimes.back() / floorTimes.back() : 0.0);
    }
    int timed = rounds * ticksPerRound;
    bench::Summary floorSummary = bench::Summarize(floorTimes);
    bench::Summary tickSummary = bench::Summarize(tickTimes);
    std::printf("area %s, %d rounds of %d ticks\n", name.c_str(), rounds, ticksPerRound);
    bench::PrintSummary("  floor (BitBlt, GetDIBits, memcmp) per tick", floorSummary, "ms");
    bench::PrintSummary("  watcher tick                      per tick", tickSummary, "ms");
    goals.Holds(("every timed tick of the watcher compared and saw the last pixel, " + name).c_str(),
                tickComparisons == timed && tickChanges == timed);
    goals.Holds(("every timed tick of the floor saw the last pixel, " + name).c_str(), floorChanges == timed);
    bench::Summary ratioSummary = bench::Summarize(ratios);
    bench::PrintSummary("  tick / floor             in one round", ratioSummary, "x");
    std::printf("  the medians' ratio: %.3f x\n",
                floorSummary.median > 0 ? tickSummary.median / floorSummary.median : 0.0);
    goals.AtMost(("tick / floor, median of the rounds, " + name).c_str(), ratioSummary.median, 0.5, "x");
    figures.tickMs = tickSummary.median;
    figures.floorMs = floorSummary.median;
}
}  // namespace

int main(int argc, char** argv) {
    bench::Begin();
    int ticksPerRound = argc > 1 ? std::atoi(argv[1]) : 20;
    int watchSeconds = argc > 2 ? std::atoi(argv[2]) : 30;
    if (argc > 3 && std::atoi(argv[3]) > 0) g_bandBytes = static_cast<size_t>(std::atoi(argv[3])) * 1024;
    bench::Goals goals("bench_screen_watch");

    const RECT& largest = kAreas[1];
    int screenWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (screenWidth < largest.right || screenHeight < largest.bottom)
        bench::CannotFinish("the display is %d x %d; the area %s needs a display of at least that size", screenWidth,
                            screenHeight, AreaName(largest).c_str());

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = PatchProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TlrBenchPixel";
    RegisterClassW(&windowClass);

    // The whole watches first, so that the peak memory is the watchers' alone: the smaller
    // area first, since the peak only grows.
    WatchFigures figures[2];
    for (int i = 0; i < 2; ++i) MeasureWatch(goals, kAreas[i], watchSeconds, figures[i]);
    for (int i = 0; i < 2; ++i) MeasureTicks(goals, kAreas[i], ticksPerRound, figures[i]);

    std::string small = AreaName(kAreas[0]), large = AreaName(kAreas[1]);
    bench::PrintGrowth("the watcher tick", small.c_str(), figures[0].tickMs, large.c_str(), figures[1].tickMs, "ms");
    bench::PrintGrowth("the floor of a tick", small.c_str(), figures[0].floorMs, large.c_str(), figures[1].floorMs,
                       "ms");
    bench::PrintGrowth("a watch's share of one core", small.c_str(), figures[0].corePercent, large.c_str(),
                       figures[1].corePercent, "%");
    bench::PrintGrowth("the peak private bytes", small.c_str(), figures[0].peakMb, large.c_str(), figures[1].peakMb,
                       "MB");
    return goals.ExitCode();
}
