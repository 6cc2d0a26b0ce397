// The process list of page 130 without its list view: what a refresh reads, adds and
// removes; the column texts; the sort orders; the information box; the window rule.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "wizard/fake_process_catalog.h"
#include "wizard/process_page_logic.h"

namespace {

std::vector<int> Ids(const ProcessListModel& model, const std::vector<int>& positions) {
    std::vector<int> ids;
    for (int p : positions) ids.push_back(model.Entry(p).record.id);
    return ids;
}

std::vector<int> AllPositions(const ProcessListModel& model) {
    std::vector<int> positions;
    for (int i = 0; i < model.Count(); ++i) positions.push_back(i);
    return positions;
}

ProcessEntry Task(int threadId, const wchar_t* name) {
    ProcessEntry task;
    task.record.id = -threadId;
    task.record.bitness = kBitness16;
    task.path = name;
    return task;
}

}  // namespace

TEST(ProcessListModel, ResetListsInOrderAndRefreshReadsOnlyNewProcesses) {
    FakeProcessCatalog catalog;
    catalog.Start(10, L"C:\\a.exe");
    catalog.Start(20, L"C:\\b.exe");
    catalog.Start(30, L"C:\\c.exe");
    ProcessListModel model(catalog);
    model.Reset();
    EXPECT_EQ(Ids(model, AllPositions(model)), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(catalog.readCalls, 3);
    EXPECT_EQ(catalog.samplersMade, 3);

    // Nothing changed: the refresh lists the ids and opens no process.
    ListChanges none = model.Refresh();
    EXPECT_TRUE(none.added.empty());
    EXPECT_TRUE(none.removed.empty());
    EXPECT_EQ(catalog.readCalls, 3);

    catalog.Start(40, L"C:\\d.exe");
    catalog.End(20);
    ListChanges changes = model.Refresh();
    EXPECT_EQ(catalog.readCalls, 4);
    EXPECT_EQ(Ids(model, changes.added), std::vector<int>{40});
    EXPECT_EQ(Ids(model, changes.removed), std::vector<int>{20});
    // The ended process keeps its place; it is simply no longer shown.
    EXPECT_EQ(model.Count(), 4);
    EXPECT_FALSE(model.IsShown(1));
    EXPECT_TRUE(model.IsShown(3));

    // Removed once only.
    EXPECT_TRUE(model.Refresh().removed.empty());
}

TEST(ProcessListModel, AnIdTakenOverByANewProcessIsNotAddedUntilTheNextReset) {
    FakeProcessCatalog catalog;
    catalog.Start(10, L"C:\\old.exe");
    ProcessListModel model(catalog);
    model.Reset();
    catalog.End(10);
    EXPECT_EQ(model.Refresh().removed.size(), 1u);
    catalog.Start(10, L"C:\\new.exe");
    EXPECT_TRUE(model.Refresh().added.empty());
    EXPECT_EQ(model.Count(), 1);
    model.Reset();
    EXPECT_EQ(model.Entry(0).path.str(), L"C:\\new.exe");
    EXPECT_TRUE(model.IsShown(0));
}

TEST(ProcessListModel, AProcessThatCannotBeReadIsAskedAFewTimesThenLeftAlone) {
    FakeProcessCatalog catalog;
    catalog.Start(10, L"C:\\a.exe");
    catalog.Start(66, L"C:\\starting.exe");
    catalog.Find(66)->readable = false;
    ProcessListModel model(catalog);
    model.Reset();
    EXPECT_EQ(model.Count(), 1);

    // Readable at the next look (a process that had just started): it is added.
    catalog.Find(66)->readable = true;
    EXPECT_EQ(Ids(model, model.Refresh().added), std::vector<int>{66});

    // A process that never becomes readable costs a few reads, not one every second.
    catalog.Start(77, L"C:\\protected.exe");
    catalog.Find(77)->readable = false;
    int before = catalog.readCalls;
    for (int i = 0; i < 10; ++i) model.Refresh();
    EXPECT_EQ(catalog.readCalls - before, ProcessListModel::kReadAttempts);

    // Its id, once given to a new process, is read again.
    catalog.End(77);
    model.Refresh();
    catalog.Start(77, L"C:\\later.exe");
    EXPECT_EQ(Ids(model, model.Refresh().added), std::vector<int>{77});
}

TEST(ProcessListModel, AFailedListingChangesNothing) {
    FakeProcessCatalog catalog;
    catalog.Start(10, L"C:\\a.exe");
    ProcessListModel model(catalog);
    model.Reset();
    catalog.listingFails = true;
    ListChanges changes = model.Refresh();
    EXPECT_TRUE(changes.removed.empty());
    EXPECT_TRUE(model.IsShown(0));
}

TEST(ProcessListModel, SixteenBitTasksComeBeforeTheirHostAndFollowItWhileItRuns) {
    FakeProcessCatalog catalog;
    catalog.Start(5, L"C:\\a.exe");
    catalog.Start(50, L"C:\\WINDOWS\\system32\\ntvdm.exe", kBitness32);
    catalog.Find(50)->tasks = {Task(501, L"C:\\OLD\\WRITE.EXE"), Task(502, L"C:\\OLD\\CALC.EXE")};
    ProcessListModel model(catalog);
    model.Reset();
    EXPECT_EQ(Ids(model, AllPositions(model)), (std::vector<int>{5, -501, -502, 50}));

    catalog.Find(50)->tasks = {Task(502, L"C:\\OLD\\CALC.EXE"), Task(503, L"C:\\OLD\\CLOCK.EXE")};
    ListChanges changes = model.Refresh();
    EXPECT_EQ(Ids(model, changes.added), std::vector<int>{-503});
    EXPECT_EQ(Ids(model, changes.removed), std::vector<int>{-501});

    // The host ends: its tasks go with it.
    catalog.End(50);
    changes = model.Refresh();
    EXPECT_EQ(Ids(model, changes.removed), (std::vector<int>{-502, 50, -503}));
}

TEST(ProcessRowTexts, NameAttributePidAndFolder) {
    ProcessEntry entry;
    entry.record.id = 4312;
    entry.record.bitness = kBitness64;
    entry.record.elevation = 3;
    entry.path = L"C:\\Program Files\\Tool\\tool.exe";
    ProcessRowTexts texts = MakeProcessRowTexts(entry);
    EXPECT_EQ(texts.name.str(), L"tool.exe");
    EXPECT_EQ(texts.attribute.str(), L"64bit 昇格");
    EXPECT_EQ(texts.pid.str(), L"4312");
    EXPECT_EQ(texts.folder.str(), L"C:\\Program Files\\Tool");

    // A program in a drive's root shows the root with its backslash; a network path has none added.
    entry.path = L"D:\\run.exe";
    EXPECT_EQ(MakeProcessRowTexts(entry).folder.str(), L"D:\\");
    entry.path = L"\\\\server\\share\\run.exe";
    EXPECT_EQ(MakeProcessRowTexts(entry).folder.str(), L"\\\\server\\share");

    // A 16-bit task: no PID, and a bare name is its own folder text.
    ProcessEntry task = Task(77, L"WRITE.EXE");
    ProcessRowTexts taskTexts = MakeProcessRowTexts(task);
    EXPECT_EQ(taskTexts.pid.str(), L"");
    EXPECT_EQ(taskTexts.attribute.str(), L"16bit");
    EXPECT_EQ(taskTexts.name.str(), L"WRITE.EXE");
    EXPECT_EQ(taskTexts.folder.str(), L"WRITE.EXE");
}

TEST(CpuColumnText, RoundsToTheNearestPercentOfOneProcessorAndStopsAt100) {
    EXPECT_EQ(CpuColumnText(0).str(), L"0");
    EXPECT_EQ(CpuColumnText(49999).str(), L"0");
    EXPECT_EQ(CpuColumnText(50000).str(), L"1");
    EXPECT_EQ(CpuColumnText(1249999).str(), L"12");
    EXPECT_EQ(CpuColumnText(1250000).str(), L"13");
    EXPECT_EQ(CpuColumnText(9949999).str(), L"99");
    EXPECT_EQ(CpuColumnText(10000000).str(), L"100");
    // Two busy processors in one second.
    EXPECT_EQ(CpuColumnText(20000000).str(), L"100");
    EXPECT_EQ(CpuColumnText(~0ull).str(), L"100");
}

TEST(ProcessSort, AColumnClickedTwiceTurnsAndAThirdTimeSortsAsTheFirst) {
    EXPECT_EQ(NextSortKey(kInitialSortKey, kNameColumn), -1);
    EXPECT_EQ(NextSortKey(-1, kNameColumn), 1);
    EXPECT_EQ(NextSortKey(1, kCpuColumn), 5);
    EXPECT_EQ(NextSortKey(5, kCpuColumn), -5);
    EXPECT_EQ(NextSortKey(-5, kPidColumn), 3);
}

namespace {
// Rows of a sort test: position i holds entries[i]; cpu[i] its delta.
struct SortCase {
    std::vector<ProcessEntry> entries;
    std::vector<unsigned long long> cpu;
    int cpuReads = 0;

    void Add(int id, const wchar_t* path, int bitness, int elevation, unsigned long long delta) {
        ProcessEntry e;
        e.record.id = id;
        e.record.bitness = bitness;
        e.record.elevation = elevation;
        e.path = path;
        entries.push_back(e);
        cpu.push_back(delta);
    }
    // The ids in the sorted order, from rows shown in the given order.
    std::vector<int> Sorted(const std::vector<int>& shown, int key) {
        std::vector<int> rows = SortRows(
            shown, key, [this](int row) { return entries[static_cast<size_t>(row)]; },
            [this](int row) {
                ++cpuReads;
                return cpu[static_cast<size_t>(row)];
            },
            wcscmp);
        std::vector<int> ids;
        for (int row : rows) ids.push_back(entries[static_cast<size_t>(row)].record.id);
        return ids;
    }
};
}  // namespace

TEST(ProcessSort, EachColumnInBothDirections) {
    SortCase c;
    c.Add(30, L"C:\\b\\b.exe", kBitness64, 1, 100);
    c.Add(10, L"C:\\c\\a.exe", kBitness32, 1, 900);
    c.Add(20, L"C:\\a\\c.exe", kBitness64, 3, 500);
    c.Add(-7, L"C:\\d\\d.exe", kBitness16, 1, 0);
    std::vector<int> shown = {0, 1, 2, 3};
    EXPECT_EQ(c.Sorted(shown, 1), (std::vector<int>{10, 30, 20, -7}));
    EXPECT_EQ(c.Sorted(shown, -1), (std::vector<int>{-7, 20, 30, 10}));
    EXPECT_EQ(c.Sorted(shown, 2), (std::vector<int>{-7, 10, 30, 20}));
    EXPECT_EQ(c.Sorted(shown, -2), (std::vector<int>{20, 30, 10, -7}));
    // A task counts as id 0.
    EXPECT_EQ(c.Sorted(shown, 3), (std::vector<int>{-7, 10, 20, 30}));
    EXPECT_EQ(c.Sorted(shown, -3), (std::vector<int>{30, 20, 10, -7}));
    EXPECT_EQ(c.Sorted(shown, 4), (std::vector<int>{20, 30, 10, -7}));
    EXPECT_EQ(c.Sorted(shown, -4), (std::vector<int>{-7, 10, 30, 20}));
    // The first click on CPU puts the busiest first.
    EXPECT_EQ(c.Sorted(shown, 5), (std::vector<int>{10, 20, 30, -7}));
    EXPECT_EQ(c.Sorted(shown, -5), (std::vector<int>{-7, 30, 20, 10}));
    EXPECT_EQ(c.cpuReads, 8);
}

TEST(ProcessSort, EqualKeysKeepTheOrderShownSoRowsDoNotSwapAtEveryRefresh) {
    SortCase c;
    c.Add(1, L"C:\\x\\same.exe", kBitness64, 1, 0);
    c.Add(2, L"C:\\y\\same.exe", kBitness64, 1, 0);
    c.Add(3, L"C:\\x\\other.exe", kBitness64, 1, 0);
    // Sorting again by the same key, in either direction, never moves equal rows.
    for (int key : {1, -1, 2, -2, 5, -5}) {
        std::vector<int> firstOrder = c.Sorted({0, 1, 2}, key);
        std::vector<int> rows;
        for (int id : firstOrder) rows.push_back(id - 1);
        EXPECT_EQ(c.Sorted(rows, key), firstOrder) << "key " << key;
    }
    // All three have the same attribute and CPU: the order shown stays.
    EXPECT_EQ(c.Sorted({2, 0, 1}, 2), (std::vector<int>{3, 1, 2}));
    EXPECT_EQ(c.Sorted({2, 0, 1}, -2), (std::vector<int>{3, 1, 2}));
    EXPECT_EQ(c.Sorted({1, 0, 2}, 5), (std::vector<int>{2, 1, 3}));
    // Equal names in the order shown; equal folders too.
    EXPECT_EQ(c.Sorted({1, 2, 0}, 1), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(c.Sorted({2, 1, 0}, 4), (std::vector<int>{3, 1, 2}));
}

TEST(ProcessSort, CpuIsReadOncePerRowAndOtherKeysNeverReadIt) {
    SortCase c;
    for (int i = 0; i < 200; ++i) c.Add(i + 1, L"C:\\p.exe", kBitness64, 1, static_cast<unsigned long long>(i % 17));
    std::vector<int> shown;
    for (int i = 0; i < 200; ++i) shown.push_back(i);
    std::vector<int> byCpu = c.Sorted(shown, 5);
    EXPECT_EQ(c.cpuReads, 200);
    for (size_t i = 1; i < byCpu.size(); ++i)
        EXPECT_GE(c.cpu[static_cast<size_t>(byCpu[i - 1] - 1)], c.cpu[static_cast<size_t>(byCpu[i] - 1)]);
    c.Sorted(shown, 1);
    c.Sorted(shown, -3);
    EXPECT_EQ(c.cpuReads, 200);
}

TEST(ProcessInfoText, ProcessAndSixteenBitTask) {
    EXPECT_EQ(ProcessInfoText(4312, L"C:\\a\\b.exe", 2, L"2024/03/05 09:07:02.045").str(),
              L"プロセスＩＤ：4312\nフルパス：C:\\a\\b.exe\n親ウインドウ数：2\n開始時間：2024/03/05 09:07:02.045");
    EXPECT_EQ(ProcessInfoText(-1234, L"WRITE.EXE", 0, L"0").str(),
              L"16bit スレッドＩＤ：1234\nフルパス：WRITE.EXE\n親ウインドウ数：0\n開始時間：0");
    // An ended process: no start time.
    EXPECT_EQ(ProcessInfoText(9, L"C:\\x.exe", 0, L"").str(),
              L"プロセスＩＤ：9\nフルパス：C:\\x.exe\n親ウインドウ数：0\n開始時間：");
}

TEST(ChosenWindowRule, AWindowBelongsOnlyToItsOwnProcessOrTask) {
    EXPECT_TRUE(WindowBelongsToProcess(4312, 4312, 100));
    EXPECT_FALSE(WindowBelongsToProcess(4312, 4313, 100));
    // A window that no longer exists belongs to nobody.
    EXPECT_FALSE(WindowBelongsToProcess(4312, 0, 0));
    // A 16-bit task owns the windows of its thread.
    EXPECT_TRUE(WindowBelongsToProcess(-100, 700, 100));
    EXPECT_FALSE(WindowBelongsToProcess(-100, 700, 101));
    EXPECT_FALSE(WindowBelongsToProcess(0, 700, 0));
}

TEST(ConditionBits, TheTwoBoxesAreBitsZeroAndOne) {
    EXPECT_EQ(ConditionBitsFromChecks(false, false), 0);
    EXPECT_EQ(ConditionBitsFromChecks(true, false), 1);
    EXPECT_EQ(ConditionBitsFromChecks(false, true), 2);
    EXPECT_EQ(ConditionBitsFromChecks(true, true), 3);
}
