// Time and memory of the desktop capture: CaptureDesktop of the whole desktop (as the run
// makes it, with the outline of a screen watch) into a file, after a warm-up capture.
// Goals: the capture holds the picture once (N bytes) beside the system's own bitmap of
// the desktop, so the peak private memory of the first capture grows by at most
// N + the bitmap (4 bytes a pixel) + 2 MB; a capture takes at most the second that the
// run waits after it (median). Each capture must really write the picture: a file of
// N + 54 bytes whose pixels are those of the screen.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/message_box.h"
#include "app/settings.h"
#include "bench/bench_common.h"
#include "watch/capture.h"
#include "watch/capture_layout.h"
#include "watch/monitor_layout.h"

namespace {
// Counts boxes instead of showing them: a benchmark must not wait on a modal box.
class CountingPresenter : public MessageBoxPresenter {
public:
    int Present(HWND, const WideString& text, UINT) override {
        std::fwprintf(stderr, L"box: %ls\n", text.c_str());
        ++count;
        return IDOK;
    }
    int count = 0;
};

SIZE_T PeakPrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakPagefileUsage;
}

std::string ReadFileBytes(const WideString& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

// The file shows the screen: a few pixels away from the outline compared with the screen
// (rows bottom-up, blue, green, red).
bool FileShowsTheScreen(const std::string& bytes, const CaptureLayout& shape, const RECT& bounds) {
    if (bytes.size() != static_cast<size_t>(shape.imageSize) + 54) return false;
    HDC screen = GetDC(nullptr);
    const POINT points[] = {{0, 0},
                            {shape.width - 1, 0},
                            {shape.width / 2, shape.height / 2},
                            {0, shape.height - 1},
                            {shape.width - 1, shape.height - 1}};
    bool same = true;
    for (const POINT& p : points) {
        size_t at = 54 + static_cast<size_t>(shape.height - 1 - p.y) * shape.stride + static_cast<size_t>(p.x) * 3;
        COLORREF inFile = RGB(static_cast<unsigned char>(bytes[at + 2]), static_cast<unsigned char>(bytes[at + 1]),
                              static_cast<unsigned char>(bytes[at]));
        if (GetPixel(screen, bounds.left + p.x, bounds.top + p.y) != inFile) same = false;
    }
    ReleaseDC(nullptr, screen);
    return same;
}
}  // namespace

int main() {
    bench::Begin();
    bench::Goals goals("capture_bench");
    CountingPresenter boxes;
    SetMessageBoxPresenter(&boxes);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    WideString folder = WideString(temp) + L"tlr-capture-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    WideString capturePath = folder + L"\\Capture.bmp";
    SettingSection section(folder + L"\\TLR.ini", L"bench");
    section.WriteInt(L"WatchMode", 0);
    section.WriteInt(L"ScrLeft", 100);
    section.WriteInt(L"ScrTop", 100);
    section.WriteInt(L"ScrRight", 500);
    section.WriteInt(L"ScrBottom", 400);

    MonitorLayout layout;
    CaptureLayout shape = ComputeCaptureLayout(layout.bounds);
    const double n = static_cast<double>(shape.imageSize);
    const double bitmap = 4.0 * shape.width * shape.height;
    std::printf("desktop %d x %d, image size N = %u bytes\n", shape.width, shape.height, shape.imageSize);

    // The first capture: its growth of the peak memory, and the file it writes.
    SIZE_T peakBefore = PeakPrivateBytes();
    CaptureDesktop(section, layout.bounds, capturePath);
    double growth = static_cast<double>(PeakPrivateBytes() - peakBefore);
    goals.Holds("the capture is the screen (size N + 54, pixels of the screen)",
                FileShowsTheScreen(ReadFileBytes(capturePath), shape, layout.bounds));

    const int runs = 15;
    std::vector<double> times;
    bool everyFileWritten = true;
    for (int i = 0; i < runs; ++i) {
        DeleteFileW(capturePath.c_str());
        double start = bench::NowMs();
        CaptureDesktop(section, layout.bounds, capturePath);
        times.push_back(bench::NowMs() - start);
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (!GetFileAttributesExW(capturePath.c_str(), GetFileExInfoStandard, &data) ||
            data.nFileSizeLow != shape.imageSize + 54)
            everyFileWritten = false;
    }
    bench::Summary time = bench::Summarize(times);
    bench::PrintSummary("capture", time, "ms");
    std::printf("peak private memory grew by %.2f MB in the first capture (N = %.2f MB, bitmap %.2f MB)\n",
                growth / 1048576.0, n / 1048576.0, bitmap / 1048576.0);
    goals.Holds("every capture wrote the whole file", everyFileWritten);
    goals.AtMost("median capture", time.median, 1000.0, "ms");
    goals.AtMost("peak memory growth of a capture", growth / 1048576.0, (n + bitmap + 2.0 * 1048576.0) / 1048576.0,
                 "MB");
    goals.Holds("no error box", boxes.count == 0);
    DeleteFileW(capturePath.c_str());
    DeleteFileW(section.Path().c_str());
    RemoveDirectoryW(folder.c_str());
    SetMessageBoxPresenter(nullptr);
    return goals.ExitCode();
}
