// Shared by the benchmarks: a clock, the summary of repeated measurements, the goals the
// figures are held to, and what a benchmark says when it cannot finish. Every benchmark
// states its goals, prints each figure beside its goal, and ends with exit code 1 when a
// figure misses its goal, so that scripts/bench.sh shows a regression at a glance; one
// that cannot finish says which step, call and process stopped it and ends with code 2.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace bench {

// The step a benchmark is in, for the last words of one that stops.
inline std::string& CurrentStep() {
    static std::string step = "starting";
    return step;
}

// Names the step that follows, on the output and for a stop inside it.
inline void Step(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    CurrentStep() = text;
    std::printf("-- %s\n", text);
}

// Ends a benchmark that cannot go on: what failed, in which step. Exit code 2.
[[noreturn]] inline void CannotFinish(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    std::printf("CANNOT FINISH (%s): %s\n", CurrentStep().c_str(), text);
    std::fflush(stdout);
    std::exit(2);
}

inline LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    std::printf("CANNOT FINISH (%s): exception 0x%08lx at %p\n", CurrentStep().c_str(),
                static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                info->ExceptionRecord->ExceptionAddress);
    std::fflush(stdout);
    ExitProcess(2);
    return EXCEPTION_EXECUTE_HANDLER;
}

// First thing of every benchmark: the output is written at once, so that nothing printed
// is lost when the process is ended, and a crash names the step it stopped in instead of
// ending the benchmark without a word.
inline void Begin() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(ReportCrash);
}

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

// The visible top-level windows of a process, as "class \"title\"" texts, for a start that
// did not show what was awaited.
struct VisibleWindows {
    DWORD pid;
    std::string text;

    static BOOL CALLBACK Visit(HWND window, LPARAM param) {
        VisibleWindows* found = reinterpret_cast<VisibleWindows*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != found->pid || !IsWindowVisible(window)) return TRUE;
        char name[64] = {}, title[128] = {};
        GetClassNameA(window, name, sizeof(name));
        GetWindowTextA(window, title, sizeof(title));
        found->text += std::string(found->text.empty() ? "" : ", ") + name + " \"" + title + "\"";
        return TRUE;
    }
};

// Milliseconds from CreateProcess to the first visible top-level window of the process
// that shown(window) accepts; -1 when the process cannot start, ends first or shows none
// within 20 s, with a line that says which. The process is then ended and waited for, so
// that the next start finds the single-instance name free again.
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
    if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
        std::printf("  CreateProcessW of %ls failed with error %lu\n", exe.c_str(), GetLastError());
        return -1;
    }
    double elapsed = -1;
    for (;;) {
        WindowSearch<Shown> search = {pi.dwProcessId, &shown, false};
        EnumWindows(&WindowSearch<Shown>::Visit, reinterpret_cast<LPARAM>(&search));
        double ms = NowMs() - start;
        if (search.found) {
            elapsed = ms;
            break;
        }
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(pi.hProcess, &code);
            std::printf("  %ls %ls ended with exit code %lu before it showed what was awaited\n", exe.c_str(),
                        arguments.c_str(), code);
            break;
        }
        if (ms > 20000) {
            VisibleWindows windows = {pi.dwProcessId, std::string()};
            EnumWindows(&VisibleWindows::Visit, reinterpret_cast<LPARAM>(&windows));
            std::printf("  %ls %ls showed no awaited window within 20 s; its windows: %s\n", exe.c_str(),
                        arguments.c_str(), windows.text.empty() ? "none" : windows.text.c_str());
            break;
        }
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
    // The ratio of a figure to its floor, with the floor and the figure.
    bool RatioAtMost(const char* figure, double value, double floor, double limit) {
        std::printf("            %s: %.3f ms against a floor of %.3f ms\n", figure, value, floor);
        return AtMost(figure, floor > 0 ? value / floor : 0.0, limit, "x");
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

// A figure at two sizes and the ratio between them: how a cost grows.
inline void PrintGrowth(const char* figure, const char* smallSize, double small, const char* largeSize, double large,
                        const char* unit) {
    std::printf("growth of %s: %.3f %s at %s, %.3f %s at %s, ratio %.2f\n", figure, small, unit, smallSize, large, unit,
                largeSize, small > 0 ? large / small : 0.0);
}

}  // namespace bench
