#include "watch/process_query.h"

#include <psapi.h>
#include <tlhelp32.h>

#include "app/handles.h"
#include "app/message_box.h"
#include "app/system_info.h"
#include "app/system_library.h"

namespace {

unsigned long long FileTimeValue(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Closes a handle that the code opened itself and reports a failure under the given name.
void CloseReported(UniqueHandle& handle, const char* name) {
    ReportLastError(handle.Reset(), name);
}

#ifdef TLR_BUILD32
const bool kThirtyTwoBitBuild = true;
#else
const bool kThirtyTwoBitBuild = false;
#endif

// In the 32-bit build an identifier of 0 or below names the thread of a 16-bit task; the
// 64-bit build has no tasks, so there such an identifier names nothing.
bool IsTaskId(int id) {
    return ProbeTargetOf(id, kThirtyTwoBitBuild) != ProbeTarget::Process;
}

UniqueHandle OpenProbeHandle(int id, DWORD processAccess, DWORD threadAccess) {
    switch (ProbeTargetOf(id, kThirtyTwoBitBuild)) {
    case ProbeTarget::Process:
        return UniqueHandle(OpenProcess(processAccess, FALSE, static_cast<DWORD>(id)));
    case ProbeTarget::TaskThread:
        return UniqueHandle(OpenThread(threadAccess, FALSE, TaskThreadId(id)));
    case ProbeTarget::Nothing:
        break;
    }
    return UniqueHandle();
}

int ReadBitness(HANDLE process) {
#ifdef TLR_BUILD32
    (void)process;
    return kBitness32;
#else
    BOOL wow64 = FALSE;
    if (!IsWow64Process(process, &wow64)) return kBitnessUnknown;
    return wow64 ? kBitness32 : kBitness64;
#endif
}

// A process that ended since it was opened went away: its failures are no one's concern.
bool HasExited(HANDLE process) {
    DWORD code = STILL_ACTIVE;
    return GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
}

int ReadElevation(HANDLE process) {
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &rawToken)) {
        // The least access also opens processes whose token is not the user's to read (a
        // service, a protected process): they are listed without their elevation. A process
        // that ended meanwhile went away: no box either.
        DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && !HasExited(process)) {
            SetLastError(error);
            ReportLastError(FALSE, "OpenProcessToken");
        }
        return 0;
    }
    UniqueHandle token(rawToken);
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    BOOL read = ReportLastError(GetTokenInformation(token.Get(), TokenElevationType, &type, sizeof(type), &size),
                                "GetTokenInformation");
    CloseReported(token, "CloseHandle2");
    return read ? ElevationFromTokenType(static_cast<int>(type)) : 0;
}

// The least access that names a process and reads its bitness and elevation, and the
// right that tells whether the user may end it.
const DWORD kListingAccess = PROCESS_QUERY_LIMITED_INFORMATION;
const DWORD kEndingAccess = SYNCHRONIZE | PROCESS_TERMINATE;

// The full path of the process's image; empty when it cannot be read.
WideString ImageName(HANDLE process) {
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!QueryFullProcessImageNameW(process, 0, path, &size)) return WideString();
    return WideString(path);
}

// The path of the first module in the process's own module list (the main module), read
// from the process's memory: far slower than the image name, so asked only when the image
// name is not a listed path.
WideString MainModulePath(DWORD processId) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) return WideString();
    wchar_t path[MAX_PATH] = {};
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (K32EnumProcessModules(process.Get(), &module, sizeof(module), &needed))
        K32GetModuleFileNameExW(process.Get(), module, path, MAX_PATH);
    path[MAX_PATH - 1] = L'\0';
    CloseReported(process, "CloseHandle1");
    return WideString(path);
}

// The system's task enumeration of a virtual DOS machine, loaded from System32 when it is
// there; without it the host is listed alone.
typedef BOOL(WINAPI* TaskEnumProc)(DWORD threadId, WORD module16, WORD task16, PSTR moduleName, PSTR fileName,
                                   LPARAM context);
