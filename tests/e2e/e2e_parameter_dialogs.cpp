// The three parameter dialogs as the user meets them, opened by the host helper as the
// action page opens them: the command line with its drops, browsing, pasting and short
// names; the media file with repeat and volume; the Windows exit with its method, force
// and waiting time; the position kept per section; and the composed texts performed by
// the program's "*" road.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <powrprof.h>

#include <string>
#include <vector>

#include "driver/dialog_driver.h"
#include "driver/driver.h"
#include "driver/wizard_driver.h"

using namespace e2e;

namespace {
const DWORD kWait = 15000;

const wchar_t kCommandCaption[] = L"DOSコマンドの入力";
const wchar_t kMediaCaption[] = L"音声・動画ファイルの設定";
const wchar_t kExitCaption[] = L"Windows終了の設定";

// Command dialog 9200.
const int kDropHint = 9202;
const int kBox = 9203;
const int kBrowse = 9204;
const int kClear = 9205;
const int kShortNames = 9206;
const int kShortHint = 9207;
const int kPaste = 9209;
const int kMinimize = 9210;
const int kCommandCancel = 9211;
const int kCommandOk = 9212;
// Media dialog 9400.
const int kFileBox = 9401;
const int kMediaBrowse = 9402;
const int kRepeat = 9403;
const int kVolume = 9404;
const int kMediaCancel = 9405;
const int kMediaOk = 9406;
// Windows-exit dialog 9300.
const int kNormal = 9302;
const int kSleep = 9303;
const int kHibernate = 9304;
const int kRestart = 9305;
const int kWaitBox = 9306;
const int kWaitUpDown = 9307;
const int kForce = 9309;
const int kExitCancel = 9311;
const int kExitOk = 9312;

// A host with its dialog open.
struct OpenDialog {
    DialogHost host;
    HWND dialog = nullptr;
    HWND Item(int id) const { return GetDlgItem(dialog, id); }
};

void Open(OpenDialog& open, const TempFolder& folder, const std::wstring& kind, const std::wstring& caption,
          const std::wstring& text, const wchar_t* section = nullptr) {
    ASSERT_TRUE(open.host.Start(folder, kind, text, section));
    open.dialog = open.host.WaitForDialog(caption, kWait);
    ASSERT_NE(open.dialog, nullptr) << "no dialog " << Narrow(caption);
}

void OpenCommand(OpenDialog& open, const TempFolder& folder, const std::wstring& text,
                 const wchar_t* section = nullptr) {
    Open(open, folder, L"command", kCommandCaption, text, section);
}
void OpenMedia(OpenDialog& open, const TempFolder& folder, const std::wstring& text, const wchar_t* section = nullptr) {
    Open(open, folder, L"media", kMediaCaption, text, section);
}
void OpenExit(OpenDialog& open, const TempFolder& folder, const std::wstring& text, const wchar_t* section = nullptr) {
    Open(open, folder, L"exit", kExitCaption, text, section);
}

// Presses a button and expects the dialog to end with that result.
DialogHost::Result Finish(const OpenDialog& open, int button) {
    EXPECT_TRUE(Click(open.Item(button)));
    DialogHost::Result result = open.host.WaitForResult(kWait);
    EXPECT_TRUE(result.ended) << "the dialog did not end";
    return result;
}

// Expects one error box with the text, presses OK, and waits until the dialog takes
// input again.
void ExpectErrorBox(const OpenDialog& open, const std::wstring& text) {
    MessageBoxInfo box = open.host.Process().WaitForMessageBox(kWait);
    ASSERT_TRUE(box) << "no box, expected " << Narrow(text);
    EXPECT_EQ(box.caption, L"Tollerup");
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(GetWindow(box.window, GW_OWNER), open.dialog) << "the box belongs to the dialog";
    ASSERT_TRUE(PressButton(box.window, IDOK));
    ASSERT_TRUE(WaitForEnabled(open.dialog, true, kWait));
}

// The text of a control of the host, which may still be busy with a box or a file
// dialog it has just closed.
std::wstring TextOf(HWND control) {
    return WindowTextTimeout(control, 10000);
}

std::wstring BoxText(const OpenDialog& open) {
    return TextOf(open.Item(kBox));
}

// Drops the files on the command box and waits for the box to change.
void DropAndWait(const OpenDialog& open, const std::vector<std::wstring>& paths) {
    std::wstring before = BoxText(open);
    ASSERT_TRUE(open.host.DropFiles(open.Item(kBox), paths));
    ASSERT_TRUE(WaitUntil([&] { return BoxText(open) != before; }, kWait)) << "the drop changed nothing";
}

void PutCaretAtEnd(const OpenDialog& open) {
    int length = static_cast<int>(BoxText(open).size());
    ASSERT_TRUE(SetEditSelection(open.Item(kBox), length, length));
}

void ClickAndWaitChecked(HWND button, bool checked) {
    ASSERT_TRUE(Click(button));
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(button) == checked; }, kWait));
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

