// The fields of the command, media and Windows-exit dialogs: reading a parameter text into
// them, composing it back, and the dialogs' own small decisions.
#include <gtest/gtest.h>

#include <climits>
#include <vector>
#include <string>

#include "actions/command.h"
#include "app/paths.h"
#include "wizard/dialog_position.h"
#include "wizard/parameter_fields.h"

TEST(DialogPosition, MovesOnlyWhenBothKeysHoldAPosition) {
    EXPECT_TRUE(HasStoredPosition(100, 200));
    EXPECT_TRUE(HasStoredPosition(-1920, -5));  // a monitor left of the main one
    EXPECT_FALSE(HasStoredPosition(INT_MIN, 200));
    EXPECT_FALSE(HasStoredPosition(100, INT_MIN));
    EXPECT_FALSE(HasStoredPosition(INT_MIN, INT_MIN));
}

// A stored corner is used only where the dialog's title bar lies on the work areas: two
// monitors side by side (the left one at negative coordinates, each with a task bar at
// its bottom), a dialog 300 wide with a title bar 30 high.
TEST(DialogPosition, UsesAStoredCornerOnlyWithTheTitleBarOnAWorkArea) {
    const std::vector<RECT> areas = {{0, 0, 1920, 1040}, {-1280, 0, 0, 984}};
    auto on = [&](long x, long y) { return TitleBarOnWorkAreas(POINT{x, y}, 300, 30, areas); };
    EXPECT_TRUE(on(100, 200));
    EXPECT_TRUE(on(-1280, 0));     // the left monitor's corner
    EXPECT_TRUE(on(-150, 500));    // across both monitors
    EXPECT_TRUE(on(1620, 1010));   // the bar just above the task bar
    EXPECT_FALSE(on(1620, 1011));  // one pixel of it under the task bar
    EXPECT_FALSE(on(1621, 100));   // one pixel right of the desktop
    EXPECT_FALSE(on(-150, 960));   // over the left monitor's task bar
    EXPECT_FALSE(on(-32000, -32000));
    EXPECT_FALSE(on(2000, 100));  // a monitor that was removed
    EXPECT_FALSE(on(100, -10));
    EXPECT_FALSE(on(INT_MAX - 10, INT_MAX - 10));
    EXPECT_FALSE(TitleBarOnWorkAreas(POINT{100, 200}, 300, 30, std::vector<RECT>()));
}

TEST(CommandBoxWord, PathWithABlankIsQuotedAndStaysOneWordOfARunnableCommand) {
    EXPECT_EQ(CommandWordForPath(L"C:\\Program Files\\App\\app.exe"),
              WideString(L"\"C:\\Program Files\\App\\app.exe\""));
    EXPECT_EQ(CommandWordForPath(L"C:\\Windows\\notepad.exe"), WideString(L"C:\\Windows\\notepad.exe"));
    // Already quoted, or with blanks around it: one pair of quotes, no outer blanks.
    EXPECT_EQ(CommandWordForPath(L"  \"C:\\a b\\x.exe\" "), WideString(L"\"C:\\a b\\x.exe\""));
    EXPECT_EQ(CommandWordForPath(L" C:\\x.exe "), WideString(L"C:\\x.exe"));

    // A dropped program followed by a dropped argument runs as that program with it.
    BoxInsertion first = InsertWordIntoBox(L"", 0, 0, CommandWordForPath(L"C:\\Tools Dir\\run it.exe"));
    BoxInsertion second =
        InsertWordIntoBox(first.text, first.caret, first.caret, CommandWordForPath(L"C:\\My Data\\report 1.txt"));
    CommandLaunch launch = PlanCommand(second.text);
    EXPECT_EQ(launch.program, WideString(L"C:\\Tools Dir\\run it.exe"));
    EXPECT_EQ(launch.arguments, WideString(L"\"C:\\My Data\\report 1.txt\""));
    EXPECT_EQ(launch.directory, WideString(L"C:\\Tools Dir"));
}

