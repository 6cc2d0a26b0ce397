// The Windows-exit action on recorded effects: which call is made with which values,
// when the countdown is asked for, and what a failure shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/countdown.h"
#include "actions/windows_exit.h"
#include "common/box_recorder.h"

namespace {

class RecordedExit : public ExitEffects {
public:
    void EnableShutdownPrivilege() override { calls.push_back("privilege"); }
    BOOL SetSystemPowerState(BOOL suspend, BOOL force) override {
        calls.push_back(std::string("power ") + (suspend ? "suspend" : "hibernate") + (force ? " force" : ""));
        if (!powerResult) SetLastError(ERROR_ACCESS_DENIED);
        return powerResult;
    }
    BOOL ExitWindowsEx(UINT flags, DWORD reason) override {
        calls.push_back("exit " + std::to_string(flags) + " " + std::to_string(reason));
        if (!exitResult) SetLastError(ERROR_PRIVILEGE_NOT_HELD);
        return exitResult;
    }
    std::vector<std::string> calls;
    BOOL powerResult = TRUE;
    BOOL exitResult = TRUE;
};

struct CountdownCall {
    std::wstring title;
    int seconds;
};

// A countdown that records what it was asked and answers as told.
CountdownFunction Answering(int answer, std::vector<CountdownCall>& asked) {
    return [answer, &asked](const WideString& title, int seconds) {
        asked.push_back({title.str(), seconds});
        return answer;
    };
}

}  // namespace

TEST(EndWindows, MethodAndForceChooseTheOneCall) {
    struct Case {
        const wchar_t* text;
        const char* call;
        int result;
    } cases[] = {
        {L"通常の終了", "exit 8 0", kExitRequested},
        {L"通常の終了 強制終了", "exit 12 0", kExitRequested},
        {L"再起動", "exit 2 0", kExitRequested},
        {L"再起動 強制終了", "exit 6 0", kExitRequested},
        {L"", "exit 8 0", kExitRequested},
        {L"強制終了", "exit 12 0", kExitRequested},
        {L"スリープ", "power suspend", kPowerStateRequested},
        {L"スリープ 強制終了", "power suspend", kPowerStateRequested},
        {L"休止状態 強制終了", "power hibernate", kPowerStateRequested},
        // Sleep is tested first, so a text naming sleep and restart sleeps.
        {L"スリープ 再起動", "power suspend", kPowerStateRequested},
        {L"再起動 休止状態", "power hibernate", kPowerStateRequested},
    };
    for (const Case& c : cases) {
        BoxRecorder boxes;
        RecordedExit effects;
        std::vector<CountdownCall> asked;
        int result = EndWindowsWith(c.text, Answering(1, asked), effects);
        std::vector<std::string> expected = {"privilege", c.call};
        EXPECT_EQ(effects.calls, expected) << c.call;
        EXPECT_EQ(result, c.result) << c.call;
        EXPECT_TRUE(asked.empty()) << "no wait piece, yet a countdown";
        EXPECT_TRUE(boxes.boxes.empty());
    }
}

TEST(EndWindows, WaitRunsTheCountdownFirst) {
    BoxRecorder boxes;
    std::vector<CountdownCall> asked;

    RecordedExit cancelled;
    EXPECT_EQ(EndWindowsWith(L"再起動 強制終了 待機時間 =30秒", Answering(0, asked), cancelled), kExitCancelled);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, L"再起動 強制終了 までの時間");
    EXPECT_EQ(asked[0].seconds, 30);
    EXPECT_TRUE(cancelled.calls.empty()) << "a cancelled countdown must leave Windows alone";

    RecordedExit proceeded;
    EXPECT_EQ(EndWindowsWith(L"再起動 強制終了 待機時間 =30秒", Answering(1, asked), proceeded), kExitRequested);
    std::vector<std::string> expected = {"privilege", "exit 6 0"};
    EXPECT_EQ(proceeded.calls, expected);

    // A hand-written wait of 0 still goes through the countdown (one tick).
    RecordedExit zero;
    asked.clear();
    EndWindowsWith(L"スリープ 待機時間 =0秒", Answering(1, asked), zero);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].seconds, 0);
    EXPECT_EQ(asked[0].title, L"スリープ までの時間");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(EndWindows, AFailedCallIsReportedNeverPassedOverInSilence) {
    struct Case {
        const wchar_t* text;
        const wchar_t* box;
        int result;
    } cases[] = {
        {L"スリープ", L"スリープエラー Error Code =5", kPowerStateRequested},
        {L"休止状態", L"休止状態エラー Error Code =5", kPowerStateRequested},
        // A remote session, a policy or a missing privilege: the PC stays on, and says so.
        {L"再起動", L"ExitWindowsEx Error Code =1314", kExitRequested},
        {L"通常の終了 強制終了", L"ExitWindowsEx Error Code =1314", kExitRequested},
    };
    for (const Case& c : cases) {
        BoxRecorder boxes;
        RecordedExit effects;
        effects.powerResult = FALSE;
        effects.exitResult = FALSE;
        std::vector<CountdownCall> asked;
        EXPECT_EQ(EndWindowsWith(c.text, Answering(1, asked), effects), c.result);
        ASSERT_EQ(boxes.boxes.size(), 1u) << c.result;
        EXPECT_EQ(boxes.boxes[0].text, c.box);
        EXPECT_EQ(boxes.boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    }
}

TEST(EndWindows, APrivilegeNotGrantedIsReported) {
    {
        // AdjustTokenPrivileges succeeds without the privilege in the token.
        BoxRecorder boxes;
        ReportPrivilegeAdjustment(TRUE, ERROR_NOT_ALL_ASSIGNED);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, L"AdjustTokenPrivileges Error Code =1300");
    }
    {
        BoxRecorder boxes;
        ReportPrivilegeAdjustment(FALSE, ERROR_INVALID_HANDLE);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, L"AdjustTokenPrivileges Error Code =6");
    }
    BoxRecorder boxes;
    ReportPrivilegeAdjustment(TRUE, ERROR_SUCCESS);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(Countdown, ClockEndsAfterItsSecondsAndAtTheFirstTickForZero) {
    CountdownClock three(3);
    EXPECT_FALSE(three.Tick());
    EXPECT_FALSE(three.Tick());
    EXPECT_EQ(three.Remaining(), 1);
    EXPECT_TRUE(three.Tick());
    CountdownClock zero(0);
    EXPECT_TRUE(zero.Tick());
    CountdownClock negative(-4);
    EXPECT_TRUE(negative.Tick());
    EXPECT_EQ(SecondsText(30).str(), L"30秒");
}
