// The action page's texts and decisions, and what storing the page writes into a
// settings file in a scratch folder.
#include <gtest/gtest.h>

#include "../common/box_recorder.h"
#include "../common/temp_dir.h"
#include "app/settings.h"
#include "app/startup_logic.h"
#include "app/system_info.h"
#include "wizard/action_page_logic.h"
#include "wizard/wizard_logic.h"

namespace {

ActionParameters Parameters(const wchar_t* play, const wchar_t* command, const wchar_t* winExit) {
    ActionParameters parameters;
    parameters.play = play;
    parameters.command = command;
    parameters.winExit = winExit;
    return parameters;
}

}  // namespace

TEST(ActionPageKinds, EachKindShowsItsOwnLabelAndText) {
    ActionParameters parameters = Parameters(L"Repeat C:\\a.wav", L"Icon cmd /c dir", L"再起動 強制終了");
    const struct {
        int kind;
        const wchar_t* label;
        const wchar_t* text;
    } kinds[] = {{0, L"動作のパラメータ（ファイル名等）", L"Repeat C:\\a.wav"},
                 {1, L"動作のパラメータ（ＤＯＳコマンド）", L"Icon cmd /c dir"},
                 {2, L"動作のパラメータ（強制終了等）", L"再起動 強制終了"}};
    // Back and forth: every kind keeps its own text.
    for (int round = 0; round < 2; ++round) {
        for (const auto& k : kinds) {
            KindView view = ViewOfKind(k.kind, parameters);
            EXPECT_TRUE(view.valid);
            EXPECT_EQ(view.label, WideString(k.label));
            EXPECT_EQ(view.text, WideString(k.text));
            EXPECT_TRUE(view.canEdit);
            EXPECT_TRUE(view.canTestRun);
            EXPECT_EQ(view.canShowWhole, k.kind != 2) << "kind " << k.kind;
        }
    }
}

TEST(ActionPageKinds, AnEmptyTextCannotRunOrBeShownAndAnUnknownKindIsIllegal) {
    ActionParameters empty = Parameters(L"", L"", L"");
    for (int kind = 0; kind < 3; ++kind) {
        KindView view = ViewOfKind(kind, empty);
        EXPECT_TRUE(view.valid);
        EXPECT_FALSE(view.canTestRun) << kind;
        EXPECT_FALSE(view.canShowWhole) << kind;
        EXPECT_TRUE(view.canEdit) << kind;
    }
    ActionParameters full = Parameters(L"a.wav", L"cmd", L"スリープ");
    for (int kind : {-1, 3, 5}) {
        KindView view = ViewOfKind(kind, full);
        EXPECT_FALSE(view.valid) << kind;
        EXPECT_TRUE(view.text.IsEmpty()) << kind;
        EXPECT_EQ(view.label, WideString(L"動作のパラメータ"));
        EXPECT_FALSE(view.canTestRun);
        EXPECT_FALSE(view.canShowWhole);
        EXPECT_TRUE(ParameterLabel(kind).IsEmpty());
    }
}

TEST(ActionPageElevation, TheTokenDecidesTheBoxTheTitlesAndTheRelaunchAfterFinish) {
    const struct {
        int elevation;
        bool canElevate;
        bool relaunch;
        bool suffix;
    } states[] = {{kElevationNotSplit, false, false, false},
                  {kElevationLimited, true, true, false},
                  {kElevationFull, false, false, true}};
    for (const auto& s : states) {
        SCOPED_TRACE(s.elevation);
        EXPECT_EQ(CanElevate(s.elevation), s.canElevate);
        AsAdminBox checked = AsAdminBoxState(CanElevate(s.elevation), true);
        EXPECT_EQ(checked.enabled, s.canElevate);
        EXPECT_EQ(checked.checked, s.canElevate);  // otherwise cleared, so AsAdmin is stored as 0
        EXPECT_FALSE(AsAdminBoxState(CanElevate(s.elevation), false).checked);

        EXPECT_EQ(ShouldRelaunchElevated(true, s.elevation), s.relaunch);
        EXPECT_FALSE(ShouldRelaunchElevated(false, s.elevation));

        for (int id : {110, 120, 130, 140, 170}) {
            WideString title = WizardPageTitle(id, s.elevation);
            EXPECT_EQ(title.Right(5) == WideString(L"(昇格中)"), s.suffix) << id;
            EXPECT_TRUE(title.StartsWith(L"Tollerup ")) << id;
        }
    }
    // The relaunch and the elevated test run carry the section's name, blanks and all, and
    // start-up reads the same name back.
    EXPECT_EQ(RunSettingArgument(L"夜 の 録画"), WideString(L"#夜 の 録画"));
    EXPECT_EQ(PerformActionArgument(L"夜 の 録画"), WideString(L"*夜 の 録画"));
    RoadChoice run = ChooseRoad(RunSettingArgument(L"夜 の 録画"));
    EXPECT_EQ(run.road, Road::RunSetting);
    EXPECT_EQ(run.sectionName, WideString(L"夜 の 録画"));
    RoadChoice act = ChooseRoad(PerformActionArgument(L"Tollerup"));
    EXPECT_EQ(act.road, Road::PerformAction);
    EXPECT_EQ(act.sectionName, WideString(L"Tollerup"));
}

class ActionPageStore : public ::testing::Test {
protected:
    std::wstring Ini() const { return dir_.File(L"TLR.ini"); }
    std::wstring Raw(const wchar_t* section, const wchar_t* key) const {
        wchar_t value[600] = {};
        GetPrivateProfileStringW(section, key, L"(absent)", value, 600, Ini().c_str());
        return value;
    }
    TempDir dir_;
};

