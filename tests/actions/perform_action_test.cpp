// Reading the parameter text of a setting and dispatching by `Act`.
#include <gtest/gtest.h>

#include "actions/action.h"
#include "common/box_recorder.h"
#include "common/temp_dir.h"

namespace {
class ActionSetting : public ::testing::Test {
protected:
    SettingSection Section() const { return SettingSection(folder_.File(L"TLR.ini").c_str(), L"s1"); }
    TempDir folder_;
};
}  // namespace

TEST_F(ActionSetting, ParameterKeyByKind) {
    SettingSection section = Section();
    section.WriteString(L"ParamPlay", L"Repeat a.wav");
    section.WriteString(L"ParamCmd", L"Icon cmd");
    section.WriteString(L"ParamWinExit", L"再起動");
    EXPECT_EQ(ReadActionParameter(0, section), WideString(L"Repeat a.wav"));
    EXPECT_EQ(ReadActionParameter(1, section), WideString(L"Icon cmd"));
    EXPECT_EQ(ReadActionParameter(2, section), WideString(L"再起動"));
    EXPECT_TRUE(ReadActionParameter(3, section).IsEmpty());
    EXPECT_TRUE(ReadActionParameter(-1, section).IsEmpty());
    section.SetSection(L"absent");
    EXPECT_TRUE(ReadActionParameter(1, section).IsEmpty());
}

TEST_F(ActionSetting, LongTextIsCutTo519Characters) {
    SettingSection section = Section();
    std::wstring text(519, L'a');
    section.WriteString(L"ParamCmd", text.c_str());
    EXPECT_EQ(ReadActionParameter(1, section).Length(), 519);
    section.WriteString(L"ParamCmd", (text + L"bcd").c_str());
    WideString read = ReadActionParameter(1, section);
    EXPECT_EQ(read.Length(), 519);
    EXPECT_EQ(read, WideString(text.c_str()));
}

TEST_F(ActionSetting, DispatchByKind) {
    SettingSection section = Section();
    BoxRecorder boxes;
    section.WriteString(L"ParamCmd", L"tlr_no_such_program_h3.exe");
    section.WriteInt(L"Act", 1);
    PerformAction(section);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, L"Execute Error Code = 2");

    // Kinds without an action do nothing, even with a command text present.
    boxes.boxes.clear();
    section.WriteInt(L"Act", 3);
    PerformAction(section);
    section.WriteInt(L"Act", -1);
    PerformAction(section);
    EXPECT_TRUE(boxes.boxes.empty());

    // A 519-character command that names no program is refused, not cut into another one.
    boxes.boxes.clear();
    section.WriteInt(L"Act", 1);
    section.WriteString(L"ParamCmd", (L"\"" + std::wstring(600, L'x')).c_str());
    PerformAction(section);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, L"Execute Error Code = 2");
}
