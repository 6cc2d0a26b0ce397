// Time from starting a program to its first visible window, for TLR64.exe (the box of a
// wrong argument) against a minimal program that only shows a message box, alternating
// the two in one run under the same system. Also prints the sizes of both programs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {
std::wstring ExeDir() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    return p.substr(0, p.find_last_of(L'\\'));
}

struct Search {
    DWORD pid;
    bool found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
    Search* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && IsWindowVisible(window)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess to the first visible top-level window, or -1.
double TimeToFirstWindow(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return -1;
    double elapsed = -1;
    for (;;) {
        Search search = {pi.dwProcessId, false};
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
        QueryPerformanceCounter(&now);
        double ms =
            1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        if (search.found) {
            elapsed = ms;
            break;
        }
        if (ms > 20000 || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        Sleep(1);
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
}  // namespace

int main() {
    const int kRuns = 15;
    std::wstring dir = ExeDir();
    std::wstring program = dir + L"\\TLR64.exe";
    std::wstring minimal = dir + L"\\minimal_box.exe";
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // One warm-up of each, not counted.
    TimeToFirstWindow(program, L"/x", temp);
    TimeToFirstWindow(minimal, L"", temp);
    std::vector<double> programTimes, minimalTimes;
    for (int i = 0; i < kRuns; ++i) {
        programTimes.push_back(TimeToFirstWindow(program, L"/x", temp));
        minimalTimes.push_back(TimeToFirstWindow(minimal, L"", temp));
    }
    double p = Median(programTimes), m = Median(minimalTimes);
    std::printf("start to first window, median of %d: TLR64.exe %.1f ms, minimal box %.1f ms, ratio %.2f\n", kRuns, p,
                m, m > 0 ? p / m : 0.0);
    std::printf("size: TLR64.exe %lld bytes", FileSize(program));
    long long size32 = FileSize(dir + L"\\..\\..\\x86\\bin\\TLR32.exe");
    if (size32 >= 0) std::printf(", TLR32.exe %lld bytes", size32);
    std::printf(", minimal box %lld bytes\n", FileSize(minimal));
    return 0;
}