TEST_F(ActionPageStore, ActivationReadsTheSectionWithThePagesDefaults) {
    SettingSection section(Ini().c_str(), L"Tollerup");
    ActionPageSetting empty = ReadActionPageSetting(section);
    EXPECT_EQ(empty.watchMode, 0);
    EXPECT_FALSE(empty.capture);
    EXPECT_EQ(empty.kind, 0);
    EXPECT_TRUE(empty.parameters.play.IsEmpty());
    EXPECT_TRUE(empty.parameters.command.IsEmpty());
    EXPECT_EQ(empty.parameters.winExit, WideString(L"通常の終了"));
    EXPECT_FALSE(empty.asAdmin);

    WritePrivateProfileStringW(L"Tollerup", L"WatchMode", L"1", Ini().c_str());
    WritePrivateProfileStringW(L"Tollerup", L"Capture", L"1", Ini().c_str());
    WritePrivateProfileStringW(L"Tollerup", L"Act", L"7", Ini().c_str());
    WritePrivateProfileStringW(L"Tollerup", L"ParamCmd", L"\"\"C:\\a b\\x.exe\" /y\"", Ini().c_str());
    WritePrivateProfileStringW(L"Tollerup", L"ParamWinExit", L"スリープ", Ini().c_str());
    WritePrivateProfileStringW(L"Tollerup", L"AsAdmin", L"1", Ini().c_str());
    std::wstring longText(600, L'x');
    WritePrivateProfileStringW(L"Tollerup", L"ParamPlay", longText.c_str(), Ini().c_str());
    ActionPageSetting read = ReadActionPageSetting(section);
    EXPECT_EQ(read.watchMode, 1);
    EXPECT_TRUE(read.capture);
    EXPECT_EQ(read.kind, 7);
    EXPECT_EQ(read.parameters.command, WideString(L"\"C:\\a b\\x.exe\" /y"));
    EXPECT_EQ(read.parameters.winExit, WideString(L"スリープ"));
    EXPECT_EQ(read.parameters.play.Length(), 519);
    EXPECT_TRUE(read.asAdmin);
}

TEST_F(ActionPageStore, TheTextGoesToTheCheckedKindAndAllKeysAreWrittenInOrder) {
    BoxRecorder boxes;
    SettingSection section(Ini().c_str(), L"夜 の 録画");
    WritePrivateProfileStringW(L"夜 の 録画", L"ScrLeft", L"12", Ini().c_str());
    ActionParameters parameters = Parameters(L"Vol:50% a.wav", L"old command", L"休止状態");
    ActionPageInput input;
    input.capture = true;
    input.kind = 1;
    input.text = L"\"C:\\my tools\\x.exe\" \"a b\"";
    input.asAdmin = false;
    ASSERT_TRUE(StoreActionValues(input, parameters, section, nullptr));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(parameters.command, input.text);
    EXPECT_EQ(parameters.play, WideString(L"Vol:50% a.wav"));

    SectionLines lines;
    ASSERT_EQ(section.ReadSection(L"夜 の 録画", lines), 7);
    const wchar_t* expected[] = {L"ScrLeft=12",
                                 L"Capture=1",
                                 L"Act=1",
                                 L"ParamPlay=Vol:50% a.wav",
                                 L"ParamCmd=\"C:\\my tools\\x.exe\" \"a b\"",
                                 L"ParamWinExit=休止状態",
                                 L"AsAdmin=0"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(lines.Line(i), WideString(expected[i])) << i;
    // Read back as the action reads it.
    EXPECT_EQ(section.ReadString(L"ParamCmd", 520, L""), input.text);

    // Kind 2 then kind 0: each text lands in its own field, the others stay.
    input.kind = 2;
    input.text = L"スリープ 待機時間 =30秒";
    input.capture = false;
    input.asAdmin = true;
    ASSERT_TRUE(StoreActionValues(input, parameters, section, nullptr));
    EXPECT_EQ(Raw(L"夜 の 録画", L"Act"), L"2");
    EXPECT_EQ(Raw(L"夜 の 録画", L"ParamWinExit"), L"スリープ 待機時間 =30秒");
    EXPECT_EQ(Raw(L"夜 の 録画", L"ParamCmd"), L"\"C:\\my tools\\x.exe\" \"a b\"");
    EXPECT_EQ(Raw(L"夜 の 録画", L"Capture"), L"0");
    EXPECT_EQ(Raw(L"夜 の 録画", L"AsAdmin"), L"1");
    EXPECT_EQ(Raw(L"Tollerup", L"Act"), L"(absent)");
}

// Finish stores the page before the watch starts: a settings file that takes no write
// keeps the page (false), shows one box with the file's path and writes nothing more.
TEST(ActionPageUnwritable, AFileThatTakesNoWriteKeepsThePage) {
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryW(dir.File(L"TLR.ini").c_str(), nullptr));
    SettingSection section(dir.File(L"TLR.ini").c_str(), L"Tollerup");
    BoxRecorder boxes;
    ActionParameters parameters = Parameters(L"", L"", L"通常の終了");
    ActionPageInput input;
    input.kind = 1;
    input.text = L"cmd /c echo x";
    EXPECT_FALSE(StoreActionValues(input, parameters, section, nullptr));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, L"設定ファイルに書き込めません\n" + dir.File(L"TLR.ini"));
    EXPECT_EQ(boxes.boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}
