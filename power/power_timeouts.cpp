#include "power/power_timeouts.h"

bool RowApplies(int row, const PowerCapabilities& capabilities) {
    switch (row) {
    case kAcDisplay:
        return true;
    case kAcSleep:
        return capabilities.sleepAllowed;
    case kAcHibernate:
        return capabilities.hibernateAllowed;
    case kDcDisplay:
        return capabilities.hasBattery;
    case kDcSleep:
        return capabilities.hasBattery && capabilities.sleepAllowed;
    case kDcHibernate:
        return capabilities.hasBattery && capabilities.hibernateAllowed;
    default:
        return false;
    }
}

bool IsBatteryRow(int row) {
    return row >= kDcDisplay && row < kPowerRowCount;
}

const char* ReadCallName(int row) {
    return IsBatteryRow(row) ? "PowerReadDCValueIndex" : "PowerReadACValueIndex";
}

const char* WriteCallName(int row) {
    return IsBatteryRow(row) ? "PowerWriteDCValueIndex" : "PowerWriteACValueIndex";
}

bool HasSystemBattery(unsigned char batteryFlag) {
    return (batteryFlag & 0x80) == 0;
}

namespace {
void AppendMinutes(WideString& text, const wchar_t* label, int seconds) {
    if (seconds <= 0) return;
    text.Append(label);
    text.Append(WideString::FromInt(seconds / 60));
    text.Append(L"分 ");
}
}  // namespace

WideString SavedSettingsText(const PowerTimeouts& timeouts, bool hasBattery) {
    WideString text;
    AppendMinutes(text, L"モニター:", timeouts.values[kAcDisplay]);
    AppendMinutes(text, L"スリープ:", timeouts.values[kAcSleep]);
    AppendMinutes(text, L"休止状態:", timeouts.values[kAcHibernate]);
    if (hasBattery) {
        text.Append(L"\u3000バッテリー時 ");
        AppendMinutes(text, L"モ:", timeouts.values[kDcDisplay]);
        AppendMinutes(text, L"ス:", timeouts.values[kDcSleep]);
        AppendMinutes(text, L"休:", timeouts.values[kDcHibernate]);
    }
    return text.TrimmedRight();
}
