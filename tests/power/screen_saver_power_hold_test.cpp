#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
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

// Two watches of one session hold at once: whichever ends first, the user's own screen
// saver and time-outs come back when the last one ends, and not before.
TEST(SharedHolds, TheUsersValuesComeBackWhenTheLastHoldEnds) {
    for (const wchar_t* start : {L"0", L"1"}) {
        for (bool firstEndsFirst : {true, false}) {
            SCOPED_TRACE(testing::Message() << "screen saver " << (start[0] == L'1' ? "on" : "off") << ", "
                                            << (firstEndsFirst ? "first" : "second") << " ends first");
            BoxRecorder boxes;
            FakePowerSystem machine;
            machine.keepsWhatIsWritten = true;
            machine.screenSaveValue = start;
            const DWORD user[6] = {600, 1800, 3600, 300, 900, 1200};
            FakeHoldRecord session;
            machine.holdRecord = &session;

            session.nextSelf = {11, 0, 1000};
            std::unique_ptr<ScreenSaverPowerHold> first(new ScreenSaverPowerHold(true, machine));
            EXPECT_EQ(machine.screenSaveValue, L"0");
            for (int row = 0; row < 6; ++row) EXPECT_EQ(machine.timeouts[row], 0u) << row;
            size_t switchesAfterFirst = machine.screenSaverSets.size();
            size_t writesAfterFirst = machine.writes.size();

            session.nextSelf = {22, 0, 2000};
            std::unique_ptr<ScreenSaverPowerHold> second(new ScreenSaverPowerHold(true, machine));
            EXPECT_EQ(machine.screenSaverSets.size(), switchesAfterFirst) << "the second hold switched too";
            EXPECT_EQ(machine.writes.size(), writesAfterFirst) << "the second hold wrote time-outs";
            // The second shows the user's values, not the zeros it read.
            EXPECT_EQ(second->SavedSettingsText(), first->SavedSettingsText());
            EXPECT_FALSE(second->SavedSettingsText().IsEmpty());

            std::unique_ptr<ScreenSaverPowerHold>& early = firstEndsFirst ? first : second;
            std::unique_ptr<ScreenSaverPowerHold>& late = firstEndsFirst ? second : first;
            early.reset();
            EXPECT_EQ(machine.screenSaveValue, L"0") << "restored while another watch holds";
            for (int row = 0; row < 6; ++row) EXPECT_EQ(machine.timeouts[row], 0u) << row;
            late.reset();
            EXPECT_EQ(machine.screenSaveValue, start);
            for (int row = 0; row < 6; ++row) EXPECT_EQ(machine.timeouts[row], user[row]) << row;
            EXPECT_EQ(session.record.holderCount, 0u);
            EXPECT_TRUE(boxes.boxes.empty());
        }
    }
}

// A watch that died while it held (ended from outside) keeps nobody from restoring: the
// values it saved are still the user's, whether another watch held beside it or not.
TEST(SharedHolds, AHolderThatDiedKeepsNobodyFromRestoring) {
    for (bool besideAnother : {true, false}) {
        SCOPED_TRACE(besideAnother ? "beside another watch" : "alone");
        BoxRecorder boxes;
        FakePowerSystem machine;
        machine.keepsWhatIsWritten = true;
        machine.screenSaveValue = L"1";
        FakeHoldRecord session;
        machine.holdRecord = &session;
        session.nextSelf = {11, 0, 1000};
        std::unique_ptr<ScreenSaverPowerHold> dying(new ScreenSaverPowerHold(true, machine));
        std::unique_ptr<ScreenSaverPowerHold> other;
        if (besideAnother) {
            session.nextSelf = {22, 0, 2000};
            other.reset(new ScreenSaverPowerHold(true, machine));
        }
        // The process of the first watch is ended from outside: its hold never ends.
        session.dead.insert(11);
        (void)dying.release();

        session.nextSelf = {33, 0, 3000};
        std::unique_ptr<ScreenSaverPowerHold> third(new ScreenSaverPowerHold(true, machine));
        EXPECT_FALSE(third->SavedSettingsText().IsEmpty()) << "the zeros were taken for the user's values";
        other.reset();
        EXPECT_EQ(machine.screenSaveValue, L"0") << "restored while a watch holds";
        third.reset();
        EXPECT_EQ(machine.screenSaveValue, L"1");
        const DWORD user[6] = {600, 1800, 3600, 300, 900, 1200};
        for (int row = 0; row < 6; ++row) EXPECT_EQ(machine.timeouts[row], user[row]) << row;
        EXPECT_TRUE(boxes.boxes.empty());
    }
}

// The record counts holders by their processes: a holder whose id now names another
// process (another start time) is no holder; a full record still lets holds join.
TEST(SharedHolds, HoldersAreTheirProcessesNotTheirIds) {
    SharedHoldRecord record = {};
    std::set<uint32_t> dead;
    HolderAlive alive = [&](const HoldHolder& h) { return dead.count(h.processId) == 0 && h.startTime != 0; };
    EXPECT_EQ(JoinHold(record, {1, 0, 10}, alive), HoldJoin::First);
    EXPECT_EQ(JoinHold(record, {2, 0, 20}, alive), HoldJoin::Later);
    EXPECT_EQ(record.holderCount, 2u);
    EXPECT_FALSE(LeaveHold(record, {1, 0, 10}, alive));
    EXPECT_TRUE(LeaveHold(record, {2, 0, 20}, alive));
    EXPECT_EQ(record.holderCount, 0u);

    // Holder 3 dies; its id is given to a process that never held.
    EXPECT_EQ(JoinHold(record, {3, 0, 30}, alive), HoldJoin::First);
    dead.insert(3);
    EXPECT_EQ(JoinHold(record, {4, 0, 40}, alive), HoldJoin::AfterTheDead);
    EXPECT_TRUE(LeaveHold(record, {4, 0, 40}, alive));

    // Leaving twice, or without having joined, changes nothing for the others.
    EXPECT_EQ(JoinHold(record, {5, 0, 50}, alive), HoldJoin::First);
    EXPECT_EQ(JoinHold(record, {6, 0, 60}, alive), HoldJoin::Later);
    EXPECT_FALSE(LeaveHold(record, {7, 0, 70}, alive));
    EXPECT_FALSE(LeaveHold(record, {5, 0, 50}, alive));
    EXPECT_FALSE(LeaveHold(record, {5, 0, 50}, alive));
    EXPECT_TRUE(LeaveHold(record, {6, 0, 60}, alive));

    for (uint32_t i = 0; i < kMaxHolders + 3; ++i) JoinHold(record, {100 + i, 0, 1}, alive);
    EXPECT_EQ(record.holderCount, static_cast<uint32_t>(kMaxHolders));
}

// Without the record (it cannot be had) a hold acts alone, as one watch does.
TEST(SharedHolds, WithoutTheRecordAHoldActsAlone) {
    BoxRecorder boxes;
    FakePowerSystem machine;
    machine.keepsWhatIsWritten = true;
    machine.screenSaveValue = L"0";
    FakeHoldRecord session;
    session.available = false;
    machine.holdRecord = &session;
    {
        ScreenSaverPowerHold hold(true, machine);
        EXPECT_EQ(machine.screenSaveValue, L"0");
    }
    EXPECT_EQ(machine.screenSaverSets, (std::vector<bool>{false, false}));
    EXPECT_EQ(session.locks, 0);
    EXPECT_TRUE(boxes.boxes.empty());
}