typedef INT(WINAPI* VdmEnumTasksProc)(DWORD processId, TaskEnumProc callback, LPARAM context);

BOOL WINAPI CollectTask(DWORD threadId, WORD, WORD, PSTR, PSTR fileName, LPARAM context) {
    auto* tasks = reinterpret_cast<std::vector<VdmTaskReport>*>(context);
    tasks->push_back({threadId, fileName ? std::string(fileName) : std::string()});
    return FALSE;  // go on with the next task
}

std::vector<VdmTaskReport> ListVdmTasks(DWORD processId) {
    std::vector<VdmTaskReport> tasks;
    SystemLibrary library(L"vdmdbg.dll");
    DWORD missing = ERROR_SUCCESS;
    auto enumerate = library.LookupAs<VdmEnumTasksProc>("VDMEnumTaskWOWEx", &missing);
    if (enumerate) enumerate(processId, CollectTask, reinterpret_cast<LPARAM>(&tasks));
    return tasks;
}

BOOL CALLBACK AddParentWindow(HWND window, LPARAM context);

struct ParentWindowSearch {
    DWORD processId;
    TopWindowList* list;
};

BOOL CALLBACK AddParentWindowOfProcess(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<ParentWindowSearch*>(context);
    DWORD owner = 0;
    if (GetWindowThreadProcessId(window, &owner) && owner == search->processId)
        AddParentWindow(window, reinterpret_cast<LPARAM>(search->list));
    return TRUE;
}

BOOL CALLBACK AddParentWindow(HWND window, LPARAM context) {
    auto* list = reinterpret_cast<TopWindowList*>(context);
    if (IsParentWindow(window, SystemParentWindowCalls())) list->Add(window);
    return TRUE;
}

void CollectTopWindowsOfId(int id, TopWindowList& list) {
    list.Clear();
    if (IsTaskId(id)) {
        if (ProbeTargetOf(id, kThirtyTwoBitBuild) == ProbeTarget::TaskThread)
            EnumThreadWindows(TaskThreadId(id), AddParentWindow, reinterpret_cast<LPARAM>(&list));
        return;
    }
    // The top-level windows of all threads of the process. One walk over the top-level
    // windows finds the same windows as asking each thread of a thread snapshot, at a
    // fraction of the cost (with 300 threads on the system, about 1 ms against 50 ms
    // under Wine).
    ParentWindowSearch search = {static_cast<DWORD>(id), &list};
    EnumWindows(AddParentWindowOfProcess, reinterpret_cast<LPARAM>(&search));
}

// The windows of one thread with their texts. A thread that let one question time out
// is not asked again: its other windows read as empty at once.
struct ThreadTextWalk {
    ThreadWindowTexts* texts;
    bool silent;
};

BOOL CALLBACK AddWindowText(HWND window, LPARAM context) {
    auto* walk = reinterpret_cast<ThreadTextWalk*>(context);
    WideString text;
    if (!walk->silent && !ReadWindowTextBounded(window, text)) walk->silent = true;
    walk->texts->Add(text, reinterpret_cast<LONG_PTR>(window));
    return TRUE;
}

void AddThreadWindowTexts(DWORD threadId, ThreadWindowTexts& texts) {
    ThreadTextWalk walk = {&texts, false};
    EnumThreadWindows(threadId, AddWindowText, reinterpret_cast<LPARAM>(&walk));
}

// Calls visit for every thread of the process in snapshot order. False (after the box
// "hSnapShot is invalid") when no snapshot could be taken.
template <typename Visit>
bool ForEachThreadOf(DWORD processId, Visit visit) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) {
        ShowErrorBox(L"hSnapShot is invalid");
        return false;
    }
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID == processId) visit(entry.th32ThreadID);
        entry.dwSize = sizeof(entry);
    }
    CloseReported(snapshot, "CloseHandle");
    return true;
}

}  // namespace

