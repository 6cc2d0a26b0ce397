// The process watcher's fields and the order and rules of its once-a-second checks, with
// samples fed by the test.
#include <gtest/gtest.h>

#include "watch/fed_process_source.h"
#include "watch/process_watch_logic.h"

TEST(ProcessWatchDisplay, FileNameAndFolderOfThePath) {
    ProcessWatchDisplay d = MakeProcessWatchDisplay(L"C:\\Tools\\Long Name\\app.exe", 0, false, 1, L"", false);
    EXPECT_EQ(d.fileName.str(), L"app.exe");
    EXPECT_EQ(d.folder.str(), L"C:\\Tools\\Long Name");
    // A root keeps its backslash.
    d = MakeProcessWatchDisplay(L"C:\\app.exe", 0, false, 1, L"", false);
    EXPECT_EQ(d.fileName.str(), L"app.exe");
    EXPECT_EQ(d.folder.str(), L"C:\\");
    d = MakeProcessWatchDisplay(L"\\\\server\\share\\app.exe", 0, false, 1, L"", false);
    EXPECT_EQ(d.fileName.str(), L"app.exe");
    EXPECT_EQ(d.folder.str(), L"\\\\server\\share");
    // Without a backslash: the whole text is the name and there is no folder.
    d = MakeProcessWatchDisplay(L"CALC.EXE", 0, false, 1, L"", false);
    EXPECT_EQ(d.fileName.str(), L"CALC.EXE");
    EXPECT_EQ(d.folder.str(), L"");
    d = MakeProcessWatchDisplay(L"", 0, false, 1, L"", false);
    EXPECT_EQ(d.fileName.str(), L"");
    EXPECT_EQ(d.folder.str(), L"");
}

TEST(ProcessWatchDisplay, ConditionsActionAndCapture) {
    ProcessWatchDisplay d = MakeProcessWatchDisplay(L"C:\\a.exe", 3, true, 1, L"cmd.exe /c echo x", true);
    EXPECT_EQ(d.conditions.str(), L"プロセス終了 親Win変化 CPU使用率0 指定文字列の変化");
    EXPECT_EQ(d.action.str(), L"コマンド cmd.exe /c echo x");
    EXPECT_EQ(d.other.str(), L"動作前に画像キャプチャー");

    d = MakeProcessWatchDisplay(L"C:\\a.exe", 0, false, 0, L"Repeat C:\\a.wav", false);
    EXPECT_EQ(d.conditions.str(), L"プロセス終了");
    EXPECT_EQ(d.action.str(), L"ファイルの再生 Repeat C:\\a.wav");
    EXPECT_EQ(d.other.str(), L"");

    // Bits other than 0 and 1 are ignored.
    d = MakeProcessWatchDisplay(L"C:\\a.exe", 2 | 8, false, 2, L"再起動", false);
    EXPECT_EQ(d.conditions.str(), L"プロセス終了 CPU使用率0");
    EXPECT_EQ(d.action.str(), L"Windows の終了 再起動");

    d = MakeProcessWatchDisplay(L"C:\\a.exe", 1, true, 7, L"x", false);
    EXPECT_EQ(d.conditions.str(), L"プロセス終了 親Win変化 指定文字列の変化");
    EXPECT_EQ(d.action.str(), L"x");
}

namespace {
// Ticks until the rule is met; returns the tick number (1-based) or 0 after limit ticks.
int TicksUntilMet(ProcessWatchRule& rule, ProcessSource& source, int limit) {
    for (int tick = 1; tick <= limit; ++tick) {
        if (rule.Tick(source).met) return tick;
    }
    return 0;
}
}  // namespace

TEST(ProcessWatchRule, IdleProcessFiresOnTheSixthZeroSample) {
    FedSource idle;
    idle.cpu = {0};
    ProcessWatchRule rule(kConditionIdleCpu, false, 1, L"");
    EXPECT_EQ(TicksUntilMet(rule, idle, 20), 6);
    EXPECT_EQ(rule.ZeroCpuCount(), 6);

    // One busy sample starts the count again.
    FedSource interrupted;
    interrupted.cpu = {0, 0, 0, 0, 0, 156250, 0};
    ProcessWatchRule again(kConditionIdleCpu, false, 1, L"");
    EXPECT_EQ(TicksUntilMet(again, interrupted, 20), 12);

    // A busy process never fires it; without the bit an idle one does not either.
    FedSource busy;
    busy.cpu = {100000};
    ProcessWatchRule busyRule(kConditionIdleCpu, false, 1, L"");
    EXPECT_EQ(TicksUntilMet(busyRule, busy, 30), 0);
    EXPECT_EQ(busyRule.ZeroCpuCount(), 0);
    FedSource idle2;
    ProcessWatchRule noBit(0, false, 1, L"");
    EXPECT_EQ(TicksUntilMet(noBit, idle2, 30), 0);
    EXPECT_EQ(noBit.ZeroCpuCount(), 30);
}

