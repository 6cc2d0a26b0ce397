// SettingSection against the system's private-profile functions, in a scratch folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <algorithm>
#include <vector>

#include "app/settings.h"
#include "common/box_recorder.h"
#include "app/startup_logic.h"
#include "common/temp_dir.h"
#include "watch/monitor_layout.h"

namespace {
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"tlr-settings-" + std::to_wstring(GetCurrentProcessId()) + L".ini";
        DeleteFileW(path_.c_str());
    }
    void TearDown() override {
        if (!DeleteFileW(path_.c_str())) RemoveDirectoryW(path_.c_str());
    }
    void Raw(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
        WritePrivateProfileStringW(section, key, value, path_.c_str());
    }
    std::wstring path_;
};
}  // namespace

TEST_F(SettingsFile, ReadsTypedValuesWithDefaults) {
    SettingSection s(path_.c_str(), L"Tollerup");
    EXPECT_EQ(s.ReadInt(L"WatchMode", 5), 5);
    EXPECT_FALSE(s.ReadBool(L"Capture", false));
    EXPECT_TRUE(s.ReadBool(L"SSHold", true));
    EXPECT_EQ(s.ReadString(L"ParamCmd", 520, L"dflt"), WideString(L"dflt"));
    EXPECT_EQ(GetFileAttributesW(path_.c_str()), INVALID_FILE_ATTRIBUTES);  // reading never creates it
    s.WriteInt(L"WatchMode", 1);
    s.WriteInt(L"SetCmdLeft", kNoPosition);
    s.WriteBool(L"Capture", true);
    s.WriteString(L"ParamCmd", L"Icon \"C:\\a b\\x.exe\" 1");
    EXPECT_EQ(s.ReadInt(L"WatchMode", 0), 1);
    EXPECT_EQ(s.ReadInt(L"SetCmdLeft", 0), kNoPosition);
    EXPECT_TRUE(s.ReadBool(L"Capture", false));
    EXPECT_EQ(s.ReadString(L"ParamCmd", 520, L""), WideString(L"Icon \"C:\\a b\\x.exe\" 1"));
}

TEST_F(SettingsFile, IntegerKeyHoldingTextReadsLeadingDigits) {
    Raw(L"Tollerup", L"pid", L"123abc");
    Raw(L"Tollerup", L"Act", L"abc");
    SettingSection s(path_.c_str(), L"Tollerup");
    EXPECT_EQ(s.ReadInt(L"pid", 9), 123);
    EXPECT_EQ(s.ReadInt(L"Act", 9), 0);  // not the default
}

TEST_F(SettingsFile, QuotedValuesAndTheCutAt519) {
    Raw(L"Tollerup", L"ParamPlay", L"\"C:\\music\\a b.wav\"");
    SettingSection s(path_.c_str(), L"Tollerup");
    EXPECT_EQ(s.ReadString(L"ParamPlay", 520, L""), WideString(L"C:\\music\\a b.wav"));
    SectionLines lines;
    ASSERT_EQ(s.ReadSection(L"Tollerup", lines), 1);
    EXPECT_EQ(lines.Line(0), WideString(L"ParamPlay=C:\\music\\a b.wav"));
    EXPECT_EQ(lines.EqualsPos(0), 9);

    std::wstring longText(600, L'x');
    s.WriteString(L"ParamCmd", longText.c_str());
    EXPECT_EQ(s.ReadString(L"ParamCmd", 520, L"").Length(), 519);
}

TEST_F(SettingsFile, ValueInQuotesAtBothEndsReadsBackAsWritten) {
    SettingSection s(path_.c_str(), L"Tollerup");
    const wchar_t* command = L"\"C:\\Program Files\\x.exe\" \"C:\\my files\\a.txt\"";
    s.WriteString(L"ParamCmd", command);
    EXPECT_EQ(s.ReadString(L"ParamCmd", 520, L""), WideString(command));
    SectionLines lines;
    ASSERT_EQ(s.ReadSection(L"Tollerup", lines), 1);
    EXPECT_EQ(lines.Value(0), WideString(command));
    // A value quoted at one end only is written as it is, and both reads give it whole.
    s.WriteString(L"ParamPlay", L"\"C:\\a b\\x.wav\" x");
    EXPECT_EQ(s.ReadString(L"ParamPlay", 520, L""), WideString(L"\"C:\\a b\\x.wav\" x"));
    SectionLines both;
    ASSERT_EQ(s.ReadSection(L"Tollerup", both), 2);
    EXPECT_EQ(both.Key(1), WideString(L"ParamPlay"));
    EXPECT_EQ(both.Value(1), WideString(L"\"C:\\a b\\x.wav\" x"));
}

