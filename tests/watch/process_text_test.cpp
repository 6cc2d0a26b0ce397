// The texts and rules of process inspection that need no other process.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <functional>
#include <vector>

#include "app/settings.h"
#include "tests/common/box_recorder.h"
#include "app/message_box.h"
#include "watch/process_query.h"
#include "watch/process_text.h"

TEST(CpuPercentText, DividesByOnePercentWithFiveDigitRemainder) {
    EXPECT_EQ(CpuPercentText(1234567).str(), L"12.34567");
    EXPECT_EQ(CpuPercentText(0).str(), L"0.00000");
    EXPECT_EQ(CpuPercentText(100000).str(), L"1.00000");
    EXPECT_EQ(CpuPercentText(7).str(), L"0.00007");
    // Several processors: more than 100.
    EXPECT_EQ(CpuPercentText(10312500).str(), L"103.12500");
    EXPECT_EQ(CpuPercentText(18446744073709551615ull).str(), L"184467440737095.51615");
}

TEST(ProcessAttributeText, BitnessWordThenElevationMark) {
    ProcessEntry entry;
    entry.record.bitness = kBitnessUnknown;
    entry.record.elevation = 3;
    EXPECT_EQ(ProcessAttributeText(entry).str(), L" 昇格");
    entry.record.bitness = kBitness64;
    EXPECT_EQ(ProcessAttributeText(entry).str(), L"64bit 昇格");
    entry.record.bitness = kBitness32;
    entry.record.elevation = 2;
    EXPECT_EQ(ProcessAttributeText(entry).str(), L"32bit");
    entry.record.bitness = kBitness16;
    entry.record.elevation = 1;
    EXPECT_EQ(ProcessAttributeText(entry).str(), L"16bit");
    entry.record.bitness = kBitnessUnknown;
    entry.record.elevation = 0;
    EXPECT_EQ(ProcessAttributeText(entry).str(), L"");
}

TEST(WindowHandleText, HexadecimalOnlyOrNoHandle) {
    EXPECT_EQ(TextToWindowHandle(L"1f4"), reinterpret_cast<HWND>(500));
    EXPECT_EQ(TextToWindowHandle(L"1F4"), reinterpret_cast<HWND>(500));
    EXPECT_EQ(TextToWindowHandle(L"1f4x"), nullptr);
    EXPECT_EQ(TextToWindowHandle(L"error"), nullptr);
    EXPECT_EQ(TextToWindowHandle(L""), nullptr);
    EXPECT_EQ(WindowHandleToText(reinterpret_cast<HWND>(500)).str(), L"1f4");
    EXPECT_EQ(WindowHandleToText(nullptr).str(), L"0");
    EXPECT_EQ(WindowHandleToText(reinterpret_cast<HWND>(0xA0B2C)).str(), L"a0b2c");
    HWND desktop = GetDesktopWindow();
    EXPECT_EQ(TextToWindowHandle(WindowHandleToText(desktop)), desktop);
}

TEST(ParentWindowFilter, VisibleAndLargerThanFourPixels) {
    EXPECT_FALSE(CountsAsParentWindow(true, {10, 10, 12, 12}));
    EXPECT_TRUE(CountsAsParentWindow(true, {-10, 10, -7, 12}));
    EXPECT_FALSE(CountsAsParentWindow(true, {0, 0, 4, 1}));
    EXPECT_FALSE(CountsAsParentWindow(true, {0, 0, 0, 1000}));
    EXPECT_FALSE(CountsAsParentWindow(false, {0, 0, 800, 600}));
    EXPECT_TRUE(CountsAsParentWindow(true, {0, 0, 100000, 100000}));
    EXPECT_FALSE(CountsAsParentWindow(true, {5, 0, 0, 100}));  // no width: a negative area
}

TEST(ParentWindowFilter, RectanglesSetByAnotherProcessAtTheEndsOfTheRange) {
    // Sides wider than 32 bits hold: the sizes are not cut to 32 bits before they multiply.
    EXPECT_TRUE(CountsAsParentWindow(true, {INT_MIN, 0, INT_MAX, 10}));
    EXPECT_TRUE(CountsAsParentWindow(true, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}));
    EXPECT_FALSE(CountsAsParentWindow(true, {INT_MAX, 0, INT_MIN, 10}));
    EXPECT_FALSE(CountsAsParentWindow(true, {INT_MIN, 0, INT_MAX, 0}));
}

