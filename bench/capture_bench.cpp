// Time and memory of the desktop capture: CaptureDesktop of the whole desktop (as the run
// makes it, with the outline of a screen watch) into a file, repeated. Prints the time of
// each capture, the file size, and the growth of the peak private memory against the
// image size N, which the capture is meant to hold once.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/message_box.h"
#include "app/settings.h"
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
}  // namespace

int main() {
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
    std::printf("desktop %d x %d, image size N = %u bytes\n", shape.width, shape.height, shape.imageSize);

    const int runs = 10;
    std::vector<double> times;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    SIZE_T peakBefore = PeakPrivateBytes();
    for (int i = 0; i < runs; ++i) {
        QueryPerformanceCounter(&start);
        CaptureDesktop(section, layout.bounds, capturePath);
        QueryPerformanceCounter(&end);
        times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    }
    SIZE_T peakAfter = PeakPrivateBytes();
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(capturePath.c_str(), GetFileExInfoStandard, &data);

    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    std::printf("capture times (ms):");
    for (double t : times) std::printf(" %.1f", t);
    std::printf("\nmedian %.1f ms, min %.1f ms, max %.1f ms over %d captures\n", sorted[runs / 2], sorted[0],
                sorted[runs - 1], runs);
    std::printf("file size %lu bytes (expected %u)\n", data.nFileSizeLow, shape.imageSize + 54);
    std::printf("peak private memory grew by %.2f MB during the captures (N = %.2f MB)\n",
                static_cast<double>(peakAfter - peakBefore) / 1048576.0,
                static_cast<double>(shape.imageSize) / 1048576.0);
    std::printf("error boxes: %d\n", boxes.count);
    DeleteFileW(capturePath.c_str());
    DeleteFileW(section.Path().c_str());
    RemoveDirectoryW(folder.c_str());
    SetMessageBoxPresenter(nullptr);
    return boxes.count == 0 ? 0 : 1;
}
