// Shared by the process benchmarks: children of the benchmark itself that fill the
// system with processes or windows, a count of the system's processes, and a presenter
// that counts the program's boxes instead of showing them.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/handles.h"
#include "app/message_box.h"
#include "bench/bench_common.h"

namespace bench {

class CountingPresenter : public MessageBoxPresenter {
public:
    int Present(HWND, const WideString& text, UINT) override {
        ++count;
        std::fwprintf(stderr, L"box: %ls\n", text.c_str());
        return IDOK;
    }
    int count = 0;
};

inline int CountSystemProcesses() {
    std::vector<DWORD> ids(16384);
    DWORD bytes = 0;
    if (!K32EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) return 0;
    return static_cast<int>(bytes / sizeof(DWORD));
}

// The event by which a child says that it is ready: named after the child's process id.
inline std::wstring ReadyEventName(DWORD processId) {
    return L"Local\\TollerupBenchReady" + std::to_wstring(processId);
}

// Called by a child once it is what the benchmark needs (its windows made, and so on).
inline void SignalReady() {
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, ReadyEventName(GetCurrentProcessId()).c_str());
    if (!ready) return;
    SetEvent(ready);
    CloseHandle(ready);
}

// Children of this executable started as "<self> --child <role> [argument]", ended with
// the job. A child counts only once it has said that it is ready: figures are taken with
// every child fully started, never while some are still starting.
class Children {
public:
    Children() : job_(CreateJobObjectW(nullptr, nullptr)) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_.Get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }
    // Ends every child and waits (up to 30 s) until each has gone, so that the next
    // benchmark starts on a system without them.
    ~Children() {
        std::vector<HANDLE> processes;
        for (Child& child : children_) {
            TerminateProcess(child.process, 0);
            processes.push_back(child.process);
        }
        DWORD start = GetTickCount();
        for (size_t i = 0; i < processes.size(); i += MAXIMUM_WAIT_OBJECTS) {
            DWORD count = static_cast<DWORD>(std::min<size_t>(MAXIMUM_WAIT_OBJECTS, processes.size() - i));
            DWORD spent = GetTickCount() - start;
            if (spent >= 30000) break;
            WaitForMultipleObjects(count, processes.data() + i, TRUE, 30000 - spent);
        }
        for (Child& child : children_) {
            CloseHandle(child.process);
            CloseHandle(child.ready);
        }
    }
    Children(const Children&) = delete;
    Children& operator=(const Children&) = delete;

    // Starts one child; a child that cannot be started ends the benchmark with the call
    // that failed.
    DWORD Start(const wchar_t* role, const std::wstring& argument = std::wstring()) {
        std::wstring self = ExePath();
        std::wstring commandLine = L"\"" + self + L"\" --child " + role;
        if (!argument.empty()) commandLine += L" " + argument;
        std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
        buffer.push_back(0);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        // A system that is still ending the processes of an earlier program can refuse a
        // start for a moment: tried again for up to 20 s before the benchmark gives up.
        DWORD firstTry = GetTickCount();
        int tries = 0;
        for (;;) {
            ++tries;
            if (CreateProcessW(self.c_str(), buffer.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                               nullptr, &startup, &info))
                break;
            DWORD error = GetLastError();
            if (GetTickCount() - firstTry >= 20000)
                CannotFinish("CreateProcessW of child %zu (%ls) failed with error %lu (%d tries in %lu ms); %d processes "
                             "on the system",
                             children_.size() + 1, role, error, tries, GetTickCount() - firstTry,
                             CountSystemProcesses());
            Sleep(500);
        }
        Child child = {info.hProcess, nullptr, info.dwProcessId, role, false};
        // The event exists before the child runs, so that it cannot signal too early.
        child.ready = CreateEventW(nullptr, TRUE, FALSE, ReadyEventName(info.dwProcessId).c_str());
        DWORD eventError = GetLastError();
        AssignProcessToJobObject(job_.Get(), info.hProcess);
        children_.push_back(child);
        if (!child.ready) {
            TerminateProcess(info.hProcess, 1);
            CloseHandle(info.hThread);
            CannotFinish("CreateEventW for child %zu (pid %lu) failed with error %lu", children_.size(),
                         info.dwProcessId, eventError);
        }
        if (ResumeThread(info.hThread) == static_cast<DWORD>(-1))
            CannotFinish("ResumeThread of child %zu (pid %lu) failed with error %lu", children_.size(),
                         info.dwProcessId, GetLastError());
        CloseHandle(info.hThread);
        return info.dwProcessId;
    }

    // Starts idle children until the system has the wanted number of processes, and waits
    // until every one of them is ready.
    void FillSystemTo(int wantedProcesses, DWORD timeoutMs) {
        int processes = CountSystemProcesses();
        while (processes < wantedProcesses) {
            Start(L"idle");
            ++processes;
        }
        WaitUntilReady(timeoutMs);
    }

    // Waits until every child started so far is ready; one that ends first or is not ready
    // in time ends the benchmark, named with its process id and what it did.
    void WaitUntilReady(DWORD timeoutMs) {
        DWORD start = GetTickCount();
        for (size_t i = 0; i < children_.size(); ++i) {
            Child& child = children_[i];
            if (child.isReady) continue;
            DWORD spent = GetTickCount() - start;
            DWORD left = spent < timeoutMs ? timeoutMs - spent : 0;
            HANDLE both[2] = {child.ready, child.process};
            DWORD waited = WaitForMultipleObjects(2, both, FALSE, left);
            if (waited == WAIT_OBJECT_0) {
                child.isReady = true;
                continue;
            }
            size_t ready = 0;
            for (const Child& c : children_) ready += c.isReady ? 1 : 0;
            if (waited == WAIT_OBJECT_0 + 1) {
                DWORD code = 0;
                GetExitCodeProcess(child.process, &code);
                CannotFinish(
                    "child %zu (%ls, pid %lu) ended with exit code 0x%lx before it was ready (%zu of %zu ready)", i + 1,
                    child.role.c_str(), child.processId, code, ready, children_.size());
            }
            if (waited == WAIT_TIMEOUT)
                CannotFinish("child %zu (%ls, pid %lu) was not ready within %lu s (%zu of %zu ready)", i + 1,
                             child.role.c_str(), child.processId, timeoutMs / 1000, ready, children_.size());
            CannotFinish("WaitForMultipleObjects for child %zu (pid %lu) failed with error %lu", i + 1, child.processId,
                         GetLastError());
        }
    }

    size_t Count() const { return children_.size(); }
    DWORD ProcessId(size_t index) const { return children_[index].processId; }
    HANDLE Process(size_t index) const { return children_[index].process; }

