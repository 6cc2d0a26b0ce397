// The action page as the user meets it: the setting shown and stored, the kinds and their
// texts, the test run, saving under a name with the name prompt, the desktop question, the
// replace question and the shortcut, which then starts the saved setting; and finishing.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "driver/driver.h"
#include "driver/system_state.h"
#include "driver/wizard_driver.h"

using namespace e2e;

namespace {
const DWORD kWait = 20000;

const int kModeProcessRadio = 1110;
const int kCapture = 1701;
const int kPlayRadio = 1703;
const int kCommandRadio = 1704;
const int kExitRadio = 1705;
const int kLabel = 1706;
const int kParameter = 1707;
const int kTestRun = 1708;
const int kAsAdmin = 1709;
const int kEdit = 1710;
const int kWhole = 1711;
const int kSave = 1712;
const int kSettingName = 1713;
const int kPromptText = 9101;
const int kPromptEdit = 9102;
const int kPromptOk = 9103;
const int kPromptCancel = 9104;

const wchar_t kSaveTitle[] = L"監視・実行パラメーターの保存とショートカットの作成";
const wchar_t kNoParameter[] = L"動作のパラメータが入力されていません";
const wchar_t kDesktopQuestion[] = L"ショートカットをデスクトップに作成しますか？";

std::wstring DesktopFolder() {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE);
    return path;
}

// The text of a control of the program; an edit box keeps its text to itself, so ask it.
std::wstring TextOf(HWND control) {
    return WindowTextTimeout(control, 2000);
}

// A shortcut of the desktop that a test may make: removed before and after the test.
class DesktopLink {
public:
    explicit DesktopLink(const std::wstring& name) : path_(DesktopFolder() + L"\\" + name + L".lnk") { Remove(); }
    ~DesktopLink() { Remove(); }
    DesktopLink(const DesktopLink&) = delete;
    DesktopLink& operator=(const DesktopLink&) = delete;
    const std::wstring& Path() const { return path_; }

private:
    void Remove() {
        if (!DeleteFileW(path_.c_str())) RemoveDirectoryW(path_.c_str());
    }
    std::wstring path_;
};

class ComScope {
public:
    ComScope() : hr_(CoInitialize(nullptr)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;
};

struct LinkContents {
    std::wstring target;
    std::wstring arguments;
    std::wstring directory;
};

bool ReadLink(const std::wstring& file, LinkContents& contents) {
    ComScope com;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    bool read = false;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        wchar_t text[1024] = {};
        if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(text, 1024, nullptr, SLGP_RAWPATH))) {
            contents.target = text;
            link->GetArguments(text, 1024);
            contents.arguments = text;
            link->GetWorkingDirectory(text, 1024);
            contents.directory = text;
            read = true;
        }
        persist->Release();
    }
    link->Release();
    return read;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

// A value the settings file keeps with its blanks and quotes: enclosed in double quotes.
std::wstring Kept(const std::wstring& value) {
    return L"\"" + value + L"\"";
}

// The show_command helper writing its report into the folder.
std::wstring ReportCommand(const TempFolder& folder, const std::wstring& report) {
    return L"\"" + HelperPath(L"show_command") + L"\" \"" + folder.File(report) + L"\"";
}

// Answers a message box and waits until it has gone.
void Answer(const MessageBoxInfo& box, int button) {
    ASSERT_TRUE(PressButton(box.window, button));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box.window); }, kWait)) << "the box stays";
}

// The next box of the program: expects its text and icon.
MessageBoxInfo ExpectBox(const Program& tlr, const std::wstring& text, UINT icon) {
    MessageBoxInfo box = tlr.WaitForMessageBox(kWait);
    EXPECT_TRUE(box) << "no box, expected " << Narrow(text);
    if (!box) return box;
    EXPECT_EQ(box.caption, L"Tollerup");
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.icon, icon) << Narrow(text);
    return box;
}

