// The condition test's verdicts from fed samples: one sampling of the watcher's rules that
// never stops, and the texts of the four fields with their sticky verdicts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "watch/condition_test_logic.h"
#include "watch/fed_process_source.h"
#include "watch/process_watch_logic.h"

namespace {
// Runs a test of the given number of seconds and returns what each field showed after
// each second (a field keeps its text when it is not rewritten).
struct FieldHistory {
    std::vector<std::wstring> end, cpu, windows, text;
};

FieldHistory RunTest(FedSource& source, int seconds, int initialWindows, bool hasTextWindow,
                     const WideString& initialText) {
    ConditionSampler sampler(hasTextWindow, initialWindows, initialText);
    ConditionTestBoard board(initialWindows);
    FieldHistory history;
    std::wstring end = kVerdictNotMet, cpu, windows, text = initialText.str();
    for (int i = 0; i < seconds; ++i) {
        ConditionTestFields fields = board.Apply(sampler.Sample(source, 0));
        if (fields.endShown) end = fields.end.str();
        if (fields.cpuShown) cpu = fields.cpu.str();
        if (fields.windowsShown) windows = fields.windows.str();
        if (fields.textShown) text = fields.text.str();
        history.end.push_back(end);
        history.cpu.push_back(cpu);
        history.windows.push_back(windows);
        history.text.push_back(text);
    }
    return history;
}
}  // namespace

TEST(ConditionSampler, WithoutAStopSetEveryConditionIsSampledEverySecond) {
    FedSource source;
    source.ended = {true};
    source.cpu = {0};
    source.windows = {0};
    source.texts = {{true, L""}};
    ConditionSampler sampler(true, 1, L"title");
    for (int i = 0; i < 7; ++i) {
        SecondSample sample = sampler.Sample(source, 0);
        EXPECT_TRUE(sample.ended);
        EXPECT_EQ(sample.met, 0);
        EXPECT_EQ(sample.idle, i >= 5) << "second " << i + 1;
        EXPECT_TRUE(sample.windowsChanged);
        EXPECT_TRUE(sample.textChanged);
    }
    EXPECT_EQ(source.endCalls, 7);
    EXPECT_EQ(source.cpuCalls, 7);
    EXPECT_EQ(source.windowCalls, 7);
    EXPECT_EQ(source.textCalls, 7);

    // The watcher's stop set ends the same second at the end of the process.
    FedSource watched;
    watched.ended = {true};
    ConditionSampler watcher(true, 1, L"title");
    SecondSample first = watcher.Sample(watched, WatcherStopConditions(3, true));
    EXPECT_EQ(first.met, kMetEnded);
    EXPECT_FALSE(first.cpuSampled);
    EXPECT_EQ(watched.cpuCalls, 0);
}

TEST(ConditionTestBoard, WindowCountGoingUpAndBackStaysMet) {
    FedSource source;
    source.cpu = {5};
    source.windows = {1, 1, 2, 1};
    FieldHistory h = RunTest(source, 4, 1, false, L"");
    EXPECT_EQ(h.windows[0], L"1 条件不成立");
    EXPECT_EQ(h.windows[1], L"1 条件不成立");
    EXPECT_EQ(h.windows[2], L"1→2 条件成立");
    EXPECT_EQ(h.windows[3], L"1→1 条件成立");
}

TEST(ConditionTestBoard, IdleVerdictTurnsOnTheSixthZeroSecondAndStays) {
    FedSource source;
    source.cpu = {0, 0, 0, 0, 0, 0, 1234567, 0};
    FieldHistory h = RunTest(source, 8, 1, false, L"");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(h.cpu[static_cast<size_t>(i)], L"0.00000% 条件不成立") << i;
    EXPECT_EQ(h.cpu[5], L"0.00000% 条件成立");
    // Busy again: the value follows, the verdict stays.
    EXPECT_EQ(h.cpu[6], L"12.34567% 条件成立");
    EXPECT_EQ(h.cpu[7], L"0.00000% 条件成立");

    // A busy second in the run starts the count again.
    FedSource interrupted;
    interrupted.cpu = {0, 0, 0, 0, 0, 200000, 0};
    FieldHistory again = RunTest(interrupted, 12, 1, false, L"");
    EXPECT_EQ(again.cpu[10], L"0.00000% 条件不成立");
    EXPECT_EQ(again.cpu[11], L"0.00000% 条件成立");
}

TEST(ConditionTestBoard, EndIsShownOnceAndTheOtherVerdictsFollowIt) {
    FedSource source;
    source.ended = {false, false, true};
    source.cpu = {300000, 300000, 0};
    source.windows = {1, 1, 0};
    FieldHistory h = RunTest(source, 9, 1, false, L"");
    EXPECT_EQ(h.end[1], L"条件不成立");
    EXPECT_EQ(h.end[2], L"条件成立");
    EXPECT_EQ(h.end[8], L"条件成立");
    // An ended process has no windows and no CPU time: both verdicts turn with it.
    EXPECT_EQ(h.windows[2], L"1→0 条件成立");
    EXPECT_EQ(h.cpu[6], L"0.00000% 条件不成立");
    EXPECT_EQ(h.cpu[7], L"0.00000% 条件成立");
}

TEST(ConditionTestBoard, TextShowsTheLastChangeAndKeepsItWhenTheTextComesBack) {
    FedSource source;
    source.cpu = {5};
    source.texts = {{true, L"title"}, {true, L"title *"}, {true, L"title"}, {false, L""}, {true, L""}};
    FieldHistory h = RunTest(source, 5, 1, true, L"title");
    EXPECT_EQ(h.text[0], L"title");
    EXPECT_EQ(h.text[1], L"条件成立(title *)");
    EXPECT_EQ(h.text[2], L"条件成立(title *)");
    // A window that keeps silent changes nothing; one that was destroyed reads as empty.
    EXPECT_EQ(h.text[3], L"条件成立(title *)");
    EXPECT_EQ(h.text[4], L"条件成立()");

    // Without a chosen window the field starts and stays empty.
    FedSource none;
    none.cpu = {5};
    none.texts = {{true, L"something"}};
    FieldHistory empty = RunTest(none, 3, 1, false, L"");
    EXPECT_EQ(empty.text[2], L"");
    EXPECT_EQ(none.textCalls, 0);
}
