// Shared by the benchmarks: a clock, the summary of repeated measurements, and the goals
// the figures are held to. Every benchmark states its goals, prints each figure beside
// its goal, and ends with exit code 1 when a figure misses its goal, so that
// scripts/bench.sh shows a regression at a glance.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

// Milliseconds on the performance counter.
inline double NowMs() {
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// This executable's own path and its folder (the programs are built beside it).
inline std::wstring ExePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

inline std::wstring ExeDir() {
    std::wstring path = ExePath();
    return path.substr(0, path.find_last_of(L'\\'));
}

// Looks for a visible top-level window of one process that the predicate accepts.
template <typename Shown>
struct WindowSearch {
    DWORD pid;
    Shown* shown;
    bool found;

    static BOOL CALLBACK Visit(HWND window, LPARAM param) {
        WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != search->pid || !IsWindowVisible(window) || !(*search->shown)(window)) return TRUE;
        search->found = true;
        return FALSE;
    }
};

// A predicate of TimeToWindow that takes the first window shown.
inline bool AnyWindow(HWND) {
    return true;
}

// Milliseconds from CreateProcess to the first visible top-level window of the process
// that shown(window) accepts; -1 when the process cannot start, ends first or shows none
// within 20 s. The process is then ended and waited for, so that the next start finds the
// single-instance name free again.
template <typename Shown>
double TimeToWindow(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder, Shown shown) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    double start = NowMs();
    if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return -1;
    double elapsed = -1;
    for (;;) {
        WindowSearch<Shown> search = {pi.dwProcessId, &shown, false};
        EnumWindows(&WindowSearch<Shown>::Visit, reinterpret_cast<LPARAM>(&search));
        double ms = NowMs() - start;
        if (search.found) {
            elapsed = ms;
            break;
        }
        if (ms > 20000 || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        Sleep(1);
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return elapsed;
}

// The median of a set of measurements with their spread: the first and third quartiles
// and the extremes.
struct Summary {
    double median = 0;
    double lowerQuartile = 0;
    double upperQuartile = 0;
    double minimum = 0;
    double maximum = 0;
    size_t count = 0;
};

inline double Quantile(const std::vector<double>& sorted, double q) {
    if (sorted.empty()) return 0;
    double at = q * static_cast<double>(sorted.size() - 1);
    size_t below = static_cast<size_t>(at);
    size_t above = below + 1 < sorted.size() ? below + 1 : below;
    double part = at - static_cast<double>(below);
    return sorted[below] + (sorted[above] - sorted[below]) * part;
}

inline Summary Summarize(std::vector<double> samples) {
    Summary summary;
    if (samples.empty()) return summary;
    std::sort(samples.begin(), samples.end());
    summary.count = samples.size();
    summary.median = Quantile(samples, 0.5);
    summary.lowerQuartile = Quantile(samples, 0.25);
    summary.upperQuartile = Quantile(samples, 0.75);
    summary.minimum = samples.front();
    summary.maximum = samples.back();
    return summary;
}

// "median 1.23 ms (quartiles 1.10 to 1.40, range 0.90 to 3.00, 100 runs)"
inline void PrintSummary(const char* what, const Summary& s, const char* unit) {
    std::printf("%s: median %.3f %s (quartiles %.3f to %.3f, range %.3f to %.3f, %zu runs)\n", what, s.median, unit,
                s.lowerQuartile, s.upperQuartile, s.minimum, s.maximum, s.count);
}

// The goals of one benchmark. Each check prints the figure, the goal and whether it is
// met; ExitCode is 1 when any goal was missed.
class Goals {
public:
    explicit Goals(const char* benchmark) : benchmark_(benchmark) {}

    bool AtMost(const char* figure, double value, double limit, const char* unit) {
        return Report(figure, value, value <= limit, "at most", limit, unit);
    }
    bool AtLeast(const char* figure, double value, double limit, const char* unit) {
        return Report(figure, value, value >= limit, "at least", limit, unit);
    }
    // A condition that the measurement itself depends on (the work was really done).
    bool Holds(const char* what, bool holds) {
        std::printf("%s %s: %s\n", holds ? "goal met:   " : "GOAL MISSED:", what, holds ? "yes" : "no");
        if (!holds) ++missed_;
        return holds;
    }

    int ExitCode() const {
        if (missed_)
            std::printf("%s: %d goal(s) missed\n", benchmark_, missed_);
        else
            std::printf("%s: every goal met\n", benchmark_);
        return missed_ ? 1 : 0;
    }

private:
    bool Report(const char* figure, double value, bool met, const char* relation, double limit, const char* unit) {
        std::printf("%s %s %.3f %s (goal: %s %.3f %s)\n", met ? "goal met:   " : "GOAL MISSED:", figure, value, unit,
                    relation, limit, unit);
        if (!met) ++missed_;
        return met;
    }

    const char* benchmark_;
    int missed_ = 0;
};

}  // namespace bench