TEST(CommandBoxWord, ShortFormIsTakenAsItIsAndAFailedConversionKeepsThePath) {
    EXPECT_EQ(CommandWordForShortPath(L"C:\\PROGRA~1\\App\\app.exe", L"C:\\Program Files\\App\\app.exe"),
              WideString(L"C:\\PROGRA~1\\App\\app.exe"));
    EXPECT_EQ(CommandWordForShortPath(L"", L"C:\\Program Files\\App\\gone.exe"),
              WideString(L"\"C:\\Program Files\\App\\gone.exe\""));
    EXPECT_EQ(CommandWordForShortPath(L"", L"C:\\gone.exe"), WideString(L"C:\\gone.exe"));
    // A short form that still holds a blank stays one word.
    EXPECT_EQ(CommandWordForShortPath(L"C:\\a b\\x.exe", L"C:\\a b\\x.exe"), WideString(L"\"C:\\a b\\x.exe\""));
}

TEST(CommandBoxInsertion, EmptyBoxEndOfTextAndSelection) {
    BoxInsertion empty = InsertWordIntoBox(L"", 0, 0, L"\"C:\\a b\\x.exe\"");
    EXPECT_FALSE(empty.replaceSelection);
    EXPECT_EQ(empty.text, WideString(L"\"C:\\a b\\x.exe\""));
    EXPECT_EQ(empty.caret, 14);

    // The caret at the end of a word: a blank, then the new word.
    BoxInsertion atEnd = InsertWordIntoBox(L"notepad.exe", 11, 11, L"C:\\a.txt");
    EXPECT_FALSE(atEnd.replaceSelection);
    EXPECT_EQ(atEnd.text, WideString(L"notepad.exe C:\\a.txt"));
    EXPECT_EQ(atEnd.caret, 20);

    // The text already ends in a blank: no second blank.
    BoxInsertion afterBlank = InsertWordIntoBox(L"notepad.exe ", 12, 12, L"C:\\a.txt");
    EXPECT_TRUE(afterBlank.replaceSelection);
    EXPECT_EQ(afterBlank.text, WideString(L"notepad.exe C:\\a.txt"));
    EXPECT_EQ(afterBlank.caret, 20);

    // Inside the text: the selection is replaced, no blank is added.
    BoxInsertion inside = InsertWordIntoBox(L"cmd /c X end", 7, 8, L"C:\\a.bat");
    EXPECT_TRUE(inside.replaceSelection);
    EXPECT_EQ(inside.text, WideString(L"cmd /c C:\\a.bat end"));
    EXPECT_EQ(inside.caret, 15);
    BoxInsertion caretInside = InsertWordIntoBox(L"ab", 1, 1, L"X");
    EXPECT_TRUE(caretInside.replaceSelection);
    EXPECT_EQ(caretInside.text, WideString(L"aXb"));
    EXPECT_EQ(caretInside.caret, 2);

    // A selection that runs to the end but starts inside is replaced as well.
    BoxInsertion toEnd = InsertWordIntoBox(L"cmd old", 4, 7, L"new");
    EXPECT_TRUE(toEnd.replaceSelection);
    EXPECT_EQ(toEnd.text, WideString(L"cmd new"));

    // Positions outside the text count as its end.
    BoxInsertion beyond = InsertWordIntoBox(L"a", 9, 12, L"b");
    EXPECT_EQ(beyond.text, WideString(L"a b"));
    EXPECT_EQ(beyond.caret, 3);
}

TEST(CommandBoxPaste, BlankOnlyAtTheEndOfAWord) {
    EXPECT_FALSE(PasteNeedsBlank(L"", 0));
    EXPECT_TRUE(PasteNeedsBlank(L"notepad.exe", 11));
    EXPECT_FALSE(PasteNeedsBlank(L"notepad.exe ", 12));
    EXPECT_FALSE(PasteNeedsBlank(L"notepad.exe", 4));
    EXPECT_FALSE(PasteNeedsBlank(L"notepad.exe", 0));
}

TEST(CommandBrowse, ProgramFilterOnlyForAnEmptyBox) {
    EXPECT_EQ(CommandBrowseFilterIndex(L""), 1);
    EXPECT_EQ(CommandBrowseFilterIndex(L"notepad.exe"), 2);
    EXPECT_EQ(CommandBrowseFilterIndex(L" "), 2);
}

