// The program's view of other programs: the running processes with their paths and
// attributes, the processor time, end and top-level windows of one process, and the texts
// of its windows. Nothing holds a handle between calls.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/handles.h"
#include "app/string_list.h"
#include "app/wide_string.h"
#include "watch/process_text.h"

// Refills the list with the processes whose path is a drive or network path (in the 32-bit
// build each virtual DOS machine's 16-bit tasks come before it). A process is listed when
// the least access (PROCESS_QUERY_LIMITED_INFORMATION) opens it. When the system cannot
// list the processes the list stays as it was.
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
    // opened or its times cannot be read (the baseline then stays; a failed read is
    // reported once for the life of the probe). With update set the current times become
    // the baseline.
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
    mutable bool timesReported_ = false;
};

// How a watch could open the process it was set on, from the system's answer: a handle;
// no process of that id (ERROR_INVALID_PARAMETER: it has ended, or never was); or a
// process that exists but refuses (access denied, a quota under load).
enum class WatchOpening { Opened, Gone, Refused };
WatchOpening ClassifyWatchOpening(bool opened, DWORD error);
// The box of a watch refused that way.
extern const wchar_t kProcessNotWatchableText[];  // "このプロセスは監視できません"

// The process a watch was set on (in the 32-bit build, a 16-bit task through its thread),
// opened once when the watch starts with SYNCHRONIZE and PROCESS_QUERY_LIMITED_INFORMATION
// and held for the watch's life: the watch follows that process and never another one
// that the system gives the same id later. It has ended when its handle is signalled.
// A call that fails while the process is held is reported once for the life of the watch.
class WatchedProcess {
public:
    explicit WatchedProcess(int id);
    WatchedProcess(const WatchedProcess&) = delete;
    WatchedProcess& operator=(const WatchedProcess&) = delete;

    int Id() const { return id_; }
    WatchOpening Opening() const { return opening_; }
    // True once the process has ended, and from the start when the id named no process.
    bool HasEnded();
    // Processor time since the last reading (100 ns units), which becomes the baseline.
    // False when the times could not be read: that second says nothing about idleness.
    bool CpuDelta(unsigned long long* delta);
    // Refills the list with the process's parent windows.
    void CollectTopWindows(TopWindowList& list) const;

private:
    bool ReadTimes(unsigned long long* kernel, unsigned long long* user);

    int id_;
    UniqueHandle handle_;
    WatchOpening opening_ = WatchOpening::Gone;
    unsigned long long kernelBase_ = 0;
    unsigned long long userBase_ = 0;
    bool waitReported_ = false;
    bool timesReported_ = false;
};

// The two questions the parent-window filter asks of a window, so that a test can make a
// window go away between them.
struct ParentWindowCalls {
    BOOL(WINAPI* isVisible)(HWND);
    BOOL(WINAPI* getRect)(HWND, LPRECT);
};
const ParentWindowCalls& SystemParentWindowCalls();
// Whether the window counts as a parent window. One that went away between the two
// questions does not count, and shows no box: windows come and go all the time.
bool IsParentWindow(HWND window, const ParentWindowCalls& calls);

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
TopWindowList CollectTopWindowsOf(const WatchedProcess& process);
WideString ReadInitialWindowText(HWND window, bool* known);
