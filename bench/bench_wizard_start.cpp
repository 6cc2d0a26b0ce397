// Time from starting TLR64.exe without arguments to the wizard's first page on the screen,
// against the time from starting it with a wrong argument to its error box, alternating
// the two in one run under the same system. The wizard loads the common controls, builds
// the sheet and its first page and reads the settings file; the goal is that all of this
// costs at most half again the plainest start the program has.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_common.h"

namespace {

BOOL CALLBACK FindVisiblePage(HWND child, LPARAM param) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (std::wstring(name) == L"#32770" && IsWindowVisible(child)) {
        *reinterpret_cast<bool*>(param) = true;
        return FALSE;
    }
    return TRUE;
}

// A window that shows a page: the sheet with its first page made.
bool ShowsPage(HWND window) {
    bool page = false;
    EnumChildWindows(window, FindVisiblePage, reinterpret_cast<LPARAM>(&page));
    return page;
}

}  // namespace

int main() {
    const int kRuns = 15;
    bench::Goals goals("bench_wizard_start");
    std::wstring program = bench::ExeDir() + L"\\TLR64.exe";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"tlr-bench-wizard-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);

    // One warm-up of each, not counted.
    bench::TimeToWindow(program, L"/x", folder, bench::AnyWindow);
    bench::TimeToWindow(program, L"", folder, ShowsPage);
    std::vector<double> wizardTimes, boxTimes;
    bool allShown = true;
    for (int i = 0; i < kRuns; ++i) {
        double box = bench::TimeToWindow(program, L"/x", folder, bench::AnyWindow);
        double wizard = bench::TimeToWindow(program, L"", folder, ShowsPage);
        if (box < 0 || wizard < 0) allShown = false;
        boxTimes.push_back(box);
        wizardTimes.push_back(wizard);
    }
    DeleteFileW((folder + L"\\TLR.ini").c_str());
    RemoveDirectoryW(folder.c_str());

    goals.Holds("every start showed its window within 20 s", allShown);
    bench::Summary wizard = bench::Summarize(wizardTimes);
    bench::Summary box = bench::Summarize(boxTimes);
    bench::PrintSummary("start to the first wizard page", wizard, "ms");
    bench::PrintSummary("start to the wrong-argument box", box, "ms");
    goals.AtMost("wizard start / wrong-argument start", box.median > 0 ? wizard.median / box.median : 0.0, 1.5, "");
    return goals.ExitCode();
}