// A folder for the settings file, with its own copy of the program or (ownCopy false) with
// the program of the build, which then lies in another folder.
class ActionWizard {
public:
    explicit ActionWizard(bool ownCopy = true) {
        if (ownCopy) {
            program_ = folder_.File(sizeof(void*) == 8 ? L"TLR64.exe" : L"TLR32.exe");
            copied_ = CopyFileW(ProgramPath().c_str(), program_.c_str(), FALSE) != FALSE;
        } else {
            program_ = ProgramPath();
            copied_ = true;
        }
        // A range with an area, as the screen range page keeps it.
        folder_.WriteSetting(L"Tollerup", L"ScrLeft", 100);
        folder_.WriteSetting(L"Tollerup", L"ScrTop", 120);
        folder_.WriteSetting(L"Tollerup", L"ScrRight", 300);
        folder_.WriteSetting(L"Tollerup", L"ScrBottom", 260);
        folder_.WriteSetting(L"Tollerup", L"SSHold", 0);
    }
    const TempFolder& Folder() const { return folder_; }
    const std::wstring& ProgramCopy() const { return program_; }
    Program& Tlr() { return tlr_; }
    Wizard& Sheet() { return wizard_; }
    HWND Control(int id) const { return wizard_.Control(id); }

    // Starts the program and goes along the screen road to the action page (not waiting
    // for it when its activation shows a box). commandLine replaces the whole command line.
    void OpenActionPage(bool waitForPage = true, const std::wstring* commandLine = nullptr) {
        ASSERT_TRUE(copied_);
        ASSERT_TRUE(tlr_.Start(program_, L"", folder_.Path(), commandLine));
        wizard_ = Wizard::WaitFor(tlr_, kWait);
        ASSERT_TRUE(wizard_) << "no wizard";
        ASSERT_TRUE(wizard_.WaitForPage(110, kWait));
        ASSERT_TRUE(wizard_.WaitForButtons(false, true, false, kWait));
        ASSERT_TRUE(wizard_.Press(kSheetNext));
        ASSERT_TRUE(wizard_.WaitForPage(120, kWait));
        ASSERT_TRUE(wizard_.WaitForButtons(true, true, false, kWait));
        ASSERT_TRUE(wizard_.Press(kSheetNext));
        if (waitForPage) {
            ASSERT_TRUE(wizard_.WaitForPage(170, kWait));
        }
    }

    void ExpectOnActionPage() {
        EXPECT_EQ(wizard_.CurrentPageId(), 170);
        EXPECT_TRUE(wizard_.WaitForButtons(true, false, true, kWait));
    }

    // Presses the button and waits until its handler has run to its end: a click on
    // "全体表示" queued behind it shows its box only then.
    void ExpectIdleAfter() {
        ASSERT_TRUE(WaitForEnabled(wizard_.Sheet(), true, kWait));
        ASSERT_TRUE(Click(Control(kWhole)));
        MessageBoxInfo whole = tlr_.WaitForMessageBox(kWait);
        ASSERT_TRUE(whole);
        EXPECT_EQ(whole.text, TextOf(Control(kParameter)));
        EXPECT_EQ(whole.icon, static_cast<UINT>(MB_ICONINFORMATION));
        Answer(whole, IDOK);
    }

    // The name prompt: checks its texts and proposed name, then types the name and presses OK.
    HWND WaitForPrompt() {
        HWND prompt = WaitForDialog(tlr_, kSaveTitle, kWait);
        EXPECT_TRUE(prompt) << "no name prompt";
        return prompt;
    }
    void EnterName(const std::wstring& proposed, const std::wstring& name) {
        ASSERT_TRUE(Click(Control(kSave)));
        HWND prompt = WaitForPrompt();
        ASSERT_TRUE(prompt);
        EXPECT_EQ(WindowText(ChildById(prompt, kPromptText)), L"設定名を指定してください");
        EXPECT_EQ(TextOf(ChildById(prompt, kPromptEdit)), proposed);
        ASSERT_TRUE(TypeText(ChildById(prompt, kPromptEdit), name));
        ASSERT_TRUE(PressButton(prompt, kPromptOk));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(prompt); }, kWait)) << "the prompt stays";
    }

    void Cancel() {
        ASSERT_TRUE(wizard_.Press(kSheetCancel));
        DWORD code = 99;
        ASSERT_TRUE(tlr_.WaitExit(kWait, &code));
        EXPECT_EQ(code, 0u);
    }

private:
    TempFolder folder_{L"tlr action"};
    std::wstring program_;
    bool copied_ = false;
    Program tlr_;
    Wizard wizard_;
};