TEST(ProcessPathFilter, DriveAndNetworkPathsAreListed) {
    EXPECT_TRUE(IsListedProcessPath(L"C:\\Tools\\app.exe"));
    EXPECT_TRUE(IsListedProcessPath(L"Z:\\tmp\\x.exe"));
    EXPECT_TRUE(IsListedProcessPath(L"\\\\server\\share\\app.exe"));
    EXPECT_FALSE(IsListedProcessPath(L"\\Device\\HarddiskVolume1\\app.exe"));
    EXPECT_FALSE(IsListedProcessPath(L""));
    EXPECT_FALSE(IsListedProcessPath(L"C:app.exe"));
    EXPECT_FALSE(IsListedProcessPath(L"\\??\\C:\\app.exe"));

    EXPECT_TRUE(IsVdmHostPath(L"C:\\WINDOWS\\system32\\ntvdm.exe"));
    EXPECT_TRUE(IsVdmHostPath(L"C:\\WINDOWS\\SYSTEM32\\NTVDM.EXE"));
    EXPECT_FALSE(IsVdmHostPath(L"C:\\Tools\\myntvdm.exe"));
    EXPECT_FALSE(IsVdmHostPath(L"ntvdm.exe"));
}

// The image name is taken when it is a listed path; the slow read of the main module's
// path is made only when it is not, and the process is dropped when neither is listed.
TEST(ProcessPathFilter, ImageNameFirstModulePathOnlyInItsPlace) {
    int moduleReads = 0;
    auto module = [&moduleReads](const wchar_t* path) {
        return [&moduleReads, path] {
            ++moduleReads;
            return WideString(path);
        };
    };
    EXPECT_EQ(ListedPathOf(L"C:\\Tools\\app.exe", module(L"C:\\Other\\app.exe")).str(), L"C:\\Tools\\app.exe");
    EXPECT_EQ(ListedPathOf(L"\\\\server\\share\\app.exe", module(L"")).str(), L"\\\\server\\share\\app.exe");
    EXPECT_EQ(moduleReads, 0);
    EXPECT_EQ(ListedPathOf(L"\\Device\\HarddiskVolume3\\app.exe", module(L"\\\\?\\x")).str(), L"\\\\?\\x");
    EXPECT_EQ(ListedPathOf(L"", module(L"D:\\app.exe")).str(), L"D:\\app.exe");
    EXPECT_EQ(moduleReads, 2);
    EXPECT_TRUE(ListedPathOf(L"Registry", module(L"")).IsEmpty());
    EXPECT_TRUE(ListedPathOf(L"", module(L"\\SystemRoot\\System32\\smss.exe")).IsEmpty());
}

TEST(StartTimeText, ZeroPaddedDateAndMilliseconds) {
    SYSTEMTIME time = {};
    time.wYear = 2024;
    time.wMonth = 3;
    time.wDay = 5;
    time.wHour = 9;
    time.wMinute = 7;
    time.wSecond = 2;
    time.wMilliseconds = 45;
    EXPECT_EQ(StartTimeText(time).str(), L"2024/03/05 09:07:02.045");
}

namespace {
// A K32EnumProcesses stand-in with a given number of processes; records the buffer sizes.
struct FakeIdSource {
    DWORD processCount;
    std::vector<DWORD> sizes;
    bool fail = false;
    bool operator()(DWORD* ids, DWORD bytes, DWORD* returned) {
        sizes.push_back(bytes);
        if (fail) return false;
        DWORD fits = bytes / sizeof(DWORD);
        DWORD n = processCount < fits ? processCount : fits;
        for (DWORD i = 0; i < n; ++i) ids[i] = (i + 1) * 4;
        *returned = n * sizeof(DWORD);
        return true;
    }
};
}  // namespace

