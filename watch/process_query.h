// The program's view of other programs: the running processes with their paths and
// attributes, the processor time, end and top-level windows of one process, and the texts
// of its windows. Nothing holds a handle between calls.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/string_list.h"
#include "app/wide_string.h"
#include "watch/process_text.h"

// Refills the list with the processes whose main-module path is a drive or network path
// (in the 32-bit build each virtual DOS machine's 16-bit tasks come before it). When the
// system cannot list the processes the list stays as it was.
void EnumerateProcesses(ProcessList& list);

// The pieces of that listing, for a caller that keeps what it has seen. The ids of all
// running processes; false (after the box for "EnumProcesses") when the system cannot
// list them.
bool ListProcessIds(std::vector<DWORD>& ids);
// The entry of one process; false when it is not listed.
bool ReadListedProcess(DWORD processId, ProcessEntry& entry);
// The 16-bit tasks of a virtual DOS machine host, in the system's order (32-bit build;
// the 64-bit build has none).
void ListVdmTaskEntries(const ProcessEntry& host, std::vector<ProcessEntry>& tasks);

// Creation time of the process (or task thread) as local time; empty when the process
// cannot be opened ("0" for a task).
WideString ProcessStartTimeText(int id);

// The visible top-level windows of a process larger than 4 pixels in area.
class TopWindowList {
public:
    TopWindowList() { windows_.reserve(kGrowStep); }
    void Clear() { windows_.clear(); }
    void Add(HWND window);
    int Count() const { return static_cast<int>(windows_.size()); }
    HWND At(int index) const;

    static const int kGrowStep = 100;

private:
    std::vector<HWND> windows_;
};

// Samples one process (or, in the 32-bit build, one 16-bit task through its thread).
class ProcessProbe {
public:
    // Takes the process's kernel and user times as the baseline (0 when it cannot be opened).
    explicit ProcessProbe(int id);

    int Id() const { return id_; }
    // Processor time used since the baseline, in 100 ns units; 0 when the process cannot be
    // opened or its times cannot be read (the baseline then stays). With update set the
    // current times become the baseline.
    unsigned long long CpuDelta(bool update);
    // True once the process has exited, or when it can no longer be opened.
    bool HasEnded() const;
    // Refills the list with the process's parent windows.
    void CollectTopWindows(TopWindowList& list) const;

private:
    bool ReadTimes(unsigned long long* kernel, unsigned long long* user) const;

    int id_;
    unsigned long long kernelBase_ = 0;
    unsigned long long userBase_ = 0;
};

// Each thread of a process as a line ("thread id =N", value 0), followed by one line per
// top-level window of that thread with the window's text (value: the window handle).
struct ThreadWindowTexts {
    StringList lines{false};
    std::vector<LONG_PTR> values;
    void Clear() {
        lines.Clear();
        values.clear();
    }
    void Add(const WideString& line, LONG_PTR value) {
        lines.Add(line);
        values.push_back(value);
    }
};
void CollectThreadWindowTexts(int id, ThreadWindowTexts& texts);

// How long the program waits for another program's window to give its text.
const UINT kWindowTextTimeoutMs = 500;
const int kWindowTextLimit = 260;
// Reads a window's text (at most 259 characters) without waiting longer than the timeout.
// A window that no longer exists reads as the empty text. False when the window exists but
// did not answer in time (text is then empty).
bool ReadWindowTextBounded(HWND window, WideString& text, UINT timeoutMs = kWindowTextTimeoutMs);

// The 16-bit tasks of a virtual DOS machine as the system's task enumeration reports them,
// each given as its thread id and its file name in the ANSI code page.
struct VdmTaskReport {
    unsigned long threadId;
    std::string ansiFileName;
};
// Adds the tasks' entries (converted with CP_ACP) and then the host's own entry. A task
// whose thread id no identifier can name is left out.
void AddVdmHostWithTasks(ProcessList& list, const ProcessEntry& host, const std::vector<VdmTaskReport>& tasks);

// What a watch starts from: the process's parent windows, and the text of the watched
// window (empty for none; known is false when the window did not answer in time).
TopWindowList CollectTopWindowsOf(const ProcessProbe& probe);
WideString ReadInitialWindowText(HWND window, bool* known);