bool ReadListedProcess(DWORD processId, ProcessEntry& entry) {
    // One open answers the path, the bitness, the elevation and the right to end the
    // process; a process that refuses that right is opened again with the least access.
    UniqueHandle process(OpenProcess(kListingAccess | kEndingAccess, FALSE, processId));
    bool canTerminate = process.IsValid();
    if (!process) process.Reset(OpenProcess(kListingAccess, FALSE, processId));
    if (!process) return false;
    entry.path = ListedPathOf(ImageName(process.Get()), [processId] { return MainModulePath(processId); });
    if (entry.path.IsEmpty()) {
        CloseReported(process, "CloseHandle1");
        return false;
    }
    entry.record.id = static_cast<int>(processId);
    entry.record.bitness = ReadBitness(process.Get());
    entry.record.elevation = ReadElevation(process.Get());
    entry.record.canTerminate = canTerminate;
    CloseReported(process, "CloseHandle2");
    return true;
}

bool ListProcessIds(std::vector<DWORD>& ids) {
    bool listed = CollectProcessIds(
        [](DWORD* buffer, DWORD bytes, DWORD* returned) { return K32EnumProcesses(buffer, bytes, returned) != FALSE; },
        ids);
    if (!listed) ReportLastError(FALSE, "EnumProcesses");
    return listed;
}

void ListVdmTaskEntries(const ProcessEntry& host, std::vector<ProcessEntry>& tasks) {
    tasks.clear();
    if (!ListsTasksOf(kThirtyTwoBitBuild, host.path)) return;
    for (const VdmTaskReport& task : ListVdmTasks(static_cast<DWORD>(host.record.id)))
        tasks.push_back(MakeTaskEntry(host, task.threadId, AnsiToWide(task.ansiFileName.c_str())));
}

void EnumerateProcesses(ProcessList& list) {
    std::vector<DWORD> ids;
    if (!ListProcessIds(ids)) return;
    list.Clear();
    for (DWORD processId : ids) {
        ProcessEntry entry;
        if (!ReadListedProcess(processId, entry)) continue;
        if (ListsTasksOf(kThirtyTwoBitBuild, entry.path)) {
            AddVdmHostWithTasks(list, entry, ListVdmTasks(processId));
            continue;
        }
        list.Add(entry);
    }
}

void AddVdmHostWithTasks(ProcessList& list, const ProcessEntry& host, const std::vector<VdmTaskReport>& tasks) {
    for (const VdmTaskReport& task : tasks) {
        ProcessEntry entry = MakeTaskEntry(host, task.threadId, AnsiToWide(task.ansiFileName.c_str()));
        // A thread id that no identifier can name is left out.
        if (entry.record.id != 0) list.Add(entry);
    }
    list.Add(host);
}

WideString ProcessStartTimeText(int id) {
    UniqueHandle handle = OpenProbeHandle(id, PROCESS_QUERY_INFORMATION, THREAD_QUERY_INFORMATION);
    if (!handle) return IsTaskId(id) ? WideString(L"0") : WideString();
    FILETIME created = {}, ended = {}, kernel = {}, user = {};
    BOOL read;
    if (IsTaskId(id))
        read = ReportLastError(GetThreadTimes(handle.Get(), &created, &ended, &kernel, &user), "GetThreadTimes");
    else
        read = ReportLastError(GetProcessTimes(handle.Get(), &created, &ended, &kernel, &user), "GetProcessTimes");
    CloseReported(handle, "CloseHandle");
    if (!read) return WideString();
    FILETIME local = {};
    SYSTEMTIME time = {};
    if (!FileTimeToLocalFileTime(&created, &local) || !FileTimeToSystemTime(&local, &time)) return WideString();
    return StartTimeText(time);
}

void TopWindowList::Add(HWND window) {
    if (windows_.size() == windows_.capacity()) windows_.reserve(windows_.size() + kGrowStep);
    windows_.push_back(window);
}

