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

TEST_F(ActionSetting, LongTextIsReadWhole) {
    SettingSection section = Section();
    std::wstring text(519, L'a');
    section.WriteString(L"ParamCmd", text.c_str());
    EXPECT_EQ(ReadActionParameter(1, section), WideString(text.c_str()));
    for (size_t length : {520u, 521u, 1100u, 5000u}) {
        std::wstring longer = text + std::wstring(length - 519, L'z');
        section.WriteString(L"ParamCmd", longer.c_str());
        EXPECT_EQ(ReadActionParameter(1, section), WideString(longer.c_str())) << length;
    }
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

    // A text longer than the action takes is refused whole: the command that its first
    // 519 characters make (here one that runs) never starts, nor the file plays.
    for (int kind : {0, 1}) {
        boxes.boxes.clear();
        section.WriteInt(L"Act", kind);
        std::wstring cut = L"cmd /c echo > " + std::wstring(folder_.File(L"ran.txt"));
        std::wstring text = cut + std::wstring(520 - cut.size(), L' ') + L"/MIR";
        section.WriteString(L"ParamPlay", text.c_str());
        section.WriteString(L"ParamCmd", text.c_str());
        PerformAction(section);
        ASSERT_EQ(boxes.boxes.size(), 1u) << kind;
        EXPECT_EQ(boxes.boxes[0].text, L"動作のパラメータが長すぎます") << kind;
        EXPECT_EQ(boxes.boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    }
}