TEST(MediaFields, TextsOpenAndComposeBack) {
    MediaFields empty = ReadMediaFields(L"");
    EXPECT_FALSE(empty.repeat);
    EXPECT_EQ(empty.volumeIndex, 0);
    EXPECT_TRUE(empty.file.IsEmpty());

    // A file alone, quoted or not, comes back unchanged.
    for (const wchar_t* text : {L"C:\\sound\\a.wav", L"\"C:\\my sounds\\a b.wav\"", L"C:\\my sounds\\a b.wav"}) {
        MediaFields fields = ReadMediaFields(text);
        EXPECT_FALSE(fields.repeat);
        EXPECT_EQ(fields.volumeIndex, 0);
        EXPECT_EQ(ComposeMediaFields(fields), WideString(text));
    }

    MediaFields repeat = ReadMediaFields(L"Repeat C:\\a.wav");
    EXPECT_TRUE(repeat.repeat);
    EXPECT_EQ(repeat.file, WideString(L"C:\\a.wav"));
    EXPECT_EQ(ComposeMediaFields(repeat), WideString(L"Repeat C:\\a.wav"));

    // A stored volume between the steps selects the next step up and is written as it.
    struct Case {
        const wchar_t* text;
        int index;
        const wchar_t* written;
    } cases[] = {{L"Vol:35% C:\\a.wav", 4, L"Vol:40% C:\\a.wav"},
                 {L"Vol:95% C:\\a.wav", 10, L"Vol:100% C:\\a.wav"},
                 {L"Vol:100% C:\\a.wav", 10, L"Vol:100% C:\\a.wav"},
                 {L"Vol:5% C:\\a.wav", 1, L"Vol:10% C:\\a.wav"},
                 {L"Repeat Vol:50% C:\\a.wav", 5, L"Repeat Vol:50% C:\\a.wav"},
                 {L"Vol:abc% C:\\a.wav", 0, L"C:\\a.wav"},
                 {L"Vol:0% C:\\a.wav", 0, L"C:\\a.wav"}};
    for (const Case& c : cases) {
        MediaFields fields = ReadMediaFields(c.text);
        EXPECT_EQ(fields.volumeIndex, c.index) << (&c - cases);
        EXPECT_EQ(ComposeMediaFields(fields), WideString(c.written));
    }

    // A file named like a prefix, opened and saved unchanged, stays that file.
    MediaFields named;
    named.file = L"Vol:50% x.wav";
    WideString saved = ComposeMediaFields(named);
    MediaFields reopened = ReadMediaFields(saved);
    EXPECT_FALSE(reopened.repeat);
    EXPECT_EQ(reopened.volumeIndex, 0);
    EXPECT_EQ(Unquote(reopened.file), WideString(L"Vol:50% x.wav"));
    EXPECT_EQ(ComposeMediaFields(reopened), saved);

    // The prefix must begin the text exactly.
    MediaFields later = ReadMediaFields(L"C:\\Repeat Vol:50% a.wav");
    EXPECT_FALSE(later.repeat);
    EXPECT_EQ(later.volumeIndex, 0);
    EXPECT_EQ(later.file, WideString(L"C:\\Repeat Vol:50% a.wav"));
}

TEST(MediaBrowse, FilterFollowsTheExtensionWithoutRegardToCase) {
    EXPECT_EQ(MediaFilterIndexForExtension(L"wav"), 1);
    EXPECT_EQ(MediaFilterIndexForExtension(L"MP3"), 1);
    EXPECT_EQ(MediaFilterIndexForExtension(L"Aif"), 1);
    EXPECT_EQ(MediaFilterIndexForExtension(L"cda"), 1);
    EXPECT_EQ(MediaFilterIndexForExtension(L"MID"), 2);
    EXPECT_EQ(MediaFilterIndexForExtension(L"rmi"), 2);
    EXPECT_EQ(MediaFilterIndexForExtension(L"avi"), 3);
    EXPECT_EQ(MediaFilterIndexForExtension(L"MPG"), 3);
    EXPECT_EQ(MediaFilterIndexForExtension(L"wave"), 4);
    EXPECT_EQ(MediaFilterIndexForExtension(L"mp"), 4);
    EXPECT_EQ(MediaFilterIndexForExtension(L""), 4);
}