TEST(SectionBlock, DropsQuotesOnlyAroundAWholeValue) {
    const wchar_t block[] = L"A=\"x y\"\0B=\"x\" y\0C=x \"y\"\0D=\"\0E=\"\"\0F=\"\"\"\0G\0\0";
    SectionLines lines;
    ParseSectionBlock(block, sizeof(block) / sizeof(block[0]) - 1, lines);
    ASSERT_EQ(lines.Count(), 7);
    EXPECT_EQ(lines.Value(0), WideString(L"x y"));
    EXPECT_EQ(lines.Value(1), WideString(L"\"x\" y"));
    EXPECT_EQ(lines.Value(2), WideString(L"x \"y\""));
    EXPECT_EQ(lines.Value(3), WideString(L"\""));  // a lone quote opens and closes nothing
    EXPECT_EQ(lines.Value(4), WideString());
    EXPECT_EQ(lines.Value(5), WideString(L"\""));
    EXPECT_EQ(lines.EqualsPos(6), -1);
    EXPECT_EQ(lines.Line(6), WideString(L"G"));
}

TEST_F(SettingsFile, SectionLongerThanTheFirstBuffer) {
    SettingSection s(path_.c_str(), L"Big");
    std::wstring value(300, L'v');
    for (int i = 0; i < 60; ++i) s.WriteString((L"Key" + std::to_wstring(i)).c_str(), value.c_str());  // ~18,500 chars
    SectionLines lines;
    ASSERT_EQ(s.ReadSection(L"Big", lines), 60);
    EXPECT_EQ(lines.Key(59), WideString(L"Key59"));
    EXPECT_EQ(lines.Value(59).Length(), 300);
    SectionLines none;
    EXPECT_EQ(s.ReadSection(L"Absent", none), 0);
}

// A block read the way the system answers: cut to the buffer, with size - 2 as the count
// when it did not fit. The buffer doubles, so the file is read once per size.
TEST(ProfileBlock, DoublesTheBufferUntilTheBlockFits) {
    // Lines of "key=value", each ending in its zero; the count of a block leaves out only
    // the block's closing zero.
    auto blockOf = [](size_t characters) {
        std::wstring block;
        for (int i = 0; block.size() + 12 < characters; ++i) block += L"Key" + std::to_wstring(i % 10) + L"=v" + L'\0';
        if (characters == 0) return block;
        block.resize(characters - 1, L'x');
        return block + L'\0';
    };
    for (size_t characters : {size_t(0), size_t(9997), size_t(9998), size_t(10001), size_t(100000), size_t(655350)}) {
        std::wstring block = blockOf(characters);
        std::vector<DWORD> sizes;
        ProfileBlockRead read = [&block, &sizes](wchar_t* buffer, DWORD size) -> DWORD {
            sizes.push_back(size);
            if (block.size() + 1 <= size) {
                std::copy(block.begin(), block.end(), buffer);
                buffer[block.size()] = L'\0';
                return static_cast<DWORD>(block.size());
            }
            std::copy(block.begin(), block.begin() + (size - 2), buffer);
            buffer[size - 2] = buffer[size - 1] = L'\0';
            return size - 2;
        };
        DWORD count = 0;
        std::vector<wchar_t> got = ReadProfileBlock(read, 10000, &count);
        ASSERT_EQ(count, characters);
        EXPECT_TRUE(std::wstring(got.data(), count) == block) << characters << " characters";
        ASSERT_FALSE(sizes.empty());
        EXPECT_EQ(sizes.front(), 10000u);
        for (size_t i = 1; i < sizes.size(); ++i) EXPECT_EQ(sizes[i], 2 * sizes[i - 1]);
        // One read while the count stays below the size - 2, one more for each doubling:
        // 655,350 characters take 8 reads, where growing by 2,000 characters took 324.
        size_t reads = 1;
        for (size_t size = 10000; characters >= size - 2; size *= 2) ++reads;
        EXPECT_EQ(sizes.size(), reads) << characters << " characters";
    }
}