std::wstring ShortPath(const std::wstring& path) {
    wchar_t buffer[1024] = {};
    DWORD got = GetShortPathNameW(path.c_str(), buffer, 1024);
    return got > 0 && got < 1024 ? buffer : L"";
}

bool CopyHelper(const wchar_t* name, const std::wstring& to) {
    return CopyFileW(HelperPath(name).c_str(), to.c_str(), FALSE) != FALSE;
}

std::vector<DWORD> ControlPixels(HWND control) {
    RECT r = {};
    GetWindowRect(control, &r);
    return GrabScreenPixels(r);
}

bool HasPixel(const std::vector<DWORD>& pixels, DWORD colour) {
    for (DWORD p : pixels) {
        if (p == colour) return true;
    }
    return false;
}

// The system's media folder, made when the system has none (a fresh Wine prefix), and
// removed again afterwards when the test made it.
class MediaFolder {
public:
    MediaFolder() {
        wchar_t windows[MAX_PATH] = {};
        GetWindowsDirectoryW(windows, MAX_PATH);
        path_ = std::wstring(windows) + L"\\Media";
        made_ = CreateDirectoryW(path_.c_str(), nullptr) != FALSE;
    }
    ~MediaFolder() {
        if (made_) RemoveDirectoryW(path_.c_str());
    }
    MediaFolder(const MediaFolder&) = delete;
    MediaFolder& operator=(const MediaFolder&) = delete;
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
    bool made_ = false;
};

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    std::wstring x = a, y = b;
    while (!x.empty() && x.back() == L'\\') x.pop_back();
    while (!y.empty() && y.back() == L'\\') y.pop_back();
    return _wcsicmp(x.c_str(), y.c_str()) == 0;
}

}  // namespace

// ---- Command input dialog 9200 ----

TEST(CommandDialog, OpensOnTheMinimizedTextAndGivesItBackUnchanged) {
    TempFolder folder;
    OpenDialog open;
    ASSERT_NO_FATAL_FAILURE(OpenCommand(open, folder, L"Icon notepad.exe"));
    EXPECT_TRUE(IsChecked(open.Item(kMinimize)));
    EXPECT_EQ(BoxText(open), L"notepad.exe");
    EXPECT_EQ(WindowText(open.Item(9201)), L"ＤＯＳコマンドを入力してください");
    // Programs under Wine run elevated, where the shell cannot drop on the box.
    EXPECT_EQ(WindowText(open.Item(kDropHint)), L"下の枠内にファイルのD＆D恐らく不可");
    EXPECT_NE(GetWindowLongW(open.Item(kBox), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    DialogHost::Result result = Finish(open, kCommandOk);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.text, L"Icon notepad.exe");
    // Without a section nothing is stored.
    EXPECT_FALSE(folder.Exists(L"TLR.ini"));
}

TEST(CommandDialog, CancelKeepsTheTextAndClearEmptiesTheBox) {
    TempFolder folder;
    OpenDialog open;
    ASSERT_NO_FATAL_FAILURE(OpenCommand(open, folder, L"cmd /c dir", L"S"));
    EXPECT_FALSE(IsChecked(open.Item(kMinimize)));
    ASSERT_TRUE(Click(open.Item(kClear)));
    ASSERT_TRUE(WaitUntil([&] { return BoxText(open).empty(); }, kWait));
    ClickAndWaitChecked(open.Item(kMinimize), true);
    DialogHost::Result result = Finish(open, kCommandCancel);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.text, L"cmd /c dir");
    EXPECT_EQ(folder.ReadSetting(L"S", L"SetCmdLeft", L"none"), L"none");
}

TEST(CommandDialog, EmptyBoxIsRefusedOnOk) {
    TempFolder folder;
    OpenDialog open;
    ASSERT_NO_FATAL_FAILURE(OpenCommand(open, folder, L""));
    ASSERT_TRUE(Click(open.Item(kCommandOk)));
    ASSERT_NO_FATAL_FAILURE(ExpectErrorBox(open, L"コマンドが入力されていません"));
    ASSERT_TRUE(TypeText(open.Item(kBox), L"cmd /c exit"));
    DialogHost::Result result = Finish(open, kCommandOk);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.text, L"cmd /c exit");
}

