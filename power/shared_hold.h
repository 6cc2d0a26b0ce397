// The record that the screen-saver holds of one session share. Two watches with the hold
// may run at once (two shortcuts, a shortcut and the wizard): the first saves the user's
// own values and switches off, later ones only join, and the last one to end restores the
// values the first saved, whatever order the watches end in. The holders are counted by
// their processes: one that died without ending its hold is dropped, and keeps nobody
// from restoring.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "app/handles.h"
#include "power/power_timeouts.h"

// A holding process: its id and its creation time, so that an id the system has given to
// another process since is not taken for the holder.
struct HoldHolder {
    uint32_t processId;
    uint32_t reserved;
    uint64_t startTime;
};

// The user's own values, as the first holder found them.
struct SavedHoldValues {
    int32_t screenSaverActive;
    int32_t timeouts[kPowerRowCount];
};

const int kMaxHolders = 64;

// The shared record; all zeros when no holder has written it yet. The same layout in
// both builds.
struct SharedHoldRecord {
    uint32_t holderCount;
    uint32_t reserved;
    HoldHolder holders[kMaxHolders];
    SavedHoldValues saved;
};

using HolderAlive = std::function<bool(const HoldHolder& holder)>;

// How a hold joins the session's holds.
enum class HoldJoin {
    First,         // no holder yet: it saves the user's values and switches off
    AfterTheDead,  // only holders that died without ending their hold: the values they
                   // saved are still the user's; it takes them and switches off again
    Later,         // another live hold has saved them and switched off: it only counts
};
// Adds the holder, after dropping those that are no longer alive.
HoldJoin JoinHold(SharedHoldRecord& record, const HoldHolder& self, const HolderAlive& alive);
// Removes the holder and those that are no longer alive. True when no live holder is
// left: it restores the saved values.
bool LeaveHold(SharedHoldRecord& record, const HoldHolder& self, const HolderAlive& alive);

SavedHoldValues MakeSavedValues(bool screenSaverActive, const PowerTimeouts& timeouts);
PowerTimeouts SavedTimeouts(const SavedHoldValues& values);

// The record of the session, as the holds reach it.
class HoldRecordAccess {
public:
    virtual ~HoldRecordAccess() = default;
    // This process as a holder.
    virtual HoldHolder Self() = 0;
    virtual bool IsAlive(const HoldHolder& holder) = 0;
    // Runs use with the record locked against the other instances. False when the record
    // could not be had (use did not run): the hold then acts alone.
    virtual bool WithRecord(const std::function<void(SharedHoldRecord& record)>& use) = 0;
};

// The record of the session in a named file mapping of the session's namespace, guarded
// by a named mutex. The mapping is opened at construction and kept, so that the record
// lives while any holder lives.
class SessionHoldRecord : public HoldRecordAccess {
public:
    SessionHoldRecord();
    SessionHoldRecord(const SessionHoldRecord&) = delete;
    SessionHoldRecord& operator=(const SessionHoldRecord&) = delete;

    HoldHolder Self() override;
    bool IsAlive(const HoldHolder& holder) override;
    bool WithRecord(const std::function<void(SharedHoldRecord& record)>& use) override;

private:
    UniqueHandle mutex_;
    UniqueHandle mapping_;
    UniqueMappedView view_;
};