TEST(ProcessIdBuffer, DoublesUntilTheSystemLeavesRoom) {
    FakeIdSource many{10000, {}};
    std::vector<DWORD> ids;
    ASSERT_TRUE(CollectProcessIds(std::ref(many), ids));
    EXPECT_EQ(many.sizes, (std::vector<DWORD>{16384, 32768, 65536}));
    ASSERT_EQ(ids.size(), 10000u);
    EXPECT_EQ(ids.front(), 4u);
    EXPECT_EQ(ids.back(), 40000u);

    // Exactly 4,096 fill the first buffer: one more call shows there are no more.
    FakeIdSource exact{4096, {}};
    ASSERT_TRUE(CollectProcessIds(std::ref(exact), ids));
    EXPECT_EQ(exact.sizes, (std::vector<DWORD>{16384, 32768}));
    EXPECT_EQ(ids.size(), 4096u);

    // A thousand processes, and a handful, take one call.
    FakeIdSource thousand{1000, {}};
    ASSERT_TRUE(CollectProcessIds(std::ref(thousand), ids));
    EXPECT_EQ(thousand.sizes, (std::vector<DWORD>{16384}));
    EXPECT_EQ(ids.size(), 1000u);
    FakeIdSource few{3, {}};
    ASSERT_TRUE(CollectProcessIds(std::ref(few), ids));
    EXPECT_EQ(few.sizes, (std::vector<DWORD>{16384}));
    EXPECT_EQ(ids, (std::vector<DWORD>{4, 8, 12}));

    // A failed call leaves what the caller had.
    FakeIdSource broken{10, {}};
    broken.fail = true;
    EXPECT_FALSE(CollectProcessIds(std::ref(broken), ids));
    EXPECT_EQ(ids, (std::vector<DWORD>{4, 8, 12}));
}

TEST(ProcessList, KeepsPathsAndRecordsAtTheSamePositions) {
    ProcessList list;
    for (int i = 0; i < 250; ++i) {
        ProcessEntry entry;
        entry.record.id = i + 1;
        entry.record.bitness = kBitness64;
        entry.path = WideString(L"C:\\p\\") + WideString::FromInt(i + 1);
        list.Add(entry);
    }
    ASSERT_EQ(list.Count(), 250);
    EXPECT_EQ(list.Entry(0).record.id, 1);
    EXPECT_EQ(list.Entry(0).path.str(), L"C:\\p\\1");
    EXPECT_EQ(list.Entry(249).record.id, 250);
    EXPECT_EQ(list.Entry(249).path.str(), L"C:\\p\\250");
    EXPECT_EQ(list.Entry(250).record.id, 0);
    EXPECT_TRUE(list.Entry(-1).path.IsEmpty());
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Paths().Count(), 0);
}

TEST(VdmTasks, TasksComeBeforeTheirHostWithItsAttributes) {
    ProcessEntry host;
    host.record.id = 1200;
    host.record.bitness = kBitness32;
    host.record.elevation = 3;
    host.record.canTerminate = true;
    host.path = WideString(L"C:\\WINDOWS\\system32\\ntvdm.exe");
    ProcessList list;
    ProcessEntry earlier;
    earlier.record.id = 8;
    earlier.path = WideString(L"C:\\a.exe");
    list.Add(earlier);

    AddVdmHostWithTasks(list, host, {{1234, "C:\\APPS\\WORD.EXE"}, {1240, "CALC.EXE"}});
    ASSERT_EQ(list.Count(), 4);
    ProcessEntry first = list.Entry(1);
    EXPECT_EQ(first.record.id, -1234);
    EXPECT_EQ(first.record.bitness, kBitness16);
    EXPECT_EQ(first.record.elevation, 3);
    EXPECT_TRUE(first.record.canTerminate);
    EXPECT_EQ(first.path.str(), L"C:\\APPS\\WORD.EXE");
    EXPECT_EQ(list.Entry(2).record.id, -1240);
    EXPECT_EQ(list.Entry(2).path.str(), L"CALC.EXE");
    EXPECT_EQ(list.Entry(3).record.id, 1200);
    EXPECT_EQ(list.Entry(3).record.bitness, kBitness32);
    EXPECT_EQ(ProcessAttributeText(first).str(), L"16bit 昇格");

    // A machine without tasks lists the host alone.
    ProcessList alone;
    AddVdmHostWithTasks(alone, host, {});
    ASSERT_EQ(alone.Count(), 1);
    EXPECT_EQ(alone.Entry(0).record.id, 1200);
}