TEST(CommandDialog, DroppedFilesBecomeWordsAtTheCaret) {
    TempFolder folder(L"drops");
    const std::wstring app = folder.File(L"App Dir\\app.exe");
    const std::wstring data = folder.File(L"data.txt");
    OpenDialog open;
    ASSERT_NO_FATAL_FAILURE(OpenCommand(open, folder, L""));

    // Onto the empty box: the path, quoted for its blanks.
    ASSERT_NO_FATAL_FAILURE(DropAndWait(open, {app}));
    EXPECT_EQ(BoxText(open), Quoted(app));
    int start = -1, end = -1;
    EditSelection(open.Item(kBox), &start, &end);
    EXPECT_EQ(start, static_cast<int>(Quoted(app).size()));
    EXPECT_EQ(end, start);

    // With the caret at the end: a blank, then the second path.
    ASSERT_NO_FATAL_FAILURE(DropAndWait(open, {data}));
    EXPECT_EQ(BoxText(open), Quoted(app) + L" " + data);

    // A selection inside the text is replaced, without a blank; of several files only
    // the first is taken.
    int first = static_cast<int>(Quoted(app).size()) + 1;
    ASSERT_TRUE(SetEditSelection(open.Item(kBox), first, first + static_cast<int>(data.size())));
    ASSERT_NO_FATAL_FAILURE(DropAndWait(open, {folder.File(L"second.txt"), folder.File(L"third.txt")}));
    EXPECT_EQ(BoxText(open), Quoted(app) + L" " + folder.File(L"second.txt"));

    // The caret inside the first word: the path goes there.
    ASSERT_TRUE(SetEditSelection(open.Item(kBox), 0, 0));
    ASSERT_NO_FATAL_FAILURE(DropAndWait(open, {L"C:\\x.exe"}));
    EXPECT_EQ(BoxText(open), L"C:\\x.exe" + Quoted(app) + L" " + folder.File(L"second.txt"));
    Finish(open, kCommandCancel);
}

// A drop or a paste that would take the command past what the action takes is refused
// with a box and leaves the box as it was; one that fits still goes in.
TEST(CommandDialog, NoWayInPassesTheLongestCommand) {
    TempFolder folder(L"long");
    std::wstring start = L"cmd /c " + std::wstring(499, L'a');
    OpenDialog open;
    ASSERT_NO_FATAL_FAILURE(OpenCommand(open, folder, start));
    ASSERT_EQ(BoxText(open), start);

    PutCaretAtEnd(open);
    ASSERT_TRUE(open.host.DropFiles(open.Item(kBox), {folder.File(L"long enough to pass.txt")}));
    ASSERT_NO_FATAL_FAILURE(ExpectErrorBox(open, L"動作のパラメータが長すぎます"));
    EXPECT_EQ(BoxText(open), start);

    ASSERT_TRUE(SetClipboardText(L"/and-a-switch-too-many"));
    PutCaretAtEnd(open);
    ASSERT_TRUE(Click(open.Item(kPaste)));
    ASSERT_NO_FATAL_FAILURE(ExpectErrorBox(open, L"動作のパラメータが長すぎます"));
    EXPECT_EQ(BoxText(open), start);

    // Up to the limit is fine: 506 characters, a blank and seven more make 514.
    PutCaretAtEnd(open);
    ASSERT_NO_FATAL_FAILURE(DropAndWait(open, {L"C:\\x.ex"}));
    EXPECT_EQ(BoxText(open), start + L" C:\\x.ex");
    // With the "Icon " prefix the text is as long as the action takes, and no longer.
    ASSERT_NO_FATAL_FAILURE(ClickAndWaitChecked(open.Item(kMinimize), true));
    DialogHost::Result result = Finish(open, kCommandOk);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.text, L"Icon " + start + L" C:\\x.ex");
}

// A text written longer by hand opens whole, and is not taken back until it fits.
TEST(CommandDialog, ATextTooLongByHandIsNotTakenBack) {
    TempFolder folder(L"long");
    std::wstring text = L"cmd /c " + std::wstring(520, L'a');
    OpenDialog open;
    ASSERT_NO_FATAL_FAILURE(OpenCommand(open, folder, text));
    EXPECT_EQ(BoxText(open), text);
    ASSERT_TRUE(Click(open.Item(kCommandOk)));
    ASSERT_NO_FATAL_FAILURE(ExpectErrorBox(open, L"動作のパラメータが長すぎます"));
    DialogHost::Result result = Finish(open, kCommandCancel);
    EXPECT_FALSE(result.ok);
}

TEST(CommandDialog, ShortNamesWhenCheckedAndThePathWhenThereIsNone) {
    TempFolder folder(L"long folder name");
    const std::wstring file = folder.File(L"a long file name.txt");
    ASSERT_TRUE(folder.WriteBytes(L"a long file name.txt", "x"));
    const std::wstring shortForm = ShortPath(file);
    ASSERT_FALSE(shortForm.empty());
    ASSERT_EQ(shortForm.find(L' '), std::wstring::npos) << Narrow(shortForm);

    OpenDialog open;
    ASSERT_NO_FATAL_FAILURE(OpenCommand(open, folder, L""));
    ClickAndWaitChecked(open.Item(kShortNames), true);
    ASSERT_NO_FATAL_FAILURE(DropAndWait(open, {file}));
    EXPECT_EQ(BoxText(open), shortForm);

    // A file that is not there has no short form: its path is kept, quoted.
    const std::wstring missing = folder.File(L"not here.txt");
    ASSERT_NO_FATAL_FAILURE(DropAndWait(open, {missing}));
    EXPECT_EQ(BoxText(open), shortForm + L" " + Quoted(missing));
    Finish(open, kCommandCancel);
}

