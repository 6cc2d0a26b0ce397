#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/box_recorder.h"
#include "fake_power_system.h"
#include "power/screen_saver_power_hold.h"

namespace {
std::vector<int> WrittenRows(const FakePowerSystem& fake, DWORD seconds, size_t first, size_t end) {
    std::vector<int> rows;
    for (size_t i = first; i < end && i < fake.writes.size(); ++i) {
        EXPECT_EQ(fake.writes[i].seconds, seconds == 0xFFFFFFFF ? fake.timeouts[fake.writes[i].row] : seconds);
        rows.push_back(fake.writes[i].row);
    }
    return rows;
}

std::vector<std::wstring> BoxTexts(const BoxRecorder& boxes) {
    std::vector<std::wstring> texts;
    for (const BoxRecorder::Box& box : boxes.boxes) texts.push_back(box.text);
    return texts;
}

struct RowCase {
    bool sleepAllowed;
    bool hibernateAllowed;
    unsigned char batteryFlag;
    std::vector<int> rows;
};
}  // namespace

// The same rows are read, set to never and written back, each only under its condition.
TEST(ScreenSaverPowerHold, RowsFollowTheMachinesCapabilities) {
    const RowCase cases[] = {
        {true, true, 0x01, {0, 1, 2, 3, 4, 5}}, {false, false, 0x80, {0}},
        {true, false, 0x08, {0, 1, 3, 4}},      {false, true, 0x80, {0, 2}},
        {true, true, 0xFF, {0, 1, 2}},  // battery status unknown: no battery
    };
    for (const RowCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "sleep " << c.sleepAllowed << " hibernate " << c.hibernateAllowed
                                        << " battery flag " << int(c.batteryFlag));
        BoxRecorder boxes;
        FakePowerSystem fake;
        fake.suspendAllowed = c.sleepAllowed;
        fake.hibernateAllowed = c.hibernateAllowed;
        fake.batteryFlag = c.batteryFlag;
        size_t zeroed = 0;
        {
            ScreenSaverPowerHold hold(true, fake);
            EXPECT_EQ(fake.readRows, c.rows);
            zeroed = fake.writes.size();
            EXPECT_EQ(WrittenRows(fake, 0, 0, zeroed), c.rows);
            for (int row = 0; row < kPowerRowCount; ++row) {
                bool read = std::find(c.rows.begin(), c.rows.end(), row) != c.rows.end();
                EXPECT_EQ(hold.SavedTimeouts().values[row], read ? static_cast<int>(fake.timeouts[row]) : -1) << row;
            }
        }
        EXPECT_EQ(WrittenRows(fake, 0xFFFFFFFF, zeroed, fake.writes.size()), c.rows);
        ASSERT_EQ(fake.applied.size(), 2u);  // after zeroing and after restoring
        EXPECT_TRUE(IsEqualGUID(fake.applied[1], TestScheme(1)));
        EXPECT_TRUE(boxes.boxes.empty());
    }
}

TEST(ScreenSaverPowerHold, WithoutHoldOnlyReads) {
    BoxRecorder boxes;
    FakePowerSystem fake;
    {
        ScreenSaverPowerHold hold(false, fake);
        EXPECT_EQ(fake.readRows.size(), 6u);
        EXPECT_EQ(hold.SavedSettingsText().str(),
                  L"モニター:10分 スリープ:30分 休止状態:60分 \u3000バッテリー時 モ:5分 ス:15分 休:20分");
    }
    EXPECT_TRUE(fake.screenSaverSets.empty());
    EXPECT_TRUE(fake.registryWrites.empty());
    EXPECT_TRUE(fake.writes.empty());
    EXPECT_TRUE(fake.applied.empty());
    EXPECT_TRUE(fake.keyClosed);
    EXPECT_TRUE(boxes.boxes.empty());
}

