// Saving under a name: the name checks, the shortcut's path and arguments, and the whole
// save against a settings file and a desktop folder in a scratch folder, with the name
// prompt, the questions and the shortcut recorded.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "../common/temp_dir.h"
#include "app/message_box.h"
#include "app/settings.h"
#include "wizard/named_setting.h"

TEST(SettingName, TheWorkingSectionIsRefusedInAnyCaseOfItsLetters) {
    for (const wchar_t* name : {L"Tollerup", L"tollerup", L"TOLLERUP", L"tOLLERUp", L" Tollerup  "})
        EXPECT_TRUE(IsWorkingSectionAlias(name)) << name;
    for (const wchar_t* name : {L"Tollerup2", L"Toll erup", L"Tolerup", L"ｔｏｌｌｅｒｕｐ", L""})
        EXPECT_FALSE(IsWorkingSectionAlias(name)) << name;
    EXPECT_TRUE(ProposedSettingName(L"Tollerup").IsEmpty());
    EXPECT_EQ(ProposedSettingName(L"夜 の 録画"), WideString(L"夜 の 録画"));
    EXPECT_EQ(ProposedSettingName(L"tollerup"), WideString(L"tollerup"));
}

TEST(SettingName, OnlyNamesThatAFileCanHoldMakeAShortcut) {
    for (const wchar_t* name : {L"夜 の 録画", L"a.b", L"x-1 (copy)", L"録画#2", L"  spaced  "})
        EXPECT_TRUE(CanNameShortcutFile(name)) << name;
    for (const wchar_t* name :
         {L"", L".", L"..", L"..\\up", L"a/b", L"c:x", L"a*", L"a?", L"\"q\"", L"<a>", L"a|b", L"tab\there"})
        EXPECT_FALSE(CanNameShortcutFile(name)) << name;
}

TEST(SettingShortcut, LinkOnTheDesktopStartsTheProgramInTheSettingsFolderWithTheName) {
    ShortcutPlan plan = PlanShortcut(L"C:\\users\\me\\watches\\TLR.ini", L"C:\\users\\me\\Desktop", L"夜 の 録画");
    EXPECT_EQ(plan.linkPath, WideString(L"C:\\users\\me\\Desktop\\夜 の 録画.lnk"));
    EXPECT_EQ(plan.arguments, WideString(L"#夜 の 録画"));  // no quotes
    EXPECT_EQ(plan.workingDirectory, WideString(L"C:\\users\\me\\watches"));

    ShortcutPlan rooted = PlanShortcut(L"D:\\TLR.ini", L"D:\\", L"a");
    EXPECT_EQ(rooted.linkPath, WideString(L"D:\\a.lnk"));
    EXPECT_EQ(rooted.workingDirectory, WideString(L"D:\\"));
    EXPECT_EQ(ReplaceShortcutQuestion(plan.linkPath),
              WideString(L"C:\\users\\me\\Desktop\\夜 の 録画.lnk を置き換えますか"));
    EXPECT_TRUE(ShortcutFailedText(plan.linkPath).Contains(plan.linkPath));
}

namespace {

// Answers the questions in order (Yes when none is left) and records every box.
class ScriptedBoxes : public MessageBoxPresenter {
public:
    ScriptedBoxes() { previous_ = SetMessageBoxPresenter(this); }
    ~ScriptedBoxes() override { SetMessageBoxPresenter(previous_); }
    ScriptedBoxes(const ScriptedBoxes&) = delete;
    ScriptedBoxes& operator=(const ScriptedBoxes&) = delete;

    int Present(HWND, const WideString& text, UINT flags) override {
        bool question = (flags & MB_ICONMASK) == MB_ICONQUESTION;
        (question ? questions : errors).push_back(text.str());
        if (!question) return IDOK;
        if (answers.empty()) return IDYES;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<int> answers;
    std::vector<std::wstring> questions;
    std::vector<std::wstring> errors;

private:
    MessageBoxPresenter* previous_ = nullptr;
};

struct ShortcutCall {
    std::wstring program;
    std::wstring link;
    std::wstring arguments;
    std::wstring directory;
};

class RecordingSystem : public NamedSaveSystem {
public:
    bool AskName(WideString& name) override {
        proposed.push_back(name.str());
        if (cancel) return false;
        name = typed;
        return true;
    }
    void ShowSettingName(const WideString& name) override { shownNames.push_back(name.str()); }
    WideString DesktopFolder() override { return desktop; }
    bool CreateShortcut(const WideString& program, const WideString& link, const WideString& arguments,
                        const WideString& directory) override {
        shortcuts.push_back({program.str(), link.str(), arguments.str(), directory.str()});
        return shortcutWorks;
    }