TEST(CommandDialog, PasteAddsABlankOnlyAfterAWordAtTheEnd) {
    TempFolder folder;
    ASSERT_TRUE(SetClipboardText(L"-x 1"));
    struct Case {
        const wchar_t* box;
        int caret;  // -1: at the end
        const wchar_t* after;
    } cases[] = {{L"", -1, L"-x 1"},
                 {L"notepad.exe", -1, L"notepad.exe -x 1"},
                 {L"notepad.exe ", -1, L"notepad.exe -x 1"},
                 {L"notepad.exe", 0, L"-x 1notepad.exe"}};
    OpenDialog open;
    ASSERT_NO_FATAL_FAILURE(OpenCommand(open, folder, L""));
    for (const Case& c : cases) {
        ASSERT_TRUE(TypeText(open.Item(kBox), c.box));
        if (c.caret < 0)
            PutCaretAtEnd(open);
        else
            ASSERT_TRUE(SetEditSelection(open.Item(kBox), c.caret, c.caret));
        ASSERT_TRUE(Click(open.Item(kPaste)));
        EXPECT_TRUE(WaitUntil([&] { return BoxText(open) == c.after; }, kWait))
            << "pasting into \"" << Narrow(c.box) << "\" gave \"" << Narrow(BoxText(open)) << "\"";
    }
    Finish(open, kCommandCancel);
}

TEST(CommandDialog, BrowseUsesTheProgramFilterForAnEmptyBoxAndAddsTheChosenFile) {
    TempFolder folder(L"browse here");
    const std::wstring program = folder.File(L"tool.exe");
    ASSERT_TRUE(CopyHelper(L"show_command", program));
    OpenDialog open;
    ASSERT_NO_FATAL_FAILURE(OpenCommand(open, folder, L""));

    ASSERT_TRUE(Click(open.Item(kBrowse)));
    HWND files = WaitForFileDialog(open.host.Process(), L"ファイル名の指定", kWait);
    ASSERT_NE(files, nullptr) << "no file dialog";
    EXPECT_EQ(GetWindow(files, GW_OWNER), open.dialog);
    EXPECT_EQ(FileDialogFilterIndex(files), 1);
    EXPECT_EQ(FileDialogFilterText(files), L"プログラム(*.exe;*.pif;*.com;*.bat,*.lnk)");
    ASSERT_TRUE(ChooseFileInDialog(files, program));
    ASSERT_TRUE(WaitUntil([&] { return BoxText(open) == Quoted(program); }, kWait)) << Narrow(BoxText(open));

    // With text in the box, every file is offered; a cancelled choice adds nothing and
    // leaves the selection as it was.
    ASSERT_TRUE(SetEditSelection(open.Item(kBox), 1, 3));
    ASSERT_TRUE(Click(open.Item(kBrowse)));
    files = WaitForFileDialog(open.host.Process(), L"ファイル名の指定", kWait);
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(FileDialogFilterIndex(files), 2);
    EXPECT_EQ(FileDialogFilterText(files), L"すべてのファイル(*.*)");
    ASSERT_TRUE(PressButton(files, IDCANCEL));
    ASSERT_TRUE(WaitForEnabled(open.dialog, true, kWait));
    EXPECT_EQ(BoxText(open), Quoted(program));
    int start = -1, end = -1;
    EditSelection(open.Item(kBox), &start, &end);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, 3);
    Finish(open, kCommandCancel);
}

TEST(CommandDialog, HintsAreDrawnBlueAndDarkGreenOnTheDialogFace) {
    TempFolder folder;
    OpenDialog open;
    ASSERT_NO_FATAL_FAILURE(OpenCommand(open, folder, L""));
    SetWindowPos(open.dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    DWORD face = Rgb(GetSysColor(COLOR_BTNFACE));
    EXPECT_TRUE(WaitUntil([&] { return HasPixel(ControlPixels(open.Item(kDropHint)), 0x0000FF); }, kWait))
        << "no blue text in the drop hint";
    EXPECT_TRUE(HasPixel(ControlPixels(open.Item(kDropHint)), face));
    EXPECT_TRUE(HasPixel(ControlPixels(open.Item(kShortHint)), 0x008000)) << "no dark green text";
    EXPECT_FALSE(HasPixel(ControlPixels(open.Item(kShortHint)), 0x0000FF));
    Finish(open, kCommandCancel);
}

TEST(CommandDialog, ComposedCommandRunsThroughTheStarRoad) {
    TempFolder folder(L"command files");
    const std::wstring program = folder.File(L"show command.exe");
    const std::wstring report = folder.File(L"report 1.txt");
    ASSERT_TRUE(CopyHelper(L"show_command", program));
    OpenDialog open;
    ASSERT_NO_FATAL_FAILURE(OpenCommand(open, folder, L"", L"run"));
    ASSERT_NO_FATAL_FAILURE(DropAndWait(open, {program}));
    ASSERT_NO_FATAL_FAILURE(DropAndWait(open, {report}));
    ClickAndWaitChecked(open.Item(kMinimize), true);
    DialogHost::Result result = Finish(open, kCommandOk);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.text, L"Icon " + Quoted(program) + L" " + Quoted(report));

    Program tlr;
    ASSERT_TRUE(tlr.Start(ProgramPath(), L"*run", folder.Path()));
    ASSERT_TRUE(WaitUntil([&] { return folder.Exists(L"report 1.txt"); }, kWait)) << "the command did not run";
    std::wstring written = Widen(folder.ReadBytes(L"report 1.txt"));
    EXPECT_NE(written.find(L"show=6\r\n"), std::wstring::npos) << Narrow(written);  // SW_MINIMIZE
    EXPECT_NE(written.find(L"args=" + Quoted(report) + L"\r\n"), std::wstring::npos) << Narrow(written);
    DWORD code = 99;
    EXPECT_TRUE(tlr.WaitExit(kWait, &code));
    EXPECT_EQ(code, 0u);
}