// The screen saver goes back to the state it had before the watch, read from the desktop
// value and, only when that is absent or not a number, from the system.
TEST(ScreenSaverPowerHold, ScreenSaverReturnsToItsEarlierState) {
    struct Case {
        bool keyOpens;
        bool hasValue;
        const wchar_t* value;
        bool systemSays;
        bool restoredOn;
        int systemQueries;
    } cases[] = {
        {true, true, L"1", false, true, 0},  {true, true, L"0", true, false, 0},  {true, false, L"", true, true, 1},
        {true, false, L"", false, false, 1}, {true, true, L"x", false, false, 1}, {false, true, L"1", false, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "value " << (c.hasValue ? "present" : "absent") << " system " << c.systemSays
                                        << " key " << c.keyOpens);
        BoxRecorder boxes;
        FakePowerSystem fake;
        fake.keyOpens = c.keyOpens;
        fake.hasScreenSaveValue = c.hasValue;
        fake.screenSaveValue = c.value;
        fake.systemSaysActive = c.systemSays;
        {
            ScreenSaverPowerHold hold(true, fake);
            EXPECT_EQ(fake.screenSaverSets, std::vector<bool>({false}));
            EXPECT_FALSE(fake.keyClosed);
        }
        EXPECT_EQ(fake.screenSaverSets, std::vector<bool>({false, c.restoredOn}));
        EXPECT_EQ(fake.systemQueries, c.systemQueries);
        EXPECT_TRUE(fake.keyClosed);
        EXPECT_TRUE(boxes.boxes.empty());
    }
}