HWND TopWindowList::At(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return windows_[static_cast<size_t>(index)];
}

ProcessProbe::ProcessProbe(int id) : id_(id) {
    unsigned long long kernel = 0, user = 0;
    if (ReadTimes(&kernel, &user)) {
        kernelBase_ = kernel;
        userBase_ = user;
    }
}

bool ProcessProbe::ReadTimes(unsigned long long* kernel, unsigned long long* user) const {
    UniqueHandle handle = OpenProbeHandle(id_, PROCESS_QUERY_INFORMATION, THREAD_QUERY_INFORMATION);
    if (!handle) return false;
    FILETIME created = {}, ended = {}, kernelTime = {}, userTime = {};
    BOOL read = IsTaskId(id_) ? GetThreadTimes(handle.Get(), &created, &ended, &kernelTime, &userTime)
                              : GetProcessTimes(handle.Get(), &created, &ended, &kernelTime, &userTime);
    // The process list samples every process each second: one box per probe at most.
    if (!read && !timesReported_) {
        timesReported_ = true;
        ReportLastError(FALSE, IsTaskId(id_) ? "GetThreadTimes" : "GetProcessTimes");
    }
    CloseReported(handle, "CloseHandle");
    if (!read) return false;
    *kernel = FileTimeValue(kernelTime);
    *user = FileTimeValue(userTime);
    return true;
}

unsigned long long ProcessProbe::CpuDelta(bool update) {
    unsigned long long kernel = 0, user = 0;
    if (!ReadTimes(&kernel, &user)) return 0;
    unsigned long long delta = (kernel - kernelBase_) + (user - userBase_);
    if (update) {
        kernelBase_ = kernel;
        userBase_ = user;
    }
    return delta;
}

bool ProcessProbe::HasEnded() const {
    UniqueHandle handle = OpenProbeHandle(id_, PROCESS_QUERY_INFORMATION, THREAD_QUERY_INFORMATION);
    if (!handle) return true;
    DWORD code = STILL_ACTIVE;
    BOOL read;
    if (IsTaskId(id_))
        read = ReportLastError(GetExitCodeThread(handle.Get(), &code), "GetExitCodeThread");
    else
        read = ReportLastError(GetExitCodeProcess(handle.Get(), &code), "GetExitCodeProcess");
    CloseReported(handle, "CloseHandle");
    // An exit code that cannot be read leaves the process counted as running.
    return read && code != STILL_ACTIVE;
}

void ProcessProbe::CollectTopWindows(TopWindowList& list) const {
    CollectTopWindowsOfId(id_, list);
}

const wchar_t kProcessNotWatchableText[] = L"このプロセスは監視できません";

WatchOpening ClassifyWatchOpening(bool opened, DWORD error) {
    if (opened) return WatchOpening::Opened;
    // The system's answer for an id that names no process or thread.
    if (error == ERROR_INVALID_PARAMETER) return WatchOpening::Gone;
    return WatchOpening::Refused;
}

WatchedProcess::WatchedProcess(int id) : id_(id) {
    DWORD error = ERROR_INVALID_PARAMETER;
    switch (ProbeTargetOf(id, kThirtyTwoBitBuild)) {
    case ProbeTarget::Process:
        handle_.Reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id)));
        if (!handle_) error = GetLastError();
        break;
    case ProbeTarget::TaskThread:
        handle_.Reset(OpenThread(SYNCHRONIZE | THREAD_QUERY_LIMITED_INFORMATION, FALSE, TaskThreadId(id)));
        if (!handle_) error = GetLastError();
        break;
    case ProbeTarget::Nothing:
        break;
    }
    opening_ = ClassifyWatchOpening(handle_.IsValid(), error);
    if (opening_ == WatchOpening::Opened) ReadTimes(&kernelBase_, &userBase_);
}

