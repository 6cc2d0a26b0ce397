#include "power/shared_hold.h"

namespace {
const wchar_t kRecordName[] = L"Local\\Tollerup screen saver hold";
const wchar_t kLockName[] = L"Local\\Tollerup screen saver hold lock";
// Long enough for another instance's power calls; a lock held longer belongs to an
// instance that hangs, and the hold then acts alone rather than wait with it.
const DWORD kLockWaitMs = 30000;

bool SameHolder(const HoldHolder& a, const HoldHolder& b) {
    return a.processId == b.processId && a.startTime == b.startTime;
}

// Keeps the live holders other than self, in their order.
void KeepLiveOthers(SharedHoldRecord& record, const HoldHolder& self, const HolderAlive& alive) {
    uint32_t count = record.holderCount < static_cast<uint32_t>(kMaxHolders) ? record.holderCount : kMaxHolders;
    uint32_t kept = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const HoldHolder holder = record.holders[i];
        if (SameHolder(holder, self) || !alive(holder)) continue;
        record.holders[kept++] = holder;
    }
    record.holderCount = kept;
}

unsigned long long FileTimeValue(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool StartTimeOf(HANDLE process, uint64_t* startTime) {
    FILETIME created = {}, ended = {}, kernel = {}, user = {};
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return false;
    *startTime = FileTimeValue(created);
    return true;
}
}  // namespace

HoldJoin JoinHold(SharedHoldRecord& record, const HoldHolder& self, const HolderAlive& alive) {
    bool unrestored = record.holderCount > 0;
    KeepLiveOthers(record, self, alive);
    HoldJoin join = record.holderCount > 0 ? HoldJoin::Later : (unrestored ? HoldJoin::AfterTheDead : HoldJoin::First);
    if (record.holderCount < static_cast<uint32_t>(kMaxHolders)) record.holders[record.holderCount++] = self;
    return join;
}

bool LeaveHold(SharedHoldRecord& record, const HoldHolder& self, const HolderAlive& alive) {
    KeepLiveOthers(record, self, alive);
    return record.holderCount == 0;
}

SavedHoldValues MakeSavedValues(bool screenSaverActive, const PowerTimeouts& timeouts) {
    SavedHoldValues values = {};
    values.screenSaverActive = screenSaverActive ? 1 : 0;
    for (int row = 0; row < kPowerRowCount; ++row) values.timeouts[row] = timeouts.values[row];
    return values;
}

PowerTimeouts SavedTimeouts(const SavedHoldValues& values) {
    PowerTimeouts timeouts;
    for (int row = 0; row < kPowerRowCount; ++row) timeouts.values[row] = values.timeouts[row];
    return timeouts;
}

SessionHoldRecord::SessionHoldRecord() {
    mutex_.Reset(CreateMutexW(nullptr, FALSE, kLockName));
    mapping_.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      static_cast<DWORD>(sizeof(SharedHoldRecord)), kRecordName));
    if (mapping_)
        view_.Reset(MapViewOfFile(mapping_.Get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(SharedHoldRecord)));
}

HoldHolder SessionHoldRecord::Self() {
    HoldHolder self = {};
    self.processId = GetCurrentProcessId();
    StartTimeOf(GetCurrentProcess(), &self.startTime);
    return self;
}

bool SessionHoldRecord::IsAlive(const HoldHolder& holder) {
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, holder.processId));
    // A process that exists but may not be opened (an elevated instance) is alive.
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    if (WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) return false;
    uint64_t startTime = 0;
    // Another process that was given the holder's id since is not the holder.
    if (StartTimeOf(process.Get(), &startTime) && startTime != holder.startTime) return false;
    return true;
}

bool SessionHoldRecord::WithRecord(const std::function<void(SharedHoldRecord& record)>& use) {
    if (!mutex_ || !view_) return false;
    DWORD wait = WaitForSingleObject(mutex_.Get(), kLockWaitMs);
    // An instance that died holding the lock leaves it abandoned: the record is taken as
    // that instance left it.
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return false;
    try {
        use(*static_cast<SharedHoldRecord*>(view_.Get()));
    } catch (...) {
        ReleaseMutex(mutex_.Get());
        throw;
    }
    ReleaseMutex(mutex_.Get());
    return true;
}
