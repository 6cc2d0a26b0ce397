// Start-up's decisions that depend on the system only through their arguments, for both
// builds: the elevated relaunch of a setting, the refusal of the 32-bit build and the
// single-instance check.
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

// The single-instance check with the system's answers fed in. An elevated instance's
// mutex refuses an ordinary process (access denied) both to open and to create: that is
// an instance already running, not an error to report and go on from.
TEST(SingleInstance, AnAccessDeniedNameIsAnInstanceAlreadyRunning) {
    EXPECT_EQ(AnswerToOpen(true, ERROR_SUCCESS), InstanceAnswer::AlreadyRunning);
    EXPECT_EQ(AnswerToOpen(false, ERROR_ACCESS_DENIED), InstanceAnswer::AlreadyRunning);
    EXPECT_EQ(AnswerToOpen(false, ERROR_FILE_NOT_FOUND), InstanceAnswer::TryToCreate);

    EXPECT_EQ(AnswerToCreate(true, ERROR_SUCCESS), InstanceAnswer::Owned);
    // Made by another instance between the two calls.
    EXPECT_EQ(AnswerToCreate(true, ERROR_ALREADY_EXISTS), InstanceAnswer::AlreadyRunning);
    EXPECT_EQ(AnswerToCreate(false, ERROR_ACCESS_DENIED), InstanceAnswer::AlreadyRunning);
    // Any other failure is reported and the program goes on without the name.
    EXPECT_EQ(AnswerToCreate(false, ERROR_INVALID_NAME), InstanceAnswer::CreateFailed);
    EXPECT_EQ(AnswerToCreate(false, ERROR_NOT_ENOUGH_MEMORY), InstanceAnswer::CreateFailed);
}

// The same check on real mutexes of this process: the name a running instance holds opens
// with no more than SYNCHRONIZE, a free name does not.
TEST(SingleInstance, TheLeastAccessTellsWhetherTheNameIsTaken) {
    WideString name = SingleInstanceMutexName(L"#single instance test");
    HANDLE free = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    DWORD freeError = GetLastError();
    EXPECT_EQ(AnswerToOpen(free != nullptr, freeError), InstanceAnswer::TryToCreate);
    if (free) CloseHandle(free);

    HANDLE held = CreateMutexW(nullptr, TRUE, name.c_str());
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(AnswerToCreate(true, GetLastError()), InstanceAnswer::Owned);
    HANDLE second = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    EXPECT_EQ(AnswerToOpen(second != nullptr, second ? ERROR_SUCCESS : GetLastError()), InstanceAnswer::AlreadyRunning);
    HANDLE again = CreateMutexW(nullptr, TRUE, name.c_str());
    EXPECT_EQ(AnswerToCreate(again != nullptr, GetLastError()), InstanceAnswer::AlreadyRunning);
    if (again) CloseHandle(again);
    if (second) CloseHandle(second);
    ReleaseMutex(held);
    CloseHandle(held);
}

// The elevated start: a start the user declines is no failure and ends this instance as
// the watch would; any other failure is one, and this instance ends with code 1.
TEST(ElevatedRelaunch, OnlyADeclinedElevationIsNoFailure) {
    EXPECT_EQ(ElevatedStartOutcome(true, ERROR_SUCCESS), ElevatedStart::Started);
    EXPECT_EQ(ElevatedStartOutcome(false, ERROR_CANCELLED), ElevatedStart::Declined);
    for (unsigned long error : {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_BAD_NETPATH})
        EXPECT_EQ(ElevatedStartOutcome(false, error), ElevatedStart::Failed) << error;
    EXPECT_EQ(HandOverExitCode(ElevatedStart::Started), 0);
    EXPECT_EQ(HandOverExitCode(ElevatedStart::Declined), 0);
    EXPECT_EQ(HandOverExitCode(ElevatedStart::Failed), 1);
}

// The settings path is handed to the private-profile functions, which take MAX_PATH
// characters with the terminating zero.
TEST(SettingsPath, MustFitWhatTheProfileFunctionsTake) {
    WideString folder = WideString(L"C:\\") + WideString(std::wstring(MAX_PATH - 12, L'a'));
    WideString fits = FileInFolder(folder, L"TLR.ini");
    ASSERT_EQ(fits.Length(), MAX_PATH - 1);
    EXPECT_TRUE(SettingsPathFits(fits));
    EXPECT_FALSE(SettingsPathFits(FileInFolder(folder + L"b", L"TLR.ini")));
    EXPECT_TRUE(SettingsPathFits(FileInFolder(L"C:\\", L"TLR.ini")));
}