    WideString typed;
    bool cancel = false;
    WideString desktop;
    bool shortcutWorks = true;
    std::vector<std::wstring> proposed;
    std::vector<std::wstring> shownNames;
    std::vector<ShortcutCall> shortcuts;
};

const wchar_t kProgram[] = L"C:\\tools\\TLR64.exe";
const wchar_t kDesktopQuestion[] = L"ショートカットをデスクトップに作成しますか？";

class NamedSave : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(dir_.File(L"Desktop").c_str(), nullptr);
        system_.desktop = dir_.File(L"Desktop").c_str();
        Write(L"Tollerup", L"WatchMode", L"0");
        Write(L"Tollerup", L"SSHold", L"1");
        Write(L"Tollerup", L"ScrLeft", L"10");
        Write(L"Tollerup", L"ScrTop", L"20");
        Write(L"Tollerup", L"ScrRight", L"300");
        Write(L"Tollerup", L"ScrBottom", L"400");
        Write(L"Tollerup", L"ParamCmd", L"working command");
        request_.watchMode = 0;
        request_.input.capture = true;
        request_.input.kind = 1;
        request_.input.text = L"cmd /c echo named";
        request_.input.asAdmin = false;
        request_.programPath = kProgram;
        parameters_.play = L"a.wav";
        parameters_.command = L"working command";
        parameters_.winExit = L"通常の終了";
    }
    std::wstring Ini() const { return dir_.File(L"TLR.ini"); }
    std::wstring Link(const std::wstring& name) const { return dir_.File(L"Desktop\\" + name + L".lnk"); }
    void Write(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
        WritePrivateProfileStringW(section, key, value, Ini().c_str());
    }
    std::wstring Read(const wchar_t* section, const wchar_t* key) const {
        wchar_t value[600] = {};
        GetPrivateProfileStringW(section, key, L"(absent)", value, 600, Ini().c_str());
        return value;
    }
    void Save() { SaveSettingUnderName(request_, section_, parameters_, system_); }

    TempDir dir_;
    SettingSection section_{dir_.File(L"TLR.ini").c_str(), L"Tollerup"};
    NamedSaveRequest request_;
    ActionParameters parameters_;
    RecordingSystem system_;
    ScriptedBoxes boxes_;
};

}  // namespace

TEST_F(NamedSave, CopiesTheScreenKeysStoresThePageAndMakesTheShortcut) {
    Write(L"夜 の 録画", L"SetCmdLeft", L"77");  // an existing section keeps its other keys
    Write(L"夜 の 録画", L"Act", L"0");
    system_.typed = L"  夜 の 録画 ";  // blanks around the name would not survive the command line
    Save();
    ASSERT_EQ(system_.proposed.size(), 1u);
    EXPECT_EQ(system_.proposed[0], L"");  // the working section proposes no name
    EXPECT_EQ(section_.Section(), WideString(L"夜 の 録画"));
    EXPECT_EQ(system_.shownNames, std::vector<std::wstring>{L"夜 の 録画"});
    EXPECT_TRUE(boxes_.errors.empty());
    EXPECT_EQ(boxes_.questions, std::vector<std::wstring>{kDesktopQuestion});

    const struct {
        const wchar_t* key;
        const wchar_t* value;
    } expected[] = {{L"WatchMode", L"0"},
                    {L"SSHold", L"1"},
                    {L"ScrLeft", L"10"},
                    {L"ScrTop", L"20"},
                    {L"ScrRight", L"300"},
                    {L"ScrBottom", L"400"},
                    {L"Capture", L"1"},
                    {L"Act", L"1"},
                    {L"ParamPlay", L"a.wav"},
                    {L"ParamCmd", L"cmd /c echo named"},
                    {L"ParamWinExit", L"通常の終了"},
                    {L"AsAdmin", L"0"},
                    {L"SetCmdLeft", L"77"}};
    for (const auto& e : expected) EXPECT_EQ(Read(L"夜 の 録画", e.key), e.value) << e.key;
    // The working section keeps what it had.
    EXPECT_EQ(Read(L"Tollerup", L"ParamCmd"), L"working command");
    EXPECT_EQ(Read(L"Tollerup", L"Capture"), L"(absent)");

    ASSERT_EQ(system_.shortcuts.size(), 1u);
    EXPECT_EQ(system_.shortcuts[0].program, kProgram);
    EXPECT_EQ(system_.shortcuts[0].link, Link(L"夜 の 録画"));
    EXPECT_EQ(system_.shortcuts[0].arguments, L"#夜 の 録画");
    // The program lies elsewhere; the shortcut starts it where its setting is kept.
    EXPECT_EQ(system_.shortcuts[0].directory, dir_.Path());
}

