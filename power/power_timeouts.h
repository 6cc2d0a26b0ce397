// The six power time-outs that a screen watch holds at "never", which of them a machine
// has, and the one-line summary of the saved values. Pure functions of their inputs.
#pragma once

#include "app/wide_string.h"

// Rows of the time-out table, always in this order: mains (AC) display, sleep and
// hibernate, then the same three on battery (DC).
enum PowerRow {
    kAcDisplay = 0,
    kAcSleep = 1,
    kAcHibernate = 2,
    kDcDisplay = 3,
    kDcSleep = 4,
    kDcHibernate = 5,
    kPowerRowCount = 6
};

// What the machine allows, found once when the hold begins.
struct PowerCapabilities {
    bool sleepAllowed = false;
    bool hibernateAllowed = false;
    bool hasBattery = false;
};

// Time-outs in seconds; kNotRead marks a value that was not (or could not be) read.
struct PowerTimeouts {
    static const int kNotRead = -1;
    int values[kPowerRowCount] = {kNotRead, kNotRead, kNotRead, kNotRead, kNotRead, kNotRead};
    bool WasRead(int row) const { return values[row] != kNotRead; }
};

// Whether a row is read, zeroed and restored on this machine.
bool RowApplies(int row, const PowerCapabilities& capabilities);
// True for the battery rows (DC value calls), false for the mains rows (AC value calls).
bool IsBatteryRow(int row);
// Names of the calls for a row, as shown when they fail.
const char* ReadCallName(int row);
const char* WriteCallName(int row);

// The BatteryFlag of the power status: bit 0x80 says there is no system battery, and
// 255 (unknown) therefore counts as none.
bool HasSystemBattery(unsigned char batteryFlag);

// "モニター:10分 スリープ:30分 　バッテリー時 モ:5分 ..." for the values above 0, minutes
// rounded down; the battery part only on a machine with a battery; no blank at the end.
WideString SavedSettingsText(const PowerTimeouts& timeouts, bool hasBattery);