// Opens the shortcut as the desktop would; the setting it runs writes "report.txt" into
// its folder, and the run holds its single-instance name until it ends.
void ExpectShortcutRunsTheSetting(const std::wstring& linkPath, const TempFolder& f, const std::wstring& name) {
    HINSTANCE opened = ShellExecuteW(nullptr, L"open", linkPath.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    ASSERT_GT(reinterpret_cast<INT_PTR>(opened), 32);
    EXPECT_TRUE(WaitUntil([&] { return f.Exists(L"report.txt"); }, kWait)) << "the setting did not run";
    const std::wstring runName = L"Tollerup #" + name;
    EXPECT_TRUE(WaitUntil(
        [&] {
            HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, runName.c_str());
            if (mutex) CloseHandle(mutex);
            return mutex == nullptr;
        },
        kWait))
        << "the run did not end";
}

}  // namespace

TEST(ActionPage, ShowsTheSettingAndBackStoresIt) {
    ActionWizard w;
    const TempFolder& f = w.Folder();
    std::wstring command = L"\"C:\\my tools\\x.exe\" /a /b";
    f.WriteSetting(L"Tollerup", L"Act", 1);
    f.WriteSetting(L"Tollerup", L"ParamCmd", Kept(command));
    f.WriteSetting(L"Tollerup", L"Capture", 1);
    f.WriteSetting(L"Tollerup", L"AsAdmin", 1);
    ASSERT_NO_FATAL_FAILURE(w.OpenActionPage());
    EXPECT_EQ(w.Sheet().Caption(), PageTitle(L"Tollerup 動作の指定"));
    w.ExpectOnActionPage();
    EXPECT_TRUE(IsChecked(w.Control(kCapture)));
    EXPECT_TRUE(IsChecked(w.Control(kCommandRadio)));
    EXPECT_FALSE(IsChecked(w.Control(kPlayRadio)));
    EXPECT_EQ(WindowText(w.Control(kLabel)), L"動作のパラメータ（ＤＯＳコマンド）");
    EXPECT_EQ(TextOf(w.Control(kParameter)), command);
    EXPECT_TRUE(IsEnabled(w.Control(kTestRun)));
    EXPECT_TRUE(IsEnabled(w.Control(kWhole)));
    EXPECT_TRUE(IsEnabled(w.Control(kEdit)));
    EXPECT_TRUE(IsEnabled(w.Control(kSave)));  // the screen mode
    EXPECT_EQ(WindowText(w.Control(kSettingName)), L"");
    // The program cannot be elevated further (or at all): the box is off.
    bool canElevate = TestTokenElevation() == TokenElevationTypeLimited;
    EXPECT_EQ(IsEnabled(w.Control(kAsAdmin)), canElevate);
    EXPECT_EQ(IsChecked(w.Control(kAsAdmin)), canElevate);

    ASSERT_TRUE(Click(w.Control(kCapture)));
    ASSERT_TRUE(WaitUntil([&] { return !IsChecked(w.Control(kCapture)); }, kWait));
    ASSERT_TRUE(w.Sheet().Press(kSheetBack));
    ASSERT_TRUE(w.Sheet().WaitForPage(120, kWait));
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"Capture"), L"0");
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"Act"), L"1");
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"ParamCmd"), command);
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"ParamPlay", L"(absent)"), L"");
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"ParamWinExit"), L"通常の終了");
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"AsAdmin"), canElevate ? L"1" : L"0");
    w.Cancel();
}

TEST(ActionPage, TheProcessRoadGoesBackToItsPagesAndCannotSaveUnderAName) {
    ActionWizard w;
    const TempFolder& f = w.Folder();
    f.WriteSetting(L"Tollerup", L"Act", 2);
    f.WriteSetting(L"Tollerup", L"ParamWinExit", L"");
    ASSERT_NO_FATAL_FAILURE(w.OpenActionPage());
    // Coming to the page again after the mode changed to the process mode.
    ASSERT_TRUE(w.Sheet().Press(kSheetBack));
    MessageBoxInfo refused = ExpectBox(w.Tlr(), kNoParameter, MB_ICONERROR);
    ASSERT_TRUE(refused);
    Answer(refused, IDOK);
    ASSERT_TRUE(w.Sheet().WaitForPage(120, kWait));  // left although nothing was stored
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"Act"), L"2");
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"AsAdmin", L"(absent)"), L"(absent)");
    f.WriteSetting(L"Tollerup", L"WatchMode", 1);
    f.WriteSetting(L"Tollerup", L"ParamWinExit", L"スリープ");
    ASSERT_TRUE(w.Sheet().Press(kSheetNext));
    ASSERT_TRUE(w.Sheet().WaitForPage(170, kWait));
    EXPECT_FALSE(IsEnabled(w.Control(kSave)));
    EXPECT_FALSE(IsEnabled(w.Control(kWhole)));  // never for the Windows exit
    EXPECT_TRUE(IsEnabled(w.Control(kTestRun)));
    EXPECT_EQ(TextOf(w.Control(kParameter)), L"スリープ");

    // Back goes to the conditions, then the process page: every title shows the state.
    ASSERT_TRUE(w.Sheet().Press(kSheetBack));
    ASSERT_TRUE(w.Sheet().WaitForPage(140, kWait));
    EXPECT_EQ(w.Sheet().Caption(), PageTitle(L"Tollerup プロセスの条件の指定"));
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"ParamWinExit"), L"スリープ");
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"Act"), L"2");
    ASSERT_TRUE(w.Sheet().WaitForButtons(true, true, false, kWait));
    ASSERT_TRUE(w.Sheet().Press(kSheetBack));
    ASSERT_TRUE(w.Sheet().WaitForPage(130, kWait));
    EXPECT_EQ(w.Sheet().Caption(), PageTitle(L"Tollerup プロセスの指定"));
    w.Cancel();
}