// Times that could not be read (a quota under load, a failing call) are no idle second:
// the watch must not fire the idle condition on seconds it knows nothing of.
TEST(ProcessWatchRule, ATimeReadThatFailsIsNoIdleSecond) {
    FedSource unreadable;
    unreadable.cpu = {0};
    unreadable.cpuRead = {false};
    ProcessWatchRule never(kConditionIdleCpu, false, 1, L"");
    EXPECT_EQ(TicksUntilMet(never, unreadable, 30), 0);
    EXPECT_EQ(never.ZeroCpuCount(), 0);

    // One failed read among idle seconds starts the count again, and the field keeps its
    // last value for that second.
    FedSource gap;
    gap.cpu = {0};
    gap.cpuRead = {true, true, true, true, true, false, true};
    ProcessWatchRule rule(kConditionIdleCpu, false, 1, L"");
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(rule.Tick(gap).cpuSampled);
    WatchTickResult failed = rule.Tick(gap);
    EXPECT_FALSE(failed.met);
    EXPECT_FALSE(failed.cpuSampled);
    EXPECT_EQ(TicksUntilMet(rule, gap, 20), 6);
}

TEST(ProcessWatchRule, EndIsCheckedFirstAndAloneWhenItHolds) {
    FedSource source;
    source.ended = {false, true};
    source.cpu = {250000};
    ProcessWatchRule rule(kConditionIdleCpu | kConditionWindowCount, true, 1, L"title");
    WatchTickResult first = rule.Tick(source);
    EXPECT_FALSE(first.met);
    EXPECT_TRUE(first.cpuSampled);
    EXPECT_EQ(first.cpuDelta, 250000u);
    WatchTickResult second = rule.Tick(source);
    EXPECT_TRUE(second.met);
    EXPECT_FALSE(second.cpuSampled);  // the CPU field keeps its last value
    EXPECT_EQ(source.endCalls, 2);
    EXPECT_EQ(source.cpuCalls, 1);
    EXPECT_EQ(source.windowCalls, 1);
    EXPECT_EQ(source.textCalls, 1);
}

TEST(ProcessWatchRule, ParentWindowCountOnlyWithItsBit) {
    FedSource opened;
    opened.cpu = {5};
    opened.windows = {1, 1, 2};
    ProcessWatchRule rule(kConditionWindowCount, false, 1, L"");
    EXPECT_EQ(TicksUntilMet(rule, opened, 10), 3);

    FedSource closed;
    closed.cpu = {5};
    closed.windows = {0};
    ProcessWatchRule fewer(kConditionWindowCount, false, 1, L"");
    EXPECT_EQ(TicksUntilMet(fewer, closed, 10), 1);

    FedSource same;
    same.cpu = {5};
    same.windows = {1, 2};
    ProcessWatchRule withoutBit(kConditionIdleCpu, false, 1, L"");
    EXPECT_EQ(TicksUntilMet(withoutBit, same, 10), 0);
}

TEST(ProcessWatchRule, WindowTextChangeFiresUnlessTheWindowKeepsSilent) {
    FedSource changed;
    changed.cpu = {5};
    changed.texts = {{true, L"title"}, {true, L"title - doc.txt"}};
    ProcessWatchRule rule(0, true, 1, L"title");
    EXPECT_EQ(TicksUntilMet(rule, changed, 10), 2);

    // A window that does not answer counts as unchanged.
    FedSource hung;
    hung.cpu = {5};
    hung.texts = {{false, L""}};
    ProcessWatchRule hungRule(0, true, 1, L"title");
    EXPECT_EQ(TicksUntilMet(hungRule, hung, 10), 0);
    EXPECT_EQ(hung.textCalls, 10);

    // A destroyed window reads as empty: that is a change from a non-empty text.
    FedSource destroyed;
    destroyed.cpu = {5};
    destroyed.texts = {{true, L"title"}, {true, L""}};
    ProcessWatchRule goneRule(0, true, 1, L"title");
    EXPECT_EQ(TicksUntilMet(goneRule, destroyed, 10), 2);

    // A window silent at the start: its first answer is the reference, not a change.
    FedSource lateAnswer;
    lateAnswer.cpu = {5};
    lateAnswer.texts = {{false, L""}, {true, L"title"}, {true, L"title"}, {true, L"title 2"}};
    ProcessWatchRule lateRule(0, true, 1, L"", false);
    EXPECT_EQ(TicksUntilMet(lateRule, lateAnswer, 10), 4);

    // Without a chosen window the text is never asked for.
    FedSource none;
    none.cpu = {5};
    none.texts = {{true, L"other"}};
    ProcessWatchRule noWindow(kConditionWindowCount, false, 1, L"");
    EXPECT_EQ(TicksUntilMet(noWindow, none, 10), 0);
    EXPECT_EQ(none.textCalls, 0);
}

TEST(ProcessWatchRule, IdleCheckComesBeforeWindowsAndText) {
    FedSource source;
    source.cpu = {0};
    source.windows = {1};
    ProcessWatchRule rule(kConditionIdleCpu | kConditionWindowCount, true, 1, L"title");
    EXPECT_EQ(TicksUntilMet(rule, source, 10), 6);
    // The sixth tick ended after the CPU check.
    EXPECT_EQ(source.cpuCalls, 6);
    EXPECT_EQ(source.windowCalls, 5);
    EXPECT_EQ(source.textCalls, 5);
}