// ---- Position kept per section, the same for the three dialogs ----

struct PositionCase {
    const wchar_t* kind;
    const wchar_t* caption;
    const wchar_t* text;
    int ok;
    int cancel;
    const wchar_t* leftKey;
    const wchar_t* topKey;
};

class DialogPosition : public ::testing::TestWithParam<PositionCase> {};

TEST_P(DialogPosition, StoredOnOkUsedNextTimeAndIgnoredWithOneKeyOrOffTheScreen) {
    const PositionCase& c = GetParam();
    TempFolder folder;
    RECT home = {};
    {
        OpenDialog open;
        ASSERT_NO_FATAL_FAILURE(Open(open, folder, c.kind, c.caption, c.text, L"S"));
        GetWindowRect(open.dialog, &home);
        ASSERT_TRUE(SetWindowPos(open.dialog, nullptr, home.left + 137, home.top + 91, 0, 0,
                                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
        ASSERT_TRUE(WaitUntil(
            [&] {
                RECT r = {};
                GetWindowRect(open.dialog, &r);
                return r.left == home.left + 137;
            },
            kWait));
        ASSERT_TRUE(Finish(open, c.ok).ok);
    }
    EXPECT_EQ(folder.ReadSetting(L"S", c.leftKey), std::to_wstring(home.left + 137));
    EXPECT_EQ(folder.ReadSetting(L"S", c.topKey), std::to_wstring(home.top + 91));
    {
        // Next time it opens there; moved and cancelled, it keeps the stored place.
        OpenDialog open;
        ASSERT_NO_FATAL_FAILURE(Open(open, folder, c.kind, c.caption, c.text, L"S"));
        RECT r = {};
        GetWindowRect(open.dialog, &r);
        EXPECT_EQ(r.left, home.left + 137);
        EXPECT_EQ(r.top, home.top + 91);
        SetWindowPos(open.dialog, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        DialogHost::Result cancelled = Finish(open, c.cancel);
        EXPECT_FALSE(cancelled.ok);
        EXPECT_EQ(cancelled.text, c.text) << "cancel changed the text";
    }
    EXPECT_EQ(folder.ReadSetting(L"S", c.leftKey), std::to_wstring(home.left + 137));
    {
        // Another section has no position.
        OpenDialog open;
        ASSERT_NO_FATAL_FAILURE(Open(open, folder, c.kind, c.caption, c.text, L"other"));
        RECT r = {};
        GetWindowRect(open.dialog, &r);
        EXPECT_EQ(r.left, home.left);
        EXPECT_EQ(r.top, home.top);
        Finish(open, c.cancel);
    }
    {
        // A corner off every screen (where Windows parks a minimised window) is not used.
        folder.WriteSetting(L"far", c.leftKey, -32000);
        folder.WriteSetting(L"far", c.topKey, -32000);
        OpenDialog open;
        ASSERT_NO_FATAL_FAILURE(Open(open, folder, c.kind, c.caption, c.text, L"far"));
        RECT r = {};
        GetWindowRect(open.dialog, &r);
        EXPECT_EQ(r.left, home.left) << "opened off the screen";
        EXPECT_EQ(r.top, home.top);
        Finish(open, c.cancel);
    }
    WritePrivateProfileStringW(L"S", c.topKey, nullptr, folder.IniPath().c_str());
    {
        OpenDialog open;
        ASSERT_NO_FATAL_FAILURE(Open(open, folder, c.kind, c.caption, c.text, L"S"));
        RECT r = {};
        GetWindowRect(open.dialog, &r);
        EXPECT_EQ(r.left, home.left) << "a position with one key was used";
        EXPECT_EQ(r.top, home.top);
        Finish(open, c.cancel);
    }
}

INSTANTIATE_TEST_SUITE_P(AllDialogs, DialogPosition,
                         ::testing::Values(PositionCase{L"command", kCommandCaption, L"notepad.exe", kCommandOk,
                                                        kCommandCancel, L"SetCmdLeft", L"SetCmdTop"},
                                           PositionCase{L"media", kMediaCaption, L"C:\\a.wav", kMediaOk, kMediaCancel,
                                                        L"SetPlayLeft", L"SetPlayTop"},
                                           PositionCase{L"exit", kExitCaption, L"通常の終了", kExitOk, kExitCancel,
                                                        L"SetWinEndLeft", L"SetWinEndTop"}),
                         [](const ::testing::TestParamInfo<PositionCase>& info) { return Narrow(info.param.kind); });

// ---- Media file dialog 9400 ----

TEST(MediaDialog, EmptyTextIsRefusedUntilAFileIsBrowsedOnTheMediaFolder) {
    MediaFolder media;
    TempFolder folder(L"media files");
    const std::wstring wave = folder.File(L"one tone.wav");
    ASSERT_TRUE(folder.WriteBytes(L"one tone.wav", MakeWave(500)));
    OpenDialog open;
    ASSERT_NO_FATAL_FAILURE(OpenMedia(open, folder, L""));
    EXPECT_EQ(TextOf(open.Item(kFileBox)), L"");
    EXPECT_NE(GetWindowLongW(open.Item(kFileBox), GWL_STYLE) & ES_READONLY, 0);
    EXPECT_FALSE(IsChecked(open.Item(kRepeat)));
    const std::vector<std::wstring> entries = {L"変更無",    L"最大の10%", L"最大の20%", L"最大の30%",
                                               L"最大の40%", L"最大の50%", L"最大の60%", L"最大の70%",
                                               L"最大の80%", L"最大の90%", L"最大"};
    EXPECT_EQ(ComboItems(open.Item(kVolume)), entries);
    EXPECT_EQ(ComboSelection(open.Item(kVolume)), 0);

    ASSERT_TRUE(Click(open.Item(kMediaOk)));
    ASSERT_NO_FATAL_FAILURE(ExpectErrorBox(open, L"ファイル名が入っていません"));

    ASSERT_TRUE(Click(open.Item(kMediaBrowse)));
    HWND files = WaitForFileDialog(open.host.Process(), L"音声・動画ファイルの指定", kWait);
    ASSERT_NE(files, nullptr) << "no file dialog";
    EXPECT_TRUE(SameFolder(FileDialogFolder(open.host.Process(), files), media.Path()))
        << Narrow(FileDialogFolder(open.host.Process(), files));
    EXPECT_EQ(FileDialogFilterIndex(files), 1);
    EXPECT_EQ(FileDialogFilterText(files), L"サウンド(*.wav,*.mp3,*.aif,*.cda)");
    ASSERT_TRUE(ChooseFileInDialog(files, wave));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(open.Item(kFileBox)) == wave; }, kWait));
    DialogHost::Result result = Finish(open, kMediaOk);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.text, wave);
}

