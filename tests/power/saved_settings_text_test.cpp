#include <gtest/gtest.h>

#include "power/power_timeouts.h"

namespace {
PowerTimeouts Timeouts(int acDisplay, int acSleep, int acHibernate, int dcDisplay, int dcSleep, int dcHibernate) {
    PowerTimeouts t;
    const int values[kPowerRowCount] = {acDisplay, acSleep, acHibernate, dcDisplay, dcSleep, dcHibernate};
    for (int row = 0; row < kPowerRowCount; ++row) t.values[row] = values[row];
    return t;
}
}  // namespace

TEST(SavedSettingsText, SummarisesValuesAboveZeroInMinutes) {
    // Mains display 10 min and sleep 30 min, no hibernation; battery display 5, sleep 15.
    EXPECT_EQ(SavedSettingsText(Timeouts(600, 1800, 0, 300, 900, 0), true).str(),
              L"モニター:10分 スリープ:30分 \u3000バッテリー時 モ:5分 ス:15分");
    EXPECT_EQ(SavedSettingsText(Timeouts(30, 0, 0, -1, -1, -1), false).str(), L"モニター:0分");
    EXPECT_EQ(SavedSettingsText(Timeouts(119, 7200, 5400, 59, 61, 3600), true).str(),
              L"モニター:1分 スリープ:120分 休止状態:90分 \u3000バッテリー時 モ:0分 ス:1分 休:60分");
}

TEST(SavedSettingsText, LeavesOutNeverAndUnreadValues) {
    EXPECT_EQ(SavedSettingsText(Timeouts(0, 0, 0, 0, 0, 0), false).str(), L"");
    EXPECT_EQ(SavedSettingsText(PowerTimeouts(), false).str(), L"");
    // With a battery the battery label stays alone, its trailing blank removed.
    EXPECT_EQ(SavedSettingsText(Timeouts(0, 0, 0, 0, 0, 0), true).str(), L"\u3000バッテリー時");
    EXPECT_EQ(SavedSettingsText(Timeouts(-1, 600, -1, -1, -1, -1), false).str(), L"スリープ:10分");
    // Battery values are not shown on a machine without a battery.
    EXPECT_EQ(SavedSettingsText(Timeouts(0, 0, 600, 300, 300, 300), false).str(), L"休止状態:10分");
}