bool WatchedProcess::HasEnded() {
    if (opening_ != WatchOpening::Opened) return true;
    DWORD wait = WaitForSingleObject(handle_.Get(), 0);
    if (wait == WAIT_OBJECT_0) return true;
    if (wait == WAIT_FAILED && !waitReported_) {
        waitReported_ = true;
        ReportLastError(FALSE, "WaitForSingleObject");
    }
    return false;
}

bool WatchedProcess::ReadTimes(unsigned long long* kernel, unsigned long long* user) {
    FILETIME created = {}, ended = {}, kernelTime = {}, userTime = {};
    BOOL read = IsTaskId(id_) ? GetThreadTimes(handle_.Get(), &created, &ended, &kernelTime, &userTime)
                              : GetProcessTimes(handle_.Get(), &created, &ended, &kernelTime, &userTime);
    if (!read) {
        if (!timesReported_) {
            timesReported_ = true;
            ReportLastError(FALSE, IsTaskId(id_) ? "GetThreadTimes" : "GetProcessTimes");
        }
        return false;
    }
    *kernel = FileTimeValue(kernelTime);
    *user = FileTimeValue(userTime);
    return true;
}

bool WatchedProcess::CpuDelta(unsigned long long* delta) {
    *delta = 0;
    if (opening_ != WatchOpening::Opened) return false;
    unsigned long long kernel = 0, user = 0;
    if (!ReadTimes(&kernel, &user)) return false;
    *delta = (kernel - kernelBase_) + (user - userBase_);
    kernelBase_ = kernel;
    userBase_ = user;
    return true;
}

void WatchedProcess::CollectTopWindows(TopWindowList& list) const {
    // While the handle is held the id cannot name another process.
    if (opening_ != WatchOpening::Opened) {
        list.Clear();
        return;
    }
    CollectTopWindowsOfId(id_, list);
}

const ParentWindowCalls& SystemParentWindowCalls() {
    static const ParentWindowCalls calls = {IsWindowVisible, GetWindowRect};
    return calls;
}

bool IsParentWindow(HWND window, const ParentWindowCalls& calls) {
    bool visible = calls.isVisible(window) != FALSE;
    if (!visible) return false;
    RECT rect = {0, 0, 0, 0};
    // A window that went away since it was listed has no rectangle: skipped, no box.
    if (!calls.getRect(window, &rect)) return false;
    return CountsAsParentWindow(visible, rect);
}

void CollectThreadWindowTexts(int id, ThreadWindowTexts& texts) {
    texts.Clear();
    if (IsTaskId(id)) {
        if (ProbeTargetOf(id, kThirtyTwoBitBuild) == ProbeTarget::TaskThread) {
            DWORD threadId = TaskThreadId(id);
            texts.Add(ThreadLineText(threadId, true), 0);
            AddThreadWindowTexts(threadId, texts);
        }
        return;
    }
    ForEachThreadOf(static_cast<DWORD>(id), [&texts](DWORD threadId) {
        texts.Add(ThreadLineText(threadId, false), 0);
        AddThreadWindowTexts(threadId, texts);
    });
}

bool ReadWindowTextBounded(HWND window, WideString& text, UINT timeoutMs) {
    text = WideString();
    if (!window || !IsWindow(window)) return true;
    wchar_t buffer[kWindowTextLimit] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, kWindowTextLimit, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                             timeoutMs, &copied)) {
        // A window destroyed while asked reads as empty; one that keeps silent is unchanged.
        return !IsWindow(window);
    }
    buffer[kWindowTextLimit - 1] = L'\0';
    text = WideString(buffer);
    return true;
}

TopWindowList CollectTopWindowsOf(const WatchedProcess& process) {
    TopWindowList list;
    process.CollectTopWindows(list);
    return list;
}

TopWindowList CollectTopWindowsOf(const ProcessProbe& probe) {
    TopWindowList list;
    probe.CollectTopWindows(list);
    return list;
}

WideString ReadInitialWindowText(HWND window, bool* known) {
    WideString text;
    *known = window ? ReadWindowTextBounded(window, text) : true;
    return text;
}