TEST(MediaDialog, TextsOpenWithTheirFieldsAndComposeBack) {
    TempFolder folder;
    const std::wstring file = L"C:\\sounds\\a b.wav";
    struct Case {
        std::wstring text;
        std::wstring box;
        bool repeat;
        int volume;
        std::wstring written;
    } cases[] = {{file, file, false, 0, file},
                 {L"Repeat " + file, file, true, 0, L"Repeat " + file},
                 {L"Vol:35% " + file, file, false, 4, L"Vol:40% " + file},
                 {L"Repeat Vol:95% " + file, file, true, 10, L"Repeat Vol:100% " + file}};
    for (const Case& c : cases) {
        OpenDialog open;
        ASSERT_NO_FATAL_FAILURE(OpenMedia(open, folder, c.text));
        EXPECT_EQ(TextOf(open.Item(kFileBox)), c.box) << Narrow(c.text);
        EXPECT_EQ(IsChecked(open.Item(kRepeat)), c.repeat) << Narrow(c.text);
        EXPECT_EQ(ComboSelection(open.Item(kVolume)), c.volume) << Narrow(c.text);
        DialogHost::Result result = Finish(open, kMediaOk);
        EXPECT_TRUE(result.ok);
        EXPECT_EQ(result.text, c.written);
    }
}

TEST(MediaDialog, ChosenRepeatAndVolumeAreWrittenAndCancelKeepsTheText) {
    TempFolder folder;
    {
        OpenDialog open;
        ASSERT_NO_FATAL_FAILURE(OpenMedia(open, folder, L"C:\\a.wav"));
        ClickAndWaitChecked(open.Item(kRepeat), true);
        ASSERT_TRUE(ChooseComboItem(open.Item(kVolume), 3));
        DialogHost::Result result = Finish(open, kMediaOk);
        EXPECT_EQ(result.text, L"Repeat Vol:30% C:\\a.wav");
    }
    {
        OpenDialog open;
        ASSERT_NO_FATAL_FAILURE(OpenMedia(open, folder, L"Vol:20% C:\\a.wav"));
        ASSERT_TRUE(ChooseComboItem(open.Item(kVolume), 0));
        DialogHost::Result cancelled = Finish(open, kMediaCancel);
        EXPECT_FALSE(cancelled.ok);
        EXPECT_EQ(cancelled.text, L"Vol:20% C:\\a.wav");
    }
}