// Both builds' rules, whichever build runs the test: only the 32-bit build asks the
// virtual DOS machine for its tasks and takes identifiers of 0 and below as their threads.
TEST(VdmTasks, OnlyThe32BitBuildListsAndProbesTasks) {
    const WideString host(L"C:\\WINDOWS\\system32\\ntvdm.exe");
    EXPECT_TRUE(ListsTasksOf(true, host));
    EXPECT_FALSE(ListsTasksOf(false, host));
    EXPECT_FALSE(ListsTasksOf(true, L"C:\\WINDOWS\\system32\\notepad.exe"));

    EXPECT_EQ(ProbeTargetOf(1200, true), ProbeTarget::Process);
    EXPECT_EQ(ProbeTargetOf(1200, false), ProbeTarget::Process);
    EXPECT_EQ(ProbeTargetOf(-1234, true), ProbeTarget::TaskThread);
    EXPECT_EQ(ProbeTargetOf(0, true), ProbeTarget::TaskThread);
    EXPECT_EQ(ProbeTargetOf(-1234, false), ProbeTarget::Nothing);
    EXPECT_EQ(ProbeTargetOf(0, false), ProbeTarget::Nothing);
    // A task entry's identifier leads back to the task's thread.
    ProcessEntry hostEntry;
    hostEntry.record.id = 1200;
    hostEntry.path = host;
    ProcessEntry task = MakeTaskEntry(hostEntry, 1234, L"WORD.EXE");
    EXPECT_EQ(ProbeTargetOf(task.record.id, true), ProbeTarget::TaskThread);
    EXPECT_EQ(-task.record.id, 1234);
    EXPECT_EQ(TaskThreadId(task.record.id), 1234u);
}

TEST(VdmTasks, ThreadIdsAtTheEndOfTheIdentifierRange) {
    ProcessEntry host;
    host.record.id = 1200;
    host.path = WideString(L"C:\\WINDOWS\\system32\\ntvdm.exe");
    // 0x80000000 negated is the smallest identifier, and it leads back to that thread.
    ProcessEntry last = MakeTaskEntry(host, 0x80000000u, L"LAST.EXE");
    EXPECT_EQ(last.record.id, INT_MIN);
    EXPECT_EQ(TaskThreadId(last.record.id), 0x80000000u);
    EXPECT_EQ(ProbeTargetOf(last.record.id, true), ProbeTarget::TaskThread);
    // A larger thread id has no identifier of 0 or below: it is not taken for a process.
    EXPECT_EQ(MakeTaskEntry(host, 0x80000004u, L"FAR.EXE").record.id, 0);
    EXPECT_EQ(MakeTaskEntry(host, 0xFFFFFFFCu, L"FAR.EXE").record.id, 0);

    ProcessList list;
    AddVdmHostWithTasks(list, host, {{0x80000004u, "FAR.EXE"}, {0x80000000u, "LAST.EXE"}});
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Entry(0).record.id, INT_MIN);
    EXPECT_EQ(list.Entry(1).record.id, 1200);
}

TEST(VdmTasks, FileNamesAreReadInTheAnsiCodePage) {
    EXPECT_EQ(AnsiToWide("").str(), L"");
    EXPECT_EQ(AnsiToWide(nullptr).str(), L"");
    ASSERT_EQ(GetACP(), 932u) << "the tests run in the Japanese code page (LANG=ja_JP.UTF-8)";
    // "テスト.EXE" in Shift-JIS.
    EXPECT_EQ(AnsiToWide("\x83\x65\x83\x58\x83\x67.EXE").str(), L"テスト.EXE");
}

TEST(ThreadLines, ThreadAndTaskPrefixes) {
    EXPECT_EQ(ThreadLineText(4312, false).str(), L"thread id =4312");
    EXPECT_EQ(ThreadLineText(1234, true).str(), L"16bit thread id =1234");
    EXPECT_EQ(ThreadLineText(4294967295ul, false).str(), L"thread id =4294967295");
}