TEST(ActionPage, EachKindShowsItsOwnTextAndAnUnknownKindIsIllegal) {
    ActionWizard w;
    const TempFolder& f = w.Folder();
    f.WriteSetting(L"Tollerup", L"Act", 5);
    f.WriteSetting(L"Tollerup", L"ParamPlay", Kept(L"Repeat Vol:50% C:\\sounds\\end.wav"));
    f.WriteSetting(L"Tollerup", L"ParamCmd", L"cmd /c echo done");
    f.WriteSetting(L"Tollerup", L"ParamWinExit", L"再起動 待機時間 =30秒");
    ASSERT_NO_FATAL_FAILURE(w.OpenActionPage(false));
    MessageBoxInfo illegal = ExpectBox(w.Tlr(), L"illegal Action", MB_ICONERROR);
    ASSERT_TRUE(illegal);
    Answer(illegal, IDOK);
    ASSERT_TRUE(w.Sheet().WaitForPage(170, kWait));
    EXPECT_FALSE(IsChecked(w.Control(kPlayRadio)));
    EXPECT_FALSE(IsChecked(w.Control(kCommandRadio)));
    EXPECT_FALSE(IsChecked(w.Control(kExitRadio)));
    EXPECT_FALSE(IsEnabled(w.Control(kTestRun)));
    EXPECT_EQ(TextOf(w.Control(kParameter)), L"");

    const struct {
        int radio;
        const wchar_t* label;
        const wchar_t* text;
    } kinds[] = {{kExitRadio, L"動作のパラメータ（強制終了等）", L"再起動 待機時間 =30秒"},
                 {kCommandRadio, L"動作のパラメータ（ＤＯＳコマンド）", L"cmd /c echo done"},
                 {kPlayRadio, L"動作のパラメータ（ファイル名等）", L"Repeat Vol:50% C:\\sounds\\end.wav"},
                 {kExitRadio, L"動作のパラメータ（強制終了等）", L"再起動 待機時間 =30秒"},
                 {kCommandRadio, L"動作のパラメータ（ＤＯＳコマンド）", L"cmd /c echo done"}};
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.radio);
        ASSERT_TRUE(Click(w.Control(k.radio)));
        ASSERT_TRUE(WaitUntil([&] { return TextOf(w.Control(kParameter)) == k.text; }, kWait));
        EXPECT_EQ(WindowText(w.Control(kLabel)), k.label);
        EXPECT_TRUE(IsEnabled(w.Control(kTestRun)));
        EXPECT_EQ(IsEnabled(w.Control(kWhole)), k.radio != kExitRadio);
    }
    // The whole text in a box.
    ASSERT_TRUE(Click(w.Control(kWhole)));
    MessageBoxInfo whole = ExpectBox(w.Tlr(), L"cmd /c echo done", MB_ICONINFORMATION);
    ASSERT_TRUE(whole);
    Answer(whole, IDOK);
    // Finishing stores the kind checked last and all three texts.
    ASSERT_TRUE(w.Sheet().Press(kSheetBack));
    ASSERT_TRUE(w.Sheet().WaitForPage(120, kWait));
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"Act"), L"1");
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"ParamPlay"), L"Repeat Vol:50% C:\\sounds\\end.wav");
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"ParamWinExit"), L"再起動 待機時間 =30秒");
    w.Cancel();
}