TEST(MediaDialog, BrowseStartsOnAnExistingFileWithTheFilterOfItsExtension) {
    MediaFolder media;
    TempFolder folder(L"midi files");
    ASSERT_TRUE(folder.WriteBytes(L"Tune.MID", "MThd"));
    struct Case {
        std::wstring text;
        std::wstring folder;
        int filter;
    } cases[] = {{L"Repeat Vol:50% " + Quoted(folder.File(L"Tune.MID")), folder.Path(), 2},
                 {folder.File(L"gone.mid"), media.Path(), 1}};
    for (const Case& c : cases) {
        OpenDialog open;
        ASSERT_NO_FATAL_FAILURE(OpenMedia(open, folder, c.text));
        ASSERT_TRUE(Click(open.Item(kMediaBrowse)));
        HWND files = WaitForFileDialog(open.host.Process(), L"音声・動画ファイルの指定", kWait);
        ASSERT_NE(files, nullptr) << Narrow(c.text);
        EXPECT_TRUE(SameFolder(FileDialogFolder(open.host.Process(), files), c.folder))
            << Narrow(c.text) << " opened in " << Narrow(FileDialogFolder(open.host.Process(), files));
        EXPECT_EQ(FileDialogFilterIndex(files), c.filter) << Narrow(c.text);
        ASSERT_TRUE(PressButton(files, IDCANCEL));
        ASSERT_TRUE(WaitForEnabled(open.dialog, true, kWait));
        // A cancelled choice leaves the file as it was.
        DialogHost::Result result = Finish(open, kMediaOk);
        EXPECT_EQ(result.text, c.text);
    }
}

TEST(MediaDialog, ComposedTextPlaysThroughTheMediaAction) {
    TempFolder folder(L"media files");
    const std::wstring wave = folder.File(L"short tone.wav");
    ASSERT_TRUE(folder.WriteBytes(L"short tone.wav", MakeWave(600)));
    OpenDialog open;
    ASSERT_NO_FATAL_FAILURE(OpenMedia(open, folder, L"", L"play"));
    ASSERT_TRUE(Click(open.Item(kMediaBrowse)));
    HWND files = WaitForFileDialog(open.host.Process(), L"音声・動画ファイルの指定", kWait);
    ASSERT_NE(files, nullptr);
    ASSERT_TRUE(ChooseFileInDialog(files, wave));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(open.Item(kFileBox)) == wave; }, kWait));
    ASSERT_TRUE(ChooseComboItem(open.Item(kVolume), 5));
    DialogHost::Result result = Finish(open, kMediaOk);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.text, L"Vol:50% " + wave);
    EXPECT_EQ(folder.ReadSetting(L"play", L"Act"), L"0");

    Program tlr;
    ASSERT_TRUE(tlr.Start(ProgramPath(), L"*play", folder.Path()));
    HWND player = tlr.WaitForWindow([](HWND w) { return ClassName(w) == L"MCIWndClass"; }, kWait);
    ASSERT_NE(player, nullptr) << "nothing played";
    EXPECT_NE(WindowText(player).find(L"short tone"), std::wstring::npos) << Narrow(WindowText(player));
    EXPECT_FALSE(tlr.WaitForMessageBox(0)) << "unexpected box";
    DWORD code = 99;
    EXPECT_TRUE(tlr.WaitExit(kWait, &code)) << "the playback did not end";
    EXPECT_EQ(code, 0u);
}

// ---- Windows-exit dialog 9300 ----

namespace {
bool SleepAllowed() {
    return IsPwrSuspendAllowed() != FALSE;
}
bool HibernateAllowed() {
    return IsPwrHibernateAllowed() != FALSE;
}
int WaitPosition(HWND upDown) {
    return LOWORD(SendMessageW(upDown, UDM_GETPOS, 0, 0));
}
}  // namespace

TEST(ExitDialog, DefaultTextOpensAsTheNormalEndAndComesBackUnchanged) {
    TempFolder folder;
    OpenDialog open;
    ASSERT_NO_FATAL_FAILURE(OpenExit(open, folder, L"通常の終了"));
    EXPECT_TRUE(IsChecked(open.Item(kNormal)));
    EXPECT_FALSE(IsChecked(open.Item(kForce)));
    EXPECT_TRUE(IsEnabled(open.Item(kForce)));
    EXPECT_EQ(TextOf(open.Item(kWaitBox)), L"0");
    // Sleep and hibernation are offered as the computer allows them.
    EXPECT_EQ(IsWindowEnabled(open.Item(kSleep)) != FALSE, SleepAllowed());
    EXPECT_EQ(IsWindowEnabled(open.Item(kHibernate)) != FALSE, HibernateAllowed());
    DialogHost::Result result = Finish(open, kExitOk);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.text, L"通常の終了");
}