TEST(MediaBrowse, StartsOnTheFileOrOnTheMediaFolder) {
    const WideString windows(L"C:\\Windows");
    MediaBrowseStart missing = PlanMediaBrowseStart(L"C:\\gone\\tune.mid", false, windows, 260);
    EXPECT_EQ(missing.file, WideString(L"C:\\Windows\\Media\\*.wav"));
    EXPECT_TRUE(missing.initialFolder.IsEmpty());
    EXPECT_EQ(missing.filterIndex, 1);

    MediaBrowseStart empty = PlanMediaBrowseStart(L"", false, windows, 260);
    EXPECT_EQ(empty.file, WideString(L"C:\\Windows\\Media\\*.wav"));
    EXPECT_EQ(empty.filterIndex, 1);

    MediaBrowseStart midi = PlanMediaBrowseStart(L"C:\\music\\Tune.MID", true, windows, 260);
    EXPECT_EQ(midi.file, WideString(L"C:\\music\\Tune.MID"));
    EXPECT_TRUE(midi.initialFolder.IsEmpty());
    EXPECT_EQ(midi.filterIndex, 2);
    EXPECT_EQ(PlanMediaBrowseStart(L"C:\\v\\clip.avi", true, windows, 260).filterIndex, 3);
    EXPECT_EQ(PlanMediaBrowseStart(L"C:\\v\\notes", true, windows, 260).filterIndex, 4);

    // Windows at a drive root.
    EXPECT_EQ(PlanMediaBrowseStart(L"", false, L"D:\\", 260).file, WideString(L"D:\\Media\\*.wav"));
}

TEST(MediaBrowse, StartThatDoesNotFitTheBufferOpensTheMediaFolderEmpty) {
    const WideString windows(L"C:\\Windows");
    WideString folder(L"C:\\");
    WideString fits = folder + WideString(std::wstring(252, L'a')) + L".mid";
    ASSERT_EQ(fits.Length(), 259);
    MediaBrowseStart kept = PlanMediaBrowseStart(fits, true, windows, 260);
    EXPECT_EQ(kept.file, fits);
    EXPECT_EQ(kept.filterIndex, 2);

    WideString tooLong = fits + L"i";  // 260 characters: no room for the terminating zero
    MediaBrowseStart replaced = PlanMediaBrowseStart(tooLong, true, windows, 260);
    EXPECT_TRUE(replaced.file.IsEmpty());
    EXPECT_EQ(replaced.initialFolder, WideString(L"C:\\Windows\\Media"));
    EXPECT_EQ(replaced.filterIndex, 1);

    // A media folder too long for the pattern is opened the same way.
    WideString deepWindows = WideString(L"C:\\") + WideString(std::wstring(250, L'w'));
    MediaBrowseStart deep = PlanMediaBrowseStart(L"", false, deepWindows, 260);
    EXPECT_TRUE(deep.file.IsEmpty());
    EXPECT_EQ(deep.initialFolder, deepWindows + L"\\Media");
}

TEST(ExitFields, TextsOpenAndComposeBack) {
    ExitFields normal = ReadExitFields(L"通常の終了", true, true);
    EXPECT_EQ(normal.method, ExitMethod::Normal);
    EXPECT_FALSE(normal.force);
    EXPECT_TRUE(normal.forceEnabled);
    EXPECT_EQ(normal.waitSeconds, 0);
    EXPECT_EQ(ComposeExitFields(normal), WideString(L"通常の終了"));
    EXPECT_EQ(ComposeExitFields(ReadExitFields(L"", true, true)), WideString(L"通常の終了"));

    // Force does not apply to hibernation: off, disabled, and not written.
    ExitFields hibernate = ReadExitFields(L"休止状態 強制終了", false, true);
    EXPECT_EQ(hibernate.method, ExitMethod::Hibernate);
    EXPECT_FALSE(hibernate.force);
    EXPECT_FALSE(hibernate.forceEnabled);
    EXPECT_EQ(ComposeExitFields(hibernate), WideString(L"休止状態"));
    ExitFields forcedSleep;
    forcedSleep.method = ExitMethod::Sleep;
    forcedSleep.force = true;
    EXPECT_EQ(ComposeExitFields(forcedSleep), WideString(L"スリープ"));

    ExitFields restart = ReadExitFields(L"再起動 強制終了 待機時間 =30秒", false, false);
    EXPECT_EQ(restart.method, ExitMethod::Restart);
    EXPECT_TRUE(restart.force);
    EXPECT_EQ(restart.waitSeconds, 30);
    EXPECT_EQ(ComposeExitFields(restart), WideString(L"再起動 強制終了 待機時間 =30秒"));

    ExitFields longest;
    longest.waitSeconds = 300;
    EXPECT_EQ(ComposeExitFields(longest), WideString(L"通常の終了 待機時間 =300秒"));
}

