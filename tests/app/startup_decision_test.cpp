// Start-up's decisions that depend on the system only through their arguments, for both
// builds: the elevated relaunch of a setting and the refusal of the 32-bit build.
#include <gtest/gtest.h>

#include "app/startup_logic.h"
#include "app/system_info.h"

TEST(ElevatedRelaunch, OnlyAnAdministratorSettingInAProcessThatCanBeElevated) {
    struct Case {
        bool asAdmin;
        int elevation;
        bool relaunch;
    } cases[] = {
        {false, kElevationNotSplit, false},
        {false, kElevationLimited, false},
        {false, kElevationFull, false},
        {true, kElevationNotSplit, false},
        {true, kElevationLimited, true},
        {true, kElevationFull, false},
        // A token that could not be read counts as nothing to elevate.
        {true, 0, false},
    };
    for (const Case& c : cases) {
        RelaunchDecision decision = DecideRelaunch(c.asAdmin, c.elevation, L"nightly backup");
        EXPECT_EQ(decision.relaunch, c.relaunch) << "AsAdmin " << c.asAdmin << ", elevation " << c.elevation;
        EXPECT_EQ(ShouldRelaunchElevated(c.asAdmin, c.elevation), c.relaunch);
        // The elevated instance runs the setting by "#" and its name; this one runs nothing.
        EXPECT_EQ(decision.arguments, c.relaunch ? WideString(L"#nightly backup") : WideString())
            << "AsAdmin " << c.asAdmin << ", elevation " << c.elevation;
    }
}

TEST(ElevatedRelaunch, TheArgumentsNameTheSettingAsTheFirstInstanceGotIt) {
    // The section name as the "#" road cut it from the argument text: blanks inside stay.
    RoadChoice road = ChooseRoad(L"#my  setting");
    RelaunchDecision decision = DecideRelaunch(true, kElevationLimited, road.sectionName);
    EXPECT_EQ(decision.arguments, WideString(L"#my  setting"));
    // The elevated instance takes the same single-instance name as the first one, which
    // lets go of it before relaunching.
    EXPECT_EQ(SingleInstanceMutexName(decision.arguments), SingleInstanceMutexName(L"#my  setting"));
    EXPECT_EQ(DecideRelaunch(true, kElevationLimited, L"").arguments, WideString(L"#"));
}

TEST(Wow64Refusal, OnlyThe32BitBuildUnderWow64) {
    EXPECT_TRUE(RefusesToRun(true, true));
    EXPECT_FALSE(RefusesToRun(true, false));
    EXPECT_FALSE(RefusesToRun(false, true));
    EXPECT_FALSE(RefusesToRun(false, false));
    EXPECT_STREQ(kStartTheOtherProgramText, L"TLR64.exe を起動してください");
}