TEST_F(SettingsFile, ListSectionsInFileOrderOrSorted) {
    Raw(L"Tollerup", L"Act", L"1");
    Raw(L"zeta", L"Act", L"1");
    Raw(L"Alpha", L"Act", L"1");
    Raw(L"beta", L"Act", L"1");
    SettingSection s(path_.c_str(), L"Tollerup");
    StringList inOrder;
    s.ListSections(inOrder);
    ASSERT_EQ(inOrder.Count(), 4);
    EXPECT_EQ(inOrder[0], WideString(L"Tollerup"));
    EXPECT_EQ(inOrder[1], WideString(L"zeta"));
    StringList sorted(true);
    s.ListSections(sorted);
    ASSERT_EQ(sorted.Count(), 4);
    EXPECT_EQ(sorted[0], WideString(L"Alpha"));
    EXPECT_EQ(sorted[1], WideString(L"Tollerup"));
    EXPECT_EQ(sorted[3], WideString(L"zeta"));
}

TEST_F(SettingsFile, ManySectionsGrowTheNameBuffer) {
    SettingSection s(path_.c_str(), L"x");
    for (int i = 0; i < 300; ++i) Raw((L"Setting number " + std::to_wstring(i)).c_str(), L"Act", L"1");
    StringList names;
    s.ListSections(names);
    ASSERT_EQ(names.Count(), 300);
    EXPECT_EQ(names[299], WideString(L"Setting number 299"));
}

TEST_F(SettingsFile, DeleteSectionEmptiesTheSectionName) {
    Raw(L"keep", L"Act", L"1");
    Raw(L"gone", L"Act", L"2");
    SettingSection s(path_.c_str(), L"keep");
    s.DeleteSection(L"gone");
    EXPECT_TRUE(s.Section().IsEmpty());
    SectionLines lines;
    EXPECT_EQ(s.ReadSection(L"gone", lines), 0);
    EXPECT_EQ(s.ReadSection(L"keep", lines), 1);
}