// "入力・修正" opens the editor of the kind checked: OK takes its text into the page,
// Cancel leaves the page's text as it was.
TEST(ActionPage, EditOpensTheDialogOfTheCheckedKind) {
    ActionWizard w;
    const TempFolder& f = w.Folder();
    f.WriteSetting(L"Tollerup", L"Act", 2);
    f.WriteSetting(L"Tollerup", L"ParamWinExit", L"再起動 待機時間 =30秒");
    f.WriteSetting(L"Tollerup", L"ParamCmd", L"cmd /c echo done");
    ASSERT_NO_FATAL_FAILURE(w.OpenActionPage());
    ASSERT_TRUE(Click(w.Control(kEdit)));
    HWND exit = WaitForDialog(w.Tlr(), L"Windows終了の設定", kWait);
    ASSERT_TRUE(exit) << "no Windows-exit dialog for the exit kind";
    EXPECT_TRUE(IsChecked(ChildById(exit, 9305)));
    EXPECT_EQ(TextOf(ChildById(exit, 9306)), L"30");
    EXPECT_FALSE(IsEnabled(w.Sheet().Sheet())) << "the dialog is not modal to the sheet";
    ASSERT_TRUE(Click(ChildById(exit, 9302)));
    ASSERT_TRUE(Click(ChildById(exit, 9312)));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(exit); }, kWait));
    EXPECT_TRUE(WaitUntil([&] { return TextOf(w.Control(kParameter)) == L"通常の終了 待機時間 =30秒"; }, kWait))
        << Narrow(TextOf(w.Control(kParameter)));

    ASSERT_TRUE(Click(w.Control(kCommandRadio)));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(w.Control(kParameter)) == L"cmd /c echo done"; }, kWait));
    for (int button : {9211, 9212}) {
        ASSERT_TRUE(WaitForEnabled(w.Sheet().Sheet(), true, kWait));
        ASSERT_TRUE(Click(w.Control(kEdit)));
        HWND command = WaitForDialog(w.Tlr(), L"DOSコマンドの入力", kWait);
        ASSERT_TRUE(command) << "no command dialog for the command kind";
        EXPECT_EQ(TextOf(ChildById(command, 9203)), L"cmd /c echo done");
        ASSERT_TRUE(TypeText(ChildById(command, 9203), L"cmd /c echo other"));
        ASSERT_TRUE(Click(ChildById(command, button)));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(command); }, kWait));
    }
    EXPECT_TRUE(WaitUntil([&] { return TextOf(w.Control(kParameter)) == L"cmd /c echo other"; }, kWait))
        << Narrow(TextOf(w.Control(kParameter)));
    ASSERT_TRUE(WaitForEnabled(w.Sheet().Sheet(), true, kWait));
    ASSERT_TRUE(w.Sheet().Press(kSheetBack));
    ASSERT_TRUE(w.Sheet().WaitForPage(120, kWait));
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"ParamWinExit"), L"通常の終了 待機時間 =30秒");
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"ParamCmd"), L"cmd /c echo other");
    w.Cancel();
}

TEST(ActionPage, FinishWithoutAParameterStaysOnThePage) {
    ActionWizard w;
    w.Folder().WriteSetting(L"Tollerup", L"Act", 0);
    ASSERT_NO_FATAL_FAILURE(w.OpenActionPage());
    EXPECT_FALSE(IsEnabled(w.Control(kTestRun)));
    EXPECT_FALSE(IsEnabled(w.Control(kWhole)));
    ASSERT_TRUE(w.Sheet().Press(kSheetFinish));
    MessageBoxInfo refused = ExpectBox(w.Tlr(), kNoParameter, MB_ICONERROR);
    ASSERT_TRUE(refused);
    Answer(refused, IDOK);
    ASSERT_TRUE(WaitForEnabled(w.Sheet().Sheet(), true, kWait));
    EXPECT_TRUE(w.Tlr().IsRunning());
    w.ExpectOnActionPage();
    EXPECT_EQ(w.Folder().ReadSetting(L"Tollerup", L"Act"), L"0");
    EXPECT_EQ(w.Folder().ReadSetting(L"Tollerup", L"Capture", L"(absent)"), L"(absent)");
    w.Cancel();
}