TEST(ExitFields, MethodsTheComputerDoesNotAllowOpenAsTheNormalEnd) {
    ExitFields sleep = ReadExitFields(L"スリープ 待機時間 =10秒", false, true);
    EXPECT_EQ(sleep.method, ExitMethod::Normal);
    EXPECT_TRUE(sleep.forceEnabled);
    EXPECT_FALSE(sleep.force);
    EXPECT_EQ(sleep.waitSeconds, 10);
    EXPECT_EQ(ReadExitFields(L"スリープ", true, false).method, ExitMethod::Sleep);
    EXPECT_EQ(ReadExitFields(L"休止状態 強制終了", true, false).method, ExitMethod::Normal);
    // Force returns with the normal end when the text asked for it.
    EXPECT_TRUE(ReadExitFields(L"休止状態 強制終了", true, false).force);

    // The dialog shows what the action would do: of several method words, the one the
    // action takes.
    EXPECT_EQ(ReadExitFields(L"再起動 スリープ", true, true).method, ExitMethod::Sleep);
    EXPECT_EQ(ReadExitFields(L"再起動 通常の終了", true, true).method, ExitMethod::Normal);
}

TEST(ExitFields, WaitingTimeOutsideTheRangeOrNotANumber) {
    EXPECT_EQ(ReadExitFields(L"通常の終了 待機時間 =500秒", true, true).waitSeconds, 300);
    EXPECT_EQ(ReadExitFields(L"通常の終了 待機時間 =abc秒", true, true).waitSeconds, 0);
    EXPECT_EQ(ReadExitFields(L"通常の終了 待機時間 =-5秒", true, true).waitSeconds, 0);
    EXPECT_EQ(ReadExitFields(L"通常の終了 待機時間 =0秒", true, true).waitSeconds, 0);
    EXPECT_EQ(ComposeExitFields(ReadExitFields(L"通常の終了 待機時間 =0秒", true, true)), WideString(L"通常の終了"));

    // Every state of the dialog opens again as it was closed.
    for (int index = 0; index < 4; ++index) {
        for (int force = 0; force < 2; ++force) {
            for (int wait : {0, 1, 299, 300}) {
                ExitFields fields;
                fields.method = ExitMethodAtIndex(index);
                fields.force = force != 0;
                fields.waitSeconds = wait;
                ExitFields again = ReadExitFields(ComposeExitFields(fields), true, true);
                EXPECT_EQ(again.method, fields.method);
                EXPECT_EQ(again.force, fields.force && ForceApplies(fields.method));
                EXPECT_EQ(again.waitSeconds, wait);
            }
        }
    }
}

// The command box takes what the action takes, less the "Icon " prefix; a paste is
// measured with the blank it brings and the selection it replaces.
TEST(CommandFields, PasteIsMeasuredBeforeItGoesIn) {
    EXPECT_EQ(kLongestCommand + 5, kActionTextLimit);
    EXPECT_EQ(LengthAfterPaste(L"", 0, 0, 4), 4);
    EXPECT_EQ(LengthAfterPaste(L"notepad.exe", 11, 11, 4), 16);  // a blank first
    EXPECT_EQ(LengthAfterPaste(L"notepad.exe ", 12, 12, 4), 16);
    EXPECT_EQ(LengthAfterPaste(L"notepad.exe", 0, 7, 2), 6);  // over the selection
    EXPECT_EQ(LengthAfterPaste(L"ab", 5, 9, 1), 4);           // a selection past the end is the end
    EXPECT_EQ(ComposeCommandText(true, std::wstring(kLongestCommand, L'c').c_str()).Length(), kActionTextLimit);
}