TEST(ScreenSaverPowerHold, BusyScreenSaverSettingIsWrittenToTheProfile) {
    BoxRecorder boxes;
    FakePowerSystem fake;
    fake.screenSaverError = 329;  // the operation is in progress
    { ScreenSaverPowerHold hold(true, fake); }
    EXPECT_EQ(fake.registryWrites, std::vector<std::wstring>({L"ScreenSaveActive=0", L"ScreenSaveActive=1"}));
    EXPECT_TRUE(boxes.boxes.empty());

    // Any other failure is shown, once for each direction.
    BoxRecorder otherBoxes;
    FakePowerSystem other;
    other.screenSaverError = ERROR_ACCESS_DENIED;
    { ScreenSaverPowerHold hold(true, other); }
    EXPECT_TRUE(other.registryWrites.empty());
    EXPECT_EQ(BoxTexts(otherBoxes), std::vector<std::wstring>({L"SPI_SETSCREENSAVEACTIVE OFF Error Code =5",
                                                               L"SPI_SETSCREENSAVEACTIVE ON Error Code =5"}));
    EXPECT_EQ(otherBoxes.boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

// A row whose read failed is reported, left out of the summary and neither set to never
// nor written back, so that its unknown value is not lost.
TEST(ScreenSaverPowerHold, FailedReadIsNeitherZeroedNorRestored) {
    BoxRecorder boxes;
    FakePowerSystem fake;
    fake.readErrors[kAcSleep] = ERROR_ACCESS_DENIED;
    fake.readErrors[kDcHibernate] = ERROR_FILE_NOT_FOUND;
    {
        ScreenSaverPowerHold hold(true, fake);
        EXPECT_EQ(hold.SavedTimeouts().values[kAcSleep], -1);
        EXPECT_EQ(hold.SavedSettingsText().str(), L"モニター:10分 休止状態:60分 \u3000バッテリー時 モ:5分 ス:15分");
    }
    EXPECT_EQ(WrittenRows(fake, 0, 0, 4), std::vector<int>({0, 2, 3, 4}));
    EXPECT_EQ(WrittenRows(fake, 0xFFFFFFFF, 4, fake.writes.size()), std::vector<int>({0, 2, 3, 4}));
    EXPECT_EQ(BoxTexts(boxes), std::vector<std::wstring>(
                                   {L"PowerReadACValueIndex Error Code =5", L"PowerReadDCValueIndex Error Code =2"}));
}

TEST(ScreenSaverPowerHold, WriteFailuresAreShownAndTheSequenceGoesOn) {
    BoxRecorder boxes;
    FakePowerSystem fake;
    fake.writeErrors[kDcSleep] = ERROR_INVALID_PARAMETER;
    { ScreenSaverPowerHold hold(true, fake); }
    EXPECT_EQ(fake.writes.size(), 12u);
    EXPECT_EQ(fake.applied.size(), 2u);
    EXPECT_EQ(BoxTexts(boxes), std::vector<std::wstring>({L"PowerWriteDCValueIndex Error Code =87",
                                                          L"PowerWriteDCValueIndex Error Code =87"}));
}

// Without an active scheme a sequence reports once and neither reads nor writes.
TEST(ScreenSaverPowerHold, MissingActiveSchemeIsReportedOncePerSequence) {
    for (bool holdOn : {true, false}) {
        SCOPED_TRACE(holdOn ? "hold on" : "hold off");
        BoxRecorder boxes;
        FakePowerSystem fake;
        fake.activeSchemeErrors = {ERROR_CALL_NOT_IMPLEMENTED, ERROR_CALL_NOT_IMPLEMENTED, ERROR_CALL_NOT_IMPLEMENTED};
        {
            ScreenSaverPowerHold hold(holdOn, fake);
            EXPECT_EQ(hold.SavedSettingsText().str(), L"\u3000バッテリー時");
        }
        EXPECT_TRUE(fake.readRows.empty());
        EXPECT_TRUE(fake.writes.empty());
        EXPECT_TRUE(fake.applied.empty());
        EXPECT_EQ(BoxTexts(boxes), std::vector<std::wstring>(holdOn ? 3 : 1, L"PowerGetActiveScheme Error Code =120"));
    }
}

// The saved values go back into the scheme they came from; that scheme is applied again
// only while it is still the active one.
TEST(ScreenSaverPowerHold, RestoresIntoTheSchemeTheValuesCameFrom) {
    BoxRecorder boxes;
    FakePowerSystem fake;
    fake.activeSchemes = {TestScheme(1), TestScheme(1), TestScheme(2)};  // switched during the watch
    { ScreenSaverPowerHold hold(true, fake); }
    ASSERT_EQ(fake.writes.size(), 12u);
    for (const FakePowerSystem::Write& write : fake.writes) EXPECT_TRUE(IsEqualGUID(write.scheme, TestScheme(1)));
    EXPECT_EQ(WrittenRows(fake, 0xFFFFFFFF, 6, 12), std::vector<int>({0, 1, 2, 3, 4, 5}));
    ASSERT_EQ(fake.applied.size(), 1u);  // only after zeroing
    EXPECT_TRUE(boxes.boxes.empty());

    // The active scheme cannot be told at the end: the values are still written back,
    // and nothing is applied.
    BoxRecorder endBoxes;
    FakePowerSystem unknownEnd;
    unknownEnd.activeSchemeErrors = {0, 0, ERROR_ACCESS_DENIED};
    { ScreenSaverPowerHold hold(true, unknownEnd); }
    EXPECT_EQ(WrittenRows(unknownEnd, 0xFFFFFFFF, 6, unknownEnd.writes.size()), std::vector<int>({0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(unknownEnd.applied.size(), 1u);
    EXPECT_EQ(BoxTexts(endBoxes), std::vector<std::wstring>({L"PowerGetActiveScheme Error Code =5"}));
}

TEST(ScreenSaverPowerHold, SchemeChangedBeforeZeroingIsLeftAlone) {
    BoxRecorder boxes;
    FakePowerSystem fake;
    fake.activeSchemes = {TestScheme(1), TestScheme(2), TestScheme(2)};
    { ScreenSaverPowerHold hold(true, fake); }
    // Nothing set to never; the first scheme gets its own values back and is not applied.
    EXPECT_EQ(WrittenRows(fake, 0xFFFFFFFF, 0, fake.writes.size()), std::vector<int>({0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(fake.applied.empty());
}

TEST(ScreenSaverPowerHold, FailedPowerStatusCountsAsNoBattery) {
    BoxRecorder boxes;
    FakePowerSystem fake;
    fake.powerStatusError = ERROR_GEN_FAILURE;
    {
        ScreenSaverPowerHold hold(true, fake);
        EXPECT_FALSE(hold.Capabilities().hasBattery);
        EXPECT_EQ(hold.SavedSettingsText().str(), L"モニター:10分 スリープ:30分 休止状態:60分");
    }
    EXPECT_EQ(fake.readRows, std::vector<int>({0, 1, 2}));
    EXPECT_EQ(BoxTexts(boxes), std::vector<std::wstring>({L"GetSystemPowerStatus Error Code =31"}));
}