TEST(ActionPage, TestRunAsksFirstAndRunsTheActionWithTheSheetDisabled) {
    ActionWizard w;
    const TempFolder& f = w.Folder();
    f.WriteSetting(L"Tollerup", L"Act", 1);
    f.WriteSetting(L"Tollerup", L"ParamCmd", Kept(L"\"" + f.File(L"nothing here.exe") + L"\" /x"));
    ASSERT_NO_FATAL_FAILURE(w.OpenActionPage());
    HWND sheet = w.Sheet().Sheet();

    // No: nothing runs. A program that does not exist would have shown its failure
    // before the page could answer the next click.
    ASSERT_TRUE(Click(w.Control(kTestRun)));
    MessageBoxInfo question = ExpectBox(w.Tlr(), L"テスト実行していいですか？", MB_ICONQUESTION);
    ASSERT_TRUE(question);
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"Capture"), L"0");  // the page was stored first
    Answer(question, IDNO);
    ASSERT_NO_FATAL_FAILURE(w.ExpectIdleAfter());

    // Yes: the action runs in the program while the sheet is disabled.
    ASSERT_TRUE(Click(w.Control(kTestRun)));
    question = ExpectBox(w.Tlr(), L"テスト実行していいですか？", MB_ICONQUESTION);
    ASSERT_TRUE(question);
    Answer(question, IDYES);
    MessageBoxInfo failed = ExpectBox(w.Tlr(), L"Execute Error Code = 2", MB_ICONERROR);
    ASSERT_TRUE(failed);
    EXPECT_FALSE(IsWindowEnabled(sheet));
    Answer(failed, IDOK);
    EXPECT_TRUE(WaitForEnabled(sheet, true, kWait));

    // A command that works, read from the section when the page is shown again.
    ASSERT_TRUE(w.Sheet().Press(kSheetBack));
    ASSERT_TRUE(w.Sheet().WaitForPage(120, kWait));
    f.WriteSetting(L"Tollerup", L"ParamCmd", Kept(ReportCommand(f, L"report.txt")));
    ASSERT_TRUE(w.Sheet().Press(kSheetNext));
    ASSERT_TRUE(w.Sheet().WaitForPage(170, kWait));
    ASSERT_TRUE(Click(w.Control(kTestRun)));
    question = ExpectBox(w.Tlr(), L"テスト実行していいですか？", MB_ICONQUESTION);
    ASSERT_TRUE(question);
    Answer(question, IDYES);
    EXPECT_TRUE(WaitUntil([&] { return f.Exists(L"report.txt"); }, kWait)) << "the command did not run";
    EXPECT_TRUE(WaitForEnabled(sheet, true, kWait));
    w.ExpectOnActionPage();
    w.Cancel();
}

TEST(ActionSave, TheNamePromptRefusesAnEmptyNameAndTheWorkingSection) {
    ActionWizard w;
    const TempFolder& f = w.Folder();
    f.WriteSetting(L"Tollerup", L"Act", 1);
    f.WriteSetting(L"Tollerup", L"ParamCmd", L"cmd /c echo x");
    ASSERT_NO_FATAL_FAILURE(w.OpenActionPage());

    ASSERT_TRUE(Click(w.Control(kSave)));
    HWND prompt = w.WaitForPrompt();
    ASSERT_TRUE(prompt);
    EXPECT_EQ(WindowText(ChildById(prompt, kPromptText)), L"設定名を指定してください");
    EXPECT_EQ(TextOf(ChildById(prompt, kPromptEdit)), L"");  // the working section proposes no name
    ASSERT_TRUE(PressButton(prompt, kPromptOk));
    MessageBoxInfo empty = ExpectBox(w.Tlr(), L"入力されていません", MB_ICONERROR);
    ASSERT_TRUE(empty);
    Answer(empty, IDOK);
    ASSERT_TRUE(WaitForEnabled(prompt, true, kWait));
    ASSERT_TRUE(IsWindow(prompt)) << "the prompt closed";
    ASSERT_TRUE(PressButton(prompt, kPromptCancel));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(prompt); }, kWait));

    for (const wchar_t* name : {L"Tollerup", L"tollerup"}) {
        ASSERT_NO_FATAL_FAILURE(w.EnterName(L"", name));
        MessageBoxInfo refused = ExpectBox(w.Tlr(), L"Tollerup は指定できません", MB_ICONERROR);
        ASSERT_TRUE(refused);
        Answer(refused, IDOK);
        EXPECT_EQ(WindowText(w.Control(kSettingName)), L"");
    }
    ASSERT_TRUE(WaitForEnabled(w.Sheet().Sheet(), true, kWait));
    // Nothing was stored into the working section.
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"Capture", L"(absent)"), L"(absent)");
    EXPECT_EQ(f.ReadSetting(L"tollerup", L"AsAdmin", L"(absent)"), L"(absent)");
    w.Cancel();
}

