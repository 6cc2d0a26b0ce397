// The saved power time-outs and their one-line summary. The six values are what the
// power scheme held, any 32-bit numbers; the summary shows the positive ones, in minutes,
// in their order, the battery part only on a machine with a battery, and ends in no blank.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "power/power_timeouts.h"

namespace {

const wchar_t* const kLabels[kPowerRowCount] = {L"モニター:", L"スリープ:", L"休止状態:", L"モ:", L"ス:", L"休:"};
const WideString kBatteryPart(L"\u3000バッテリー時");

void CheckSummary(const PowerTimeouts& timeouts, bool hasBattery) {
    WideString text = SavedSettingsText(timeouts, hasBattery);
    FUZZ_CHECK(text.IsEmpty() || text.At(text.Length() - 1) != L' ');
    FUZZ_CHECK(text.Contains(kBatteryPart) == hasBattery);

    // Read the summary back: each shown row is its label, the minutes and "分".
    int pos = 0;
    for (int row = 0; row < kPowerRowCount; ++row) {
        if (row == kDcDisplay) {
            if (!hasBattery) break;
            FUZZ_CHECK(text.Mid(pos).StartsWith(kBatteryPart));
            pos += kBatteryPart.Length();
            if (text.At(pos) == L' ') ++pos;
        }
        int value = timeouts.values[row];
        WideString label(kLabels[row]);
        if (value <= 0) {
            FUZZ_CHECK(!text.Mid(pos).StartsWith(label));
            continue;
        }
        FUZZ_CHECK_TEXTS(text.Mid(pos).StartsWith(label), text, label);
        pos += label.Length();
        int unit = text.Find(L"分", pos);
        FUZZ_CHECK(unit > pos);
        WideString minutes = text.Piece(pos, unit - 1);
        FUZZ_CHECK(minutes.IsDecimal() && minutes.ToInt(-1) == value / 60);
        pos = unit + 1;
        if (text.At(pos) == L' ') ++pos;
    }
    FUZZ_CHECK(pos == text.Length());
}

void CheckRows(const PowerCapabilities& capabilities, unsigned char batteryFlag) {
    for (int row = 0; row < kPowerRowCount; ++row) {
        bool battery = IsBatteryRow(row);
        FUZZ_CHECK(battery == (row >= kDcDisplay));
        if (battery && !capabilities.hasBattery) FUZZ_CHECK(!RowApplies(row, capabilities));
        if ((row == kAcSleep || row == kDcSleep) && !capabilities.sleepAllowed)
            FUZZ_CHECK(!RowApplies(row, capabilities));
        if ((row == kAcHibernate || row == kDcHibernate) && !capabilities.hibernateAllowed)
            FUZZ_CHECK(!RowApplies(row, capabilities));
    }
    FUZZ_CHECK(RowApplies(kAcDisplay, capabilities));
    FUZZ_CHECK(HasSystemBattery(batteryFlag) == ((batteryFlag & 0x80) == 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    PowerTimeouts timeouts;
    for (int& value : timeouts.values) value = input.Int32();
    PowerCapabilities capabilities;
    capabilities.sleepAllowed = input.Flag();
    capabilities.hibernateAllowed = input.Flag();
    capabilities.hasBattery = input.Flag();
    unsigned char batteryFlag = static_cast<unsigned char>(input.Number());
    CheckSummary(timeouts, capabilities.hasBattery);
    CheckRows(capabilities, batteryFlag);
    return 0;
}