private:
    struct Child {
        HANDLE process;
        HANDLE ready;
        DWORD processId;
        std::wstring role;
        bool isReady;
    };

    UniqueHandle job_;
    std::vector<Child> children_;
};

// "--child <role> [argument]" on the command line: the role and its argument.
inline bool ChildRole(int argc, wchar_t** argv, std::wstring* role, std::wstring* argument) {
    if (argc < 3 || std::wcscmp(argv[1], L"--child") != 0) return false;
    *role = argv[2];
    *argument = argc > 3 ? argv[3] : L"";
    return true;
}

// The idle child: ready at once, then waits until it is ended.
inline int RunIdleChild() {
    SignalReady();
    Sleep(INFINITE);
    return 0;
}

// Starts a child of the given role that shows a window of the given title, waits until it
// is ready and returns that window; a window that does not come ends the benchmark.
inline HWND StartChildWithWindow(Children& children, const wchar_t* role, const wchar_t* title, DWORD* processId) {
    *processId = children.Start(role);
    children.WaitUntilReady(60000);
    HWND window = nullptr;
    for (int i = 0; i < 200 && !window; ++i) {
        window = FindWindowW(nullptr, title);
        if (!window) Sleep(50);
    }
    if (!window) CannotFinish("FindWindowW finds no window \"%ls\" of the watched child", title);
    return window;
}

}  // namespace bench
