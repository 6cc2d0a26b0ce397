// Reads the time-outs of the active power scheme, holds them at "never" and writes them
// back into the scheme they were read from.
#pragma once

#include <windows.h>

#include "power/power_hold_system.h"
#include "power/power_timeouts.h"

class PowerSchemeAccess {
public:
    // Asks the system which time-outs it has: sleep, hibernation and a system battery.
    // A failed power status is reported and counts as no battery.
    explicit PowerSchemeAccess(PowerHoldSystem& system);
    PowerSchemeAccess(const PowerSchemeAccess&) = delete;
    PowerSchemeAccess& operator=(const PowerSchemeAccess&) = delete;

    const PowerCapabilities& Capabilities() const { return capabilities_; }

    // The time-outs of the rows that apply, from the active scheme, which is remembered.
    // Every failure is reported; a row whose read failed stays unread.
    PowerTimeouts ReadTimeouts();
    // Writes 0 (never) into the rows that were read, when the remembered scheme is still
    // the active one, and applies it.
    void ZeroTimeouts(const PowerTimeouts& read);
    // Writes the rows that were read back into the remembered scheme, and applies that
    // scheme only when it is still the active one.
    void RestoreTimeouts(const PowerTimeouts& saved);

private:
    // The active scheme now; a failure is reported and gives false.
    bool ActiveScheme(GUID* scheme);
    void WriteRows(const PowerTimeouts& values, bool zero);

    PowerHoldSystem& system_;
    PowerCapabilities capabilities_;
    bool haveScheme_ = false;
    GUID scheme_ = {};
};
