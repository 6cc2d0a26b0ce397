// What the watch step reads for each watcher, and the run that watches nothing.
#include <gtest/gtest.h>

#include <string>

#include "app/run.h"
#include "app/run_setup.h"
#include "common/box_recorder.h"
#include "common/temp_dir.h"

namespace {
class RunSetting : public ::testing::Test {
protected:
    SettingSection Section() const { return SettingSection(folder_.File(L"TLR.ini").c_str(), L"w"); }
    TempDir folder_;
};
}  // namespace

TEST(WatchKindForMode, OnlyZeroAndOneWatch) {
    EXPECT_EQ(WatchKindForMode(0), WatchKind::Screen);
    EXPECT_EQ(WatchKindForMode(1), WatchKind::Process);
    EXPECT_EQ(WatchKindForMode(2), WatchKind::None);
    EXPECT_EQ(WatchKindForMode(-1), WatchKind::None);
}

TEST_F(RunSetting, ProcessSetup) {
    SettingSection section = Section();
    section.WriteString(L"filename", L"  \"C:\\Program Files\\A\\a.exe\"  ");
    section.WriteInt(L"pid", 4242);
    section.WriteInt(L"PCParam", 5);
    section.WriteString(L"PCHandle", L"1a2b0");
    section.WriteBool(L"Capture", true);
    section.WriteInt(L"Act", 1);
    section.WriteString(L"ParamCmd", L"Icon notepad.exe");
    section.WriteString(L"ParamPlay", L"a.wav");
    ProcessWatchSetup setup = ReadProcessWatchSetup(section, ReadWatchedAction(section));
    EXPECT_EQ(setup.programPath, WideString(L"C:\\Program Files\\A\\a.exe"));
    EXPECT_EQ(setup.pid, 4242);
    EXPECT_EQ(setup.conditions, 5);
    EXPECT_EQ(setup.window, reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1a2b0)));
    EXPECT_TRUE(setup.capture);
    EXPECT_EQ(setup.actionKind, 1);
    EXPECT_EQ(setup.actionText, WideString(L"Icon notepad.exe"));

    section.WriteString(L"PCHandle", L"12g4");
    EXPECT_EQ(ReadProcessWatchSetup(section, WatchedAction()).window, nullptr);

    // An empty section: process 0, no path, no window, no capture.
    section.SetSection(L"empty");
    ProcessWatchSetup empty = ReadProcessWatchSetup(section, ReadWatchedAction(section));
    EXPECT_EQ(empty.pid, 0);
    EXPECT_TRUE(empty.programPath.IsEmpty());
    EXPECT_EQ(empty.window, nullptr);
    EXPECT_FALSE(empty.capture);
    EXPECT_EQ(empty.actionKind, 0);
    EXPECT_TRUE(empty.actionText.IsEmpty());
}

TEST_F(RunSetting, ScreenSetupHoldsByDefault) {
    SettingSection section = Section();
    section.WriteInt(L"ScrLeft", -1280);
    section.WriteInt(L"ScrTop", 10);
    section.WriteInt(L"ScrRight", -20);
    section.WriteInt(L"ScrBottom", 700);
    section.WriteInt(L"Act", 2);
    section.WriteString(L"ParamWinExit", L"再起動 待機時間 =30秒");
    ScreenWatchSetup setup = ReadScreenWatchSetup(section, ReadWatchedAction(section));
    EXPECT_EQ(setup.area.left, -1280);
    EXPECT_EQ(setup.area.top, 10);
    EXPECT_EQ(setup.area.right, -20);
    EXPECT_EQ(setup.area.bottom, 700);
    EXPECT_TRUE(setup.holdScreenSaver);
    EXPECT_EQ(setup.actionKind, 2);
    EXPECT_EQ(setup.actionText, WideString(L"再起動 待機時間 =30秒"));

    section.WriteBool(L"SSHold", false);
    EXPECT_FALSE(ReadScreenWatchSetup(section, WatchedAction()).holdScreenSaver);
}

TEST_F(RunSetting, OtherModesAreMetAtOnce) {
    SettingSection section = Section();
    BoxRecorder boxes;
    section.WriteInt(L"WatchMode", 2);
    EXPECT_EQ(RunWatch(section), WatchResult::Met);
    section.WriteInt(L"WatchMode", 99);
    EXPECT_EQ(RunWatch(section), WatchResult::Met);
    EXPECT_TRUE(boxes.boxes.empty());
}

// A watch whose action text is too long to run is refused before it starts, whatever it
// would watch: nobody waits all night for an action that cannot run.
TEST_F(RunSetting, AnActionTextTooLongRefusesTheWatch) {
    SettingSection section = Section();
    section.WriteInt(L"WatchMode", 2);
    section.WriteInt(L"Act", 1);
    section.WriteString(L"ParamCmd", std::wstring(519, L'c').c_str());
    {
        BoxRecorder boxes;
        EXPECT_EQ(RunWatch(section), WatchResult::Met);
        EXPECT_TRUE(boxes.boxes.empty());
    }
    section.WriteString(L"ParamCmd", std::wstring(520, L'c').c_str());
    BoxRecorder boxes;
    EXPECT_EQ(RunWatch(section), WatchResult::Refused);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, L"動作のパラメータが長すぎます");
}