TEST(ActionSave, SavingMakesTheSectionAndAShortcutThatRunsIt) {
    const std::wstring name = L"夜 の 録画";
    DesktopLink link(name);
    ActionWizard w;
    const TempFolder& f = w.Folder();
    f.WriteSetting(L"Tollerup", L"Act", 1);
    f.WriteSetting(L"Tollerup", L"ParamCmd", Kept(ReportCommand(f, L"report.txt")));
    f.WriteSetting(L"Tollerup", L"SSHold", 1);
    ASSERT_NO_FATAL_FAILURE(w.OpenActionPage());

    ASSERT_NO_FATAL_FAILURE(w.EnterName(L"", name));
    MessageBoxInfo desktop = ExpectBox(w.Tlr(), kDesktopQuestion, MB_ICONQUESTION);
    ASSERT_TRUE(desktop);
    EXPECT_EQ(WindowText(w.Control(kSettingName)), L"設定名：" + name);
    EXPECT_EQ(f.ReadSetting(name, L"ParamCmd"), ReportCommand(f, L"report.txt"));
    Answer(desktop, IDYES);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(link.Path()); }, kWait)) << "no shortcut on the desktop";

    const struct {
        const wchar_t* key;
        const wchar_t* value;
    } copied[] = {{L"WatchMode", L"0"},  {L"SSHold", L"1"},      {L"ScrLeft", L"100"}, {L"ScrTop", L"120"},
                  {L"ScrRight", L"300"}, {L"ScrBottom", L"260"}, {L"Capture", L"0"},   {L"Act", L"1"}};
    for (const auto& c : copied) EXPECT_EQ(f.ReadSetting(name, c.key), c.value) << Narrow(c.key);

    LinkContents contents;
    ASSERT_TRUE(ReadLink(link.Path(), contents));
    EXPECT_TRUE(SamePath(contents.target, w.ProgramCopy())) << Narrow(contents.target);
    EXPECT_EQ(contents.arguments, L"#" + name);
    EXPECT_TRUE(SamePath(contents.directory, f.Path())) << Narrow(contents.directory);

    // Saving again proposes the name; No to replacing leaves the shortcut as it was.
    std::string before = ReadFileBytes(link.Path());
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(DeleteFileW(f.File(L"TLR.ini").c_str()));
    ASSERT_NO_FATAL_FAILURE(w.EnterName(name, name));
    desktop = ExpectBox(w.Tlr(), kDesktopQuestion, MB_ICONQUESTION);
    ASSERT_TRUE(desktop);
    Answer(desktop, IDYES);
    MessageBoxInfo replace = ExpectBox(w.Tlr(), link.Path() + L" を置き換えますか", MB_ICONQUESTION);
    ASSERT_TRUE(replace);
    Answer(replace, IDNO);
    ASSERT_NO_FATAL_FAILURE(w.ExpectIdleAfter());
    EXPECT_EQ(ReadFileBytes(link.Path()), before);
    EXPECT_EQ(f.ReadSetting(name, L"Act"), L"1");  // the section was written again
    w.Cancel();

    // Opening the shortcut runs the saved setting; this one watches nothing and acts at once.
    f.WriteSetting(name, L"WatchMode", 2);
    ExpectShortcutRunsTheSetting(link.Path(), f, name);
}

// Started from a console in the folder of its settings, by a bare name that is not even the
// program's own: the shortcut names the program's full path and starts it in the folder of
// the settings file, so that it finds its setting from anywhere.
TEST(ActionSave, AShortcutMadeAwayFromTheProgramStartsItWhereItsSettingIs) {
    const std::wstring name = L"離れた設定";
    DesktopLink link(name);
    ActionWizard w(false);
    const TempFolder& f = w.Folder();
    f.WriteSetting(L"Tollerup", L"Act", 1);
    f.WriteSetting(L"Tollerup", L"ParamCmd", Kept(ReportCommand(f, L"report.txt")));
    const std::wstring commandLine = L"tlr";
    ASSERT_NO_FATAL_FAILURE(w.OpenActionPage(true, &commandLine));
    ASSERT_NO_FATAL_FAILURE(w.EnterName(L"", name));
    MessageBoxInfo desktop = ExpectBox(w.Tlr(), kDesktopQuestion, MB_ICONQUESTION);
    ASSERT_TRUE(desktop);
    Answer(desktop, IDYES);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(link.Path()); }, kWait)) << "no shortcut on the desktop";
    LinkContents contents;
    ASSERT_TRUE(ReadLink(link.Path(), contents));
    EXPECT_TRUE(SamePath(contents.target, ProgramPath())) << Narrow(contents.target);
    EXPECT_EQ(contents.arguments, L"#" + name);
    EXPECT_TRUE(SamePath(contents.directory, f.Path())) << Narrow(contents.directory);
    w.Cancel();

    // Opened from the desktop (this test's current folder is neither of the two), the
    // setting runs: it watches nothing and acts at once.
    f.WriteSetting(name, L"WatchMode", 2);
    ExpectShortcutRunsTheSetting(link.Path(), f, name);
}