// A settings file that cannot be written: the first key that fails shows the box with the
// file's path, nothing after it is written, and the page stays on its section with no
// name shown and no shortcut.
TEST_F(NamedSave, AFileThatCannotBeWrittenLeavesThePageOnItsSection) {
    TempDir other;
    ASSERT_TRUE(CreateDirectoryW(other.File(L"TLR.ini").c_str(), nullptr));
    SettingSection blocked(other.File(L"TLR.ini").c_str(), L"Tollerup");
    system_.typed = L"夜";
    SaveSettingUnderName(request_, blocked, parameters_, system_);
    EXPECT_EQ(boxes_.errors, std::vector<std::wstring>{UnwritableSettingsText(other.File(L"TLR.ini").c_str()).str()});
    EXPECT_EQ(blocked.Section(), WideString(L"Tollerup"));
    EXPECT_TRUE(system_.shownNames.empty());
    EXPECT_TRUE(boxes_.questions.empty());
    EXPECT_TRUE(system_.shortcuts.empty());
}

TEST_F(NamedSave, EmptyParameterAndCancelSaveNothing) {
    request_.input.text = L"";
    system_.typed = L"x";
    Save();
    EXPECT_EQ(boxes_.errors, std::vector<std::wstring>{L"動作のパラメーターが入力されていません"});
    EXPECT_TRUE(system_.proposed.empty());

    boxes_.errors.clear();
    request_.input.text = L"cmd";
    system_.cancel = true;
    Save();
    EXPECT_EQ(system_.proposed.size(), 1u);
    EXPECT_TRUE(boxes_.errors.empty());
    EXPECT_TRUE(boxes_.questions.empty());
    EXPECT_EQ(section_.Section(), WideString(L"Tollerup"));
    EXPECT_EQ(Read(L"x", L"WatchMode"), L"(absent)");
}

TEST_F(NamedSave, TheWorkingSectionsNameWithBlanksAroundIsRefusedAndLeavesItUntouched) {
    const wchar_t* names[] = {L"TOLLERUP ", L"  "};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        boxes_.errors.clear();
        system_.typed = names[i];
        Save();
        if (i == 0) {
            EXPECT_EQ(boxes_.errors, std::vector<std::wstring>{L"Tollerup は指定できません"});
        } else {
            EXPECT_TRUE(boxes_.errors.empty());
        }
        EXPECT_EQ(section_.Section(), WideString(L"Tollerup"));
        EXPECT_TRUE(system_.shownNames.empty());
        EXPECT_TRUE(boxes_.questions.empty());
        EXPECT_EQ(Read(L"Tollerup", L"ParamCmd"), L"working command");
        EXPECT_EQ(Read(L"Tollerup", L"Act"), L"(absent)");
    }
}

TEST_F(NamedSave, AShortcutThatCannotBeWrittenIsReportedAndTheSectionStays) {
    system_.typed = L"夜";
    system_.shortcutWorks = false;
    Save();
    ASSERT_EQ(system_.shortcuts.size(), 1u);
    ASSERT_EQ(boxes_.errors.size(), 1u);
    EXPECT_EQ(boxes_.errors[0], ShortcutFailedText(Link(L"夜")).str());
    EXPECT_EQ(Read(L"夜", L"ParamCmd"), L"cmd /c echo named");

    // A name a file cannot hold is not handed to the shell: it would put the link elsewhere.
    boxes_.errors.clear();
    system_.shortcuts.clear();
    system_.shortcutWorks = true;
    system_.typed = L"..\\夜";
    Save();
    EXPECT_TRUE(system_.shortcuts.empty());
    ASSERT_EQ(boxes_.errors.size(), 1u);
    EXPECT_NE(boxes_.errors[0].find(L"ショートカットを作成できませんでした"), std::wstring::npos);
    EXPECT_EQ(Read(L"..\\夜", L"ParamCmd"), L"cmd /c echo named");

    // No desktop folder: its lookup has shown the failure; nothing more happens.
    boxes_.errors.clear();
    system_.desktop = L"";
    system_.typed = L"朝";
    Save();
    EXPECT_TRUE(system_.shortcuts.empty());
    EXPECT_TRUE(boxes_.errors.empty());
    EXPECT_EQ(Read(L"朝", L"Act"), L"1");
}
