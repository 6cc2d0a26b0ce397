// Shared by the process benchmarks: children of the benchmark itself that fill the
// system with processes, a count of the system's processes, and a presenter that counts
// the program's boxes instead of showing them.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstdio>
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
    std::vector<DWORD> ids(8192);
    DWORD bytes = 0;
    if (!K32EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) return 0;
    return static_cast<int>(bytes / sizeof(DWORD));
}

// Children of this executable started as "<self> --child <role>", ended with the job.
class Children {
public:
    Children() : job_(CreateJobObjectW(nullptr, nullptr)) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_.Get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }
    ~Children() {
        for (PROCESS_INFORMATION& info : started_) {
            TerminateProcess(info.hProcess, 0);
            CloseHandle(info.hThread);
            CloseHandle(info.hProcess);
        }
    }
    Children(const Children&) = delete;
    Children& operator=(const Children&) = delete;

    bool Start(const wchar_t* role, PROCESS_INFORMATION* out = nullptr) {
        std::wstring self = ExePath();
        std::wstring commandLine = L"\"" + self + L"\" --child " + role;
        std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
        buffer.push_back(0);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (!CreateProcessW(self.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return false;
        AssignProcessToJobObject(job_.Get(), info.hProcess);
        started_.push_back(info);
        if (out) *out = info;
        return true;
    }

private:
    UniqueHandle job_;
    std::vector<PROCESS_INFORMATION> started_;
};

}  // namespace bench
