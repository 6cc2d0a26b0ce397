#include "power/power_scheme_access.h"

#include "app/message_box.h"

PowerSchemeAccess::PowerSchemeAccess(PowerHoldSystem& system) : system_(system) {
    capabilities_.sleepAllowed = system_.IsSuspendAllowed();
    capabilities_.hibernateAllowed = system_.IsHibernateAllowed();
    unsigned char batteryFlag = 0x80;
    SystemCallResult status = system_.GetBatteryFlag(&batteryFlag);
    if (status.ok) {
        capabilities_.hasBattery = HasSystemBattery(batteryFlag);
    } else {
        ShowErrorBox(ErrorCodeText(L"GetSystemPowerStatus", static_cast<long>(status.error)));
        capabilities_.hasBattery = false;
    }
}

bool PowerSchemeAccess::ActiveScheme(GUID* scheme) {
    return ReportErrorCode(static_cast<long>(system_.GetActiveScheme(scheme)), "PowerGetActiveScheme") == 0;
}

PowerTimeouts PowerSchemeAccess::ReadTimeouts() {
    PowerTimeouts timeouts;
    GUID scheme = {};
    if (!ActiveScheme(&scheme)) return timeouts;
    scheme_ = scheme;
    haveScheme_ = true;
    for (int row = 0; row < kPowerRowCount; ++row) {
        if (!RowApplies(row, capabilities_)) continue;
        DWORD seconds = 0;
        if (ReportErrorCode(static_cast<long>(system_.ReadTimeout(scheme_, row, &seconds)), ReadCallName(row)) == 0)
            timeouts.values[row] = static_cast<int>(seconds);
    }
    return timeouts;
}

void PowerSchemeAccess::WriteRows(const PowerTimeouts& values, bool zero) {
    for (int row = 0; row < kPowerRowCount; ++row) {
        // A row that could not be read is left alone: its value would be lost for good.
        if (!RowApplies(row, capabilities_) || !values.WasRead(row)) continue;
        DWORD seconds = zero ? 0 : static_cast<DWORD>(values.values[row]);
        ReportErrorCode(static_cast<long>(system_.WriteTimeout(scheme_, row, seconds)), WriteCallName(row));
    }
}

void PowerSchemeAccess::ZeroTimeouts(const PowerTimeouts& read) {
    GUID active = {};
    if (!ActiveScheme(&active)) return;
    // The values were read from the remembered scheme; another scheme would lose its own.
    if (!haveScheme_ || !IsEqualGUID(active, scheme_)) return;
    WriteRows(read, true);
    ReportErrorCode(static_cast<long>(system_.SetActiveScheme(scheme_)), "PowerSetActiveScheme");
}

void PowerSchemeAccess::RestoreTimeouts(const PowerTimeouts& saved) {
    GUID active = {};
    bool knowActive = ActiveScheme(&active);
    if (!haveScheme_) return;
    WriteRows(saved, false);
    if (knowActive && IsEqualGUID(active, scheme_))
        ReportErrorCode(static_cast<long>(system_.SetActiveScheme(scheme_)), "PowerSetActiveScheme");
}