TEST(ActionSave, AShortcutThatCannotBeWrittenIsReported) {
    DesktopLink link(L"塞がれた");
    // A folder where the shortcut should go.
    ASSERT_TRUE(CreateDirectoryW(link.Path().c_str(), nullptr));
    ActionWizard w;
    const TempFolder& f = w.Folder();
    f.WriteSetting(L"Tollerup", L"Act", 1);
    f.WriteSetting(L"Tollerup", L"ParamCmd", L"cmd /c echo x");
    ASSERT_NO_FATAL_FAILURE(w.OpenActionPage());
    ASSERT_NO_FATAL_FAILURE(w.EnterName(L"", L"塞がれた"));
    MessageBoxInfo desktop = ExpectBox(w.Tlr(), kDesktopQuestion, MB_ICONQUESTION);
    ASSERT_TRUE(desktop);
    Answer(desktop, IDYES);
    MessageBoxInfo replace = ExpectBox(w.Tlr(), link.Path() + L" を置き換えますか", MB_ICONQUESTION);
    ASSERT_TRUE(replace);
    Answer(replace, IDYES);
    MessageBoxInfo failed = w.Tlr().WaitForMessageBox(kWait);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed.icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_NE(failed.text.find(L"ショートカットを作成できませんでした"), std::wstring::npos) << Narrow(failed.text);
    EXPECT_NE(failed.text.find(link.Path()), std::wstring::npos) << Narrow(failed.text);
    Answer(failed, IDOK);
    EXPECT_EQ(f.ReadSetting(L"塞がれた", L"ParamCmd"), L"cmd /c echo x");
    w.Cancel();
}

TEST(ActionSave, NoToTheDesktopLeavesNoShortcutAndFinishRunsTheNamedSection) {
    DesktopLink link(L"named");
    ActionWizard w;
    const TempFolder& f = w.Folder();
    f.WriteSetting(L"Tollerup", L"Act", 1);
    f.WriteSetting(L"Tollerup", L"ParamCmd", Kept(ReportCommand(f, L"report.txt")));
    ASSERT_NO_FATAL_FAILURE(w.OpenActionPage());
    ASSERT_NO_FATAL_FAILURE(w.EnterName(L"", L"named"));
    MessageBoxInfo desktop = ExpectBox(w.Tlr(), kDesktopQuestion, MB_ICONQUESTION);
    ASSERT_TRUE(desktop);
    Answer(desktop, IDNO);
    ASSERT_NO_FATAL_FAILURE(w.ExpectIdleAfter());
    EXPECT_FALSE(FileExists(link.Path()));
    EXPECT_EQ(f.ReadSetting(L"named", L"WatchMode"), L"0");
    EXPECT_EQ(f.ReadSetting(L"named", L"ParamCmd"), ReportCommand(f, L"report.txt"));
    // The named section watches nothing and acts at once; the working section would watch
    // the screen.
    f.WriteSetting(L"named", L"WatchMode", 2);
    ASSERT_TRUE(Click(w.Control(kCapture)));
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(w.Control(kCapture)); }, kWait));
    ASSERT_TRUE(w.Sheet().Press(kSheetFinish));
    EXPECT_TRUE(WaitUntil([&] { return f.Exists(L"report.txt"); }, 30000)) << "the named setting did not run";
    DWORD code = 99;
    EXPECT_TRUE(w.Tlr().WaitExit(kWait, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(f.ReadSetting(L"named", L"Capture"), L"1");  // Finish stored the page there
    EXPECT_EQ(f.ReadSetting(L"Tollerup", L"Capture", L"(absent)"), L"(absent)");
}
