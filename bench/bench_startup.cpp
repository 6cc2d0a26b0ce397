// Time from starting a program to its first visible window: TLR64.exe with a wrong
// argument (its box of a refused start) against yardsticks that only show the same box:
// without a manifest, with the program's manifest less Common Controls 6, and with the
// program's manifest as it is. The programs take turns, in an order that rotates from round
// to round, so that all of them meet the same state of the machine.
// Goal: TLR64.exe at most 1.15 x the yardstick with the same manifest (medians). The
// ratio to the box without a manifest is printed too: the difference between the two
// yardsticks is what the Common Controls 6 of the manifest cost every start.
// Argument: [rounds].
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_common.h"

namespace {

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

struct Contender {
    const char* label;
    std::wstring exe;
    std::wstring arguments;
    std::vector<double> times;
};
}  // namespace

int main(int argc, char** argv) {
    bench::Begin();
    int rounds = argc > 1 ? std::atoi(argv[1]) : 21;
    bench::Goals goals("bench_startup");
    std::wstring dir = bench::ExeDir();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::vector<Contender> contenders = {
        {"TLR64.exe /x (refused argument)", dir + L"\\TLR64.exe", L"/x", {}},
        {"box, no manifest", dir + L"\\yardstick_box.exe", L"", {}},
        {"box, program's manifest without Common Controls 6", dir + L"\\yardstick_box_plain_manifest.exe", L"", {}},
        {"box, program's manifest", dir + L"\\yardstick_box_manifest.exe", L"", {}},
    };
    const size_t count = contenders.size();
    // Warm-up, not counted.
    for (Contender& c : contenders) bench::TimeToWindow(c.exe, c.arguments, temp, bench::AnyWindow);
    bool allShown = true;
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < count; ++i) {
            Contender& c = contenders[(i + static_cast<size_t>(round)) % count];
            double ms = bench::TimeToWindow(c.exe, c.arguments, temp, bench::AnyWindow);
            if (ms < 0) allShown = false;
            c.times.push_back(ms);
        }
    }
    goals.Holds("every start showed its first window", allShown);
    std::vector<bench::Summary> summaries;
    for (Contender& c : contenders) {
        summaries.push_back(bench::Summarize(c.times));
        bench::PrintSummary(c.label, summaries.back(), "ms");
    }
    double program = summaries[0].median;
    std::printf("TLR64.exe / box without a manifest: %.3f\n", program / summaries[1].median);
    std::printf("what Common Controls 6 in the manifest costs the box: %.1f ms\n",
                summaries[3].median - summaries[2].median);
    goals.AtMost("TLR64.exe / box with the program's manifest", program / summaries[3].median, 1.15, "");

    std::printf("size: TLR64.exe %lld bytes", FileSize(contenders[0].exe));
    long long size32 = FileSize(dir + L"\\..\\..\\x86\\bin\\TLR32.exe");
    if (size32 >= 0) std::printf(", TLR32.exe %lld bytes", size32);
    std::printf(", box %lld bytes\n", FileSize(contenders[1].exe));
    return goals.ExitCode();
}