// A file that cannot be written (here a folder of the file's name): every kind of write
// says so and shows the box with the file's path; reading gives the defaults. Once the
// file can be written, a write works and shows nothing.
TEST_F(SettingsFile, WritesTheFileRefusesAreReportedWithItsPath) {
    BoxRecorder boxes;
    ASSERT_TRUE(CreateDirectoryW(path_.c_str(), nullptr));
    SettingSection s(path_.c_str(), L"Tollerup");
    EXPECT_FALSE(s.WriteInt(L"WatchMode", 1));
    EXPECT_FALSE(s.WriteBool(L"Capture", true));
    EXPECT_FALSE(s.WriteString(L"ParamCmd", L"cmd"));
    EXPECT_FALSE(s.DeleteSection(L"other"));
    EXPECT_EQ(s.ReadInt(L"WatchMode", 7), 7);
    ASSERT_EQ(boxes.boxes.size(), 4u);
    for (const BoxRecorder::Box& box : boxes.boxes) {
        EXPECT_EQ(box.text, L"設定ファイルに書き込めません\n" + path_);
        EXPECT_EQ(box.flags, static_cast<UINT>(MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND));
    }
    ASSERT_TRUE(RemoveDirectoryW(path_.c_str()));

    boxes.boxes.clear();
    s.SetSection(L"Tollerup");
    EXPECT_TRUE(s.WriteInt(L"Act", 2));
    EXPECT_TRUE(s.WriteString(L"ParamCmd", L"cmd"));
    EXPECT_EQ(s.ReadInt(L"Act", 0), 2);
    EXPECT_TRUE(s.DeleteSection(L"other"));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(HandleText, RoundTripAndRejectsNonHex) {
    EXPECT_EQ(TextToWindowHandle(L"1f4"), reinterpret_cast<HWND>(500));
    EXPECT_EQ(TextToWindowHandle(L"1F4"), reinterpret_cast<HWND>(500));
    EXPECT_EQ(TextToWindowHandle(L"1f4x"), nullptr);
    EXPECT_EQ(TextToWindowHandle(L"error"), nullptr);
    EXPECT_EQ(TextToWindowHandle(L""), nullptr);
    EXPECT_EQ(WindowHandleToText(nullptr), WideString(L"0"));
    EXPECT_EQ(WindowHandleToText(reinterpret_cast<HWND>(0x2a0c4)), WideString(L"2a0c4"));
}

// Both builds' handle widths, whichever build runs the test: a text written by the
// 64-bit program keeps its low 32 bits in the 32-bit one.
TEST(HandleText, EachBuildKeepsTheBitsOfItsHandles) {
    EXPECT_EQ(HandleValueToText(0x123456789abcULL, 64), WideString(L"123456789abc"));
    EXPECT_EQ(TextToHandleValue(L"123456789abc", 64), 0x123456789abcULL);
    EXPECT_EQ(TextToHandleValue(L"123456789abc", 32), 0x56789abcULL);
    EXPECT_EQ(HandleValueToText(0x123456789abcULL, 32), WideString(L"56789abc"));
    // A handle of 32 bits with the top bit set is written as 64-bit Windows widens it,
    // and each build reads the text back into its own handle.
    EXPECT_EQ(HandleValueToText(0x80001234ULL, 32), WideString(L"ffffffff80001234"));
    EXPECT_EQ(TextToHandleValue(L"ffffffff80001234", 32), 0x80001234ULL);
    EXPECT_EQ(TextToHandleValue(L"ffffffff80001234", 64), 0xffffffff80001234ULL);
    EXPECT_EQ(HandleValueToText(0xffffffff80001234ULL, 64), WideString(L"ffffffff80001234"));
    EXPECT_EQ(TextToHandleValue(L"ffffffff", 32), 0xffffffffULL);
    EXPECT_EQ(TextToHandleValue(L"FFFFFFFFFFFFFFFF", 64), 0xffffffffffffffffULL);
    for (int bits : {32, 64}) {
        EXPECT_EQ(HandleValueToText(0, bits), WideString(L"0")) << bits;
        EXPECT_EQ(TextToHandleValue(L"2a0c4", bits), 0x2a0c4ULL) << bits;
        EXPECT_EQ(TextToHandleValue(L"12g4", bits), 0ULL) << bits;
        EXPECT_EQ(TextToHandleValue(L" 1f4", bits), 0ULL) << bits;
    }
}

TEST(StartupLogic, RoadsByFirstCharacter) {
    RoadChoice c = ChooseRoad(L"#my setting");
    EXPECT_EQ(c.road, Road::RunSetting);
    EXPECT_EQ(c.sectionName, WideString(L"my setting"));
    c = ChooseRoad(L"*x");
    EXPECT_EQ(c.road, Road::PerformAction);
    EXPECT_EQ(c.sectionName, WideString(L"x"));
    EXPECT_EQ(ChooseRoad(L"#").road, Road::RunSetting);
    EXPECT_TRUE(ChooseRoad(L"#").sectionName.IsEmpty());
    EXPECT_EQ(ChooseRoad(L"").road, Road::Wizard);
    EXPECT_EQ(ChooseRoad(L"/x").road, Road::Refused);
}

TEST(StartupLogic, MutexNamesAreValidAndDistinct) {
    EXPECT_EQ(SingleInstanceMutexName(L""), WideString(L"Tollerup "));
    EXPECT_EQ(SingleInstanceMutexName(L"#a b"), WideString(L"Tollerup #A B"));
    WideString slash = SingleInstanceMutexName(L"#a\\b");
    EXPECT_EQ(slash.Find(L"\\"), -1);
    EXPECT_NE(slash, SingleInstanceMutexName(L"#a%5Cb"));
    std::wstring longArg = L"#" + std::wstring(1000, L'n');
    WideString longName = SingleInstanceMutexName(longArg.c_str());
    EXPECT_LE(longName.Length(), 240);
    std::wstring other = longArg;
    other[900] = L'm';
    EXPECT_NE(longName, SingleInstanceMutexName(other.c_str()));
    // Every such name can name a real mutex.
    for (const WideString& name : {slash, longName}) {
        HANDLE m = CreateMutexW(nullptr, FALSE, name.c_str());
        EXPECT_NE(m, nullptr) << GetLastError();
        if (m) CloseHandle(m);
    }
    EXPECT_EQ(FileInFolder(L"D:\\", L"TLR.ini"), WideString(L"D:\\TLR.ini"));
}

// The settings file takes "#Backup" and "#backup" for one setting: so does the name that
// keeps a setting from running twice. The roads stay apart.
TEST(StartupLogic, MutexNamesCompareAsTheSettingsFileComparesSections) {
    TempDir folder;
    WideString ini(folder.File(L"TLR.ini").c_str());
    const wchar_t* pairs[][2] = {{L"Backup", L"backup"}, {L"Daily Copy", L"DAILY copy"}, {L"x-Ray_2", L"X-rAY_2"}};
    for (const auto& pair : pairs) {
        ASSERT_TRUE(WritePrivateProfileStringW(pair[0], L"Act", L"1", ini.c_str()));
        wchar_t read[8] = {};
        GetPrivateProfileStringW(pair[1], L"Act", L"", read, 8, ini.c_str());
        ASSERT_STREQ(read, L"1") << "the settings file tells the two apart";
        EXPECT_EQ(SingleInstanceMutexName(WideString(L"#") + pair[0]),
                  SingleInstanceMutexName(WideString(L"#") + pair[1]));
        EXPECT_NE(SingleInstanceMutexName(WideString(L"#") + pair[0]),
                  SingleInstanceMutexName(WideString(L"*") + pair[1]));
    }
    // Long names keep the rule through their hash, and the escapes stay as they were.
    std::wstring longArg = L"#" + std::wstring(600, L'n');
    std::wstring longUpper = L"#" + std::wstring(600, L'N');
    EXPECT_EQ(SingleInstanceMutexName(longArg.c_str()), SingleInstanceMutexName(longUpper.c_str()));
    EXPECT_EQ(SingleInstanceMutexName(L"#a\\b%c"), WideString(L"Tollerup #A%5CB%25C"));
}

TEST(MonitorBounds, FromGivenRectangles) {
    MONITORINFOEXW m[2] = {};
    m[0].rcMonitor = {0, 0, 1920, 1080};
    RECT one = ComputeMonitorBounds(m, 1);
    EXPECT_EQ(one.left, 0);
    EXPECT_EQ(one.right, 1920);
    EXPECT_EQ(one.bottom, 1080);
    m[1].rcMonitor = {-1280, 0, 0, 1024};
    RECT left = ComputeMonitorBounds(m, 2);
    EXPECT_EQ(left.left, -1280);
    EXPECT_EQ(left.top, 0);
    EXPECT_EQ(left.right, 1920);
    EXPECT_EQ(left.bottom, 1080);
    m[1].rcMonitor = {200, -900, 1800, 0};
    RECT above = ComputeMonitorBounds(m, 2);
    EXPECT_EQ(above.left, 0);
    EXPECT_EQ(above.top, -900);
    EXPECT_EQ(above.right, 1920);
    EXPECT_EQ(above.bottom, 1080);
    RECT none = ComputeMonitorBounds(m, 0);
    EXPECT_EQ(none.right - none.left, 0);
}

TEST(MonitorLayout, MatchesTheSystemVirtualScreen) {
    MonitorLayout layout;
    ASSERT_GE(layout.count, 1);
    EXPECT_EQ(layout.bounds.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(layout.bounds.right - layout.bounds.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    // The system filled the whole description, the device name included.
    EXPECT_NE(layout.monitors()[0].szDevice[0], L'\0');
}