TEST(ExitDialog, ForceGoesWithTheNormalEndAndTheRestartOnly) {
    TempFolder folder;
    {
        // Force with hibernation opens without force, which cannot be chosen there.
        OpenDialog open;
        ASSERT_NO_FATAL_FAILURE(OpenExit(open, folder, L"休止状態 強制終了"));
        if (HibernateAllowed()) {
            EXPECT_TRUE(IsChecked(open.Item(kHibernate)));
            EXPECT_FALSE(IsChecked(open.Item(kForce)));
            EXPECT_FALSE(IsWindowEnabled(open.Item(kForce)));
            EXPECT_EQ(Finish(open, kExitOk).text, L"休止状態");
        } else {
            EXPECT_TRUE(IsChecked(open.Item(kNormal)));
            EXPECT_EQ(Finish(open, kExitOk).text, L"通常の終了 強制終了");
        }
    }
    {
        // A computer that cannot sleep opens a sleep text as the normal end.
        OpenDialog open;
        ASSERT_NO_FATAL_FAILURE(OpenExit(open, folder, L"スリープ 待機時間 =20秒"));
        EXPECT_EQ(IsChecked(open.Item(kSleep)), SleepAllowed());
        EXPECT_EQ(IsChecked(open.Item(kNormal)), !SleepAllowed());
        EXPECT_EQ(WaitPosition(open.Item(kWaitUpDown)), 20);
        EXPECT_EQ(TextOf(open.Item(kWaitBox)), L"20");
        Finish(open, kExitCancel);
    }
    {
        // Restart with force; a method without force clears it; back to restart it can
        // be chosen again but stays off.
        OpenDialog open;
        ASSERT_NO_FATAL_FAILURE(OpenExit(open, folder, L"再起動 強制終了"));
        EXPECT_TRUE(IsChecked(open.Item(kRestart)));
        EXPECT_TRUE(IsChecked(open.Item(kForce)));
        int without = HibernateAllowed() ? kHibernate : (SleepAllowed() ? kSleep : 0);
        if (without == 0) GTEST_SKIP() << "this computer neither sleeps nor hibernates";
        ClickAndWaitChecked(open.Item(without), true);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(open.Item(kForce)); }, kWait));
        EXPECT_FALSE(IsChecked(open.Item(kForce)));
        ClickAndWaitChecked(open.Item(kRestart), true);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(open.Item(kForce)) != FALSE; }, kWait));
        EXPECT_FALSE(IsChecked(open.Item(kForce)));
        EXPECT_EQ(Finish(open, kExitOk).text, L"再起動");
    }
}

TEST(ExitDialog, WaitingTimeIsCheckedOnOk) {
    TempFolder folder;
    OpenDialog open;
    ASSERT_NO_FATAL_FAILURE(OpenExit(open, folder, L"再起動 待機時間 =30秒"));
    EXPECT_EQ(TextOf(open.Item(kWaitBox)), L"30");
    ASSERT_TRUE(TypeText(open.Item(kWaitBox), L"500"));
    ASSERT_TRUE(Click(open.Item(kExitOk)));
    ASSERT_NO_FATAL_FAILURE(ExpectErrorBox(open, L"正しい待機時間を入力して下さい"));
    EXPECT_EQ(TextOf(open.Item(kWaitBox)), L"300");
    DialogHost::Result result = Finish(open, kExitOk);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.text, L"再起動 待機時間 =300秒");

    // 0 and an empty box write no waiting time.
    for (const wchar_t* typed : {L"0", L""}) {
        OpenDialog again;
        ASSERT_NO_FATAL_FAILURE(OpenExit(again, folder, L"再起動 待機時間 =30秒"));
        ASSERT_TRUE(TypeText(again.Item(kWaitBox), typed));
        DialogHost::Result written = Finish(again, kExitOk);
        EXPECT_EQ(written.text, L"再起動") << "typed \"" << Narrow(typed) << "\"";
    }
}

TEST(ExitDialog, ComposedTextGivesTheCountdownOfItsLength) {
    // Only a method that Wine does not carry out may reach the end of the countdown
    // here; the countdown is cancelled in any case.
    if (!HibernateAllowed()) GTEST_SKIP() << "this computer does not hibernate";
    TempFolder folder;
    OpenDialog open;
    ASSERT_NO_FATAL_FAILURE(OpenExit(open, folder, L"", L"exit"));
    ClickAndWaitChecked(open.Item(kHibernate), true);
    ASSERT_TRUE(TypeText(open.Item(kWaitBox), L"7"));
    DialogHost::Result result = Finish(open, kExitOk);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.text, L"休止状態 待機時間 =7秒");
    EXPECT_EQ(folder.ReadSetting(L"exit", L"Act"), L"2");

    Program tlr;
    ASSERT_TRUE(tlr.Start(ProgramPath(), L"*exit", folder.Path()));
    HWND countdown = tlr.WaitForWindowTitled(L"休止状態 までの時間", kWait);
    ASSERT_NE(countdown, nullptr) << "no countdown";
    EXPECT_EQ(WindowText(ChildById(countdown, 9501)), L"7秒");
    EXPECT_EQ(static_cast<int>(SendMessageW(ChildById(countdown, 9502), PBM_GETRANGE, FALSE, 0)), 7);
    ASSERT_TRUE(PressButton(countdown, 9504));
    DWORD code = 99;
    EXPECT_TRUE(tlr.WaitExit(kWait, &code));
    EXPECT_EQ(code, 0u);
}
