// The three parameter texts: reading back what the dialogs write, and the texts they
// never write.
#include <gtest/gtest.h>

#include "actions/action_text.h"
#include "app/paths.h"

TEST(CommandText, IconPrefixOnlyExactlyAtTheStart) {
    CommandText minimized = ParseCommandText(L"Icon \"C:\\a b\\x.exe\" -q");
    EXPECT_TRUE(minimized.minimize);
    EXPECT_EQ(minimized.command, WideString(L"\"C:\\a b\\x.exe\" -q"));

    CommandText lower = ParseCommandText(L"icon notepad.exe");
    EXPECT_FALSE(lower.minimize);
    EXPECT_EQ(lower.command, WideString(L"icon notepad.exe"));

    CommandText noBlank = ParseCommandText(L"Iconnotepad.exe");
    EXPECT_FALSE(noBlank.minimize);
    EXPECT_EQ(noBlank.command, WideString(L"Iconnotepad.exe"));

    CommandText later = ParseCommandText(L" Icon notepad.exe");
    EXPECT_FALSE(later.minimize);

    CommandText onlyFlag = ParseCommandText(L"Icon ");
    EXPECT_TRUE(onlyFlag.minimize);
    EXPECT_TRUE(onlyFlag.command.IsEmpty());

    EXPECT_EQ(ComposeCommandText(true, L"cmd /c dir"), WideString(L"Icon cmd /c dir"));
    EXPECT_EQ(ComposeCommandText(false, L"cmd /c dir"), WideString(L"cmd /c dir"));
}

TEST(CommandText, AProgramNamedIconReadsBackAsComposed) {
    // Without the minimize flag a command "Icon x" is the program "Icon" with an argument.
    WideString text = ComposeCommandText(false, L"Icon /x a.txt");
    EXPECT_EQ(text, WideString(L"\"Icon\" /x a.txt"));
    CommandText parsed = ParseCommandText(text);
    EXPECT_FALSE(parsed.minimize);
    CommandLineParts parts = SplitCommandLineText(parsed.command);
    EXPECT_EQ(parts.program, WideString(L"Icon"));
    EXPECT_EQ(parts.arguments, WideString(L"/x a.txt"));

    CommandText minimized = ParseCommandText(ComposeCommandText(true, L"Icon /x"));
    EXPECT_TRUE(minimized.minimize);
    EXPECT_EQ(minimized.command, WideString(L"Icon /x"));
    // Texts of earlier versions read as they always did.
    EXPECT_TRUE(ParseCommandText(L"Icon /x").minimize);
}

TEST(MediaText, RepeatAndVolumePieces) {
    MediaText full = ParseMediaText(L"Repeat Vol:50% C:\\sound\\a b.wav");
    EXPECT_TRUE(full.valid);
    EXPECT_TRUE(full.repeat);
    EXPECT_EQ(full.volume, 50);
    EXPECT_EQ(full.file, WideString(L"C:\\sound\\a b.wav"));

    MediaText volumeOnly = ParseMediaText(L"Vol:10% \"C:\\x y\\z.mp3\"");
    EXPECT_FALSE(volumeOnly.repeat);
    EXPECT_EQ(volumeOnly.volume, 10);
    EXPECT_EQ(volumeOnly.file, WideString(L"\"C:\\x y\\z.mp3\""));

    MediaText plain = ParseMediaText(L"C:\\a.wav");
    EXPECT_FALSE(plain.repeat);
    EXPECT_EQ(plain.volume, 0);
    EXPECT_EQ(plain.file, WideString(L"C:\\a.wav"));
}

TEST(MediaText, PrefixesThatAreNotPiecesBelongToTheFileName) {
    MediaText inside = ParseMediaText(L"C:\\Vol:1% x.wav");
    EXPECT_EQ(inside.volume, 0);
    EXPECT_EQ(inside.file, WideString(L"C:\\Vol:1% x.wav"));

    MediaText noBlank = ParseMediaText(L"RepeatC:\\a.wav");
    EXPECT_FALSE(noBlank.repeat);
    EXPECT_EQ(noBlank.file, WideString(L"RepeatC:\\a.wav"));

    MediaText lower = ParseMediaText(L"repeat vol:50% a.wav");
    EXPECT_FALSE(lower.repeat);
    EXPECT_EQ(lower.volume, 0);
    EXPECT_EQ(lower.file, WideString(L"repeat vol:50% a.wav"));

    // "Vol:" after "Repeat " is a piece; "Repeat " after "Vol:" is part of the file.
    MediaText order = ParseMediaText(L"Vol:20% Repeat a.wav");
    EXPECT_FALSE(order.repeat);
    EXPECT_EQ(order.volume, 20);
    EXPECT_EQ(order.file, WideString(L"Repeat a.wav"));
}

TEST(MediaText, BadVolumePieces) {
    MediaText notNumber = ParseMediaText(L"Vol:abc% a.wav");
    EXPECT_TRUE(notNumber.valid);
    EXPECT_EQ(notNumber.volume, 0);
    EXPECT_EQ(notNumber.file, WideString(L"a.wav"));

    MediaText signedNumber = ParseMediaText(L"Vol:-50% a.wav");
    EXPECT_EQ(signedNumber.volume, 0);

    MediaText tooLoud = ParseMediaText(L"Vol:250% a.wav");
    EXPECT_EQ(tooLoud.volume, 100);
    MediaText overflow = ParseMediaText(L"Vol:99999999999999999999999% a.wav");
    EXPECT_EQ(overflow.volume, 100);

    MediaText unclosed = ParseMediaText(L"Repeat Vol:50 a.wav");
    EXPECT_FALSE(unclosed.valid);
    EXPECT_TRUE(unclosed.repeat);
    EXPECT_EQ(unclosed.volume, 0);
    EXPECT_EQ(unclosed.file, WideString(L"Vol:50 a.wav"));

    // Only a prefix, nothing after it.
    EXPECT_FALSE(ParseMediaText(L"Vol:").valid);
    MediaText onlyRepeat = ParseMediaText(L"Repeat ");
    EXPECT_TRUE(onlyRepeat.valid);
    EXPECT_TRUE(onlyRepeat.repeat);
    EXPECT_TRUE(onlyRepeat.file.IsEmpty());
    MediaText emptyFile = ParseMediaText(L"Vol:30% ");
    EXPECT_EQ(emptyFile.volume, 30);
    EXPECT_TRUE(emptyFile.file.IsEmpty());
}

TEST(MediaText, ComposeAndVolumeIndexRoundTrip) {
    EXPECT_EQ(ComposeMediaText(true, 5, L"C:\\a.wav"), WideString(L"Repeat Vol:50% C:\\a.wav"));
    EXPECT_EQ(ComposeMediaText(false, 0, L"C:\\a.wav"), WideString(L"C:\\a.wav"));
    EXPECT_EQ(ComposeMediaText(false, 10, L"a.wav"), WideString(L"Vol:100% a.wav"));
    for (int index = 0; index <= 10; ++index) {
        MediaText parsed = ParseMediaText(ComposeMediaText(index % 2 == 0, index, L"C:\\Vol:x% y.wav"));
        EXPECT_EQ(parsed.repeat, index % 2 == 0);
        EXPECT_EQ(parsed.volume, index * 10);
        EXPECT_EQ(parsed.file, WideString(L"C:\\Vol:x% y.wav"));
        EXPECT_EQ(VolumeIndexForPercent(parsed.volume), index);
    }
    // Stored percentages that the list does not hold map to the next step up.
    EXPECT_EQ(VolumeIndexForPercent(-5), 0);
    EXPECT_EQ(VolumeIndexForPercent(1), 1);
    EXPECT_EQ(VolumeIndexForPercent(11), 2);
    EXPECT_EQ(VolumeIndexForPercent(89), 9);
    EXPECT_EQ(VolumeIndexForPercent(91), 10);
    EXPECT_EQ(VolumeIndexForPercent(500), 10);
}

TEST(MediaText, AFileNamedLikeAPrefixReadsBackAsComposed) {
    const wchar_t* names[] = {L"Repeat me.wav", L"Vol:50% x.wav", L"Vol:", L"Repeat ", L"Vol:5 a.wav"};
    for (const wchar_t* name : names) {
        for (int index : {0, 3}) {
            for (bool repeat : {false, true}) {
                WideString text = ComposeMediaText(repeat, index, name);
                MediaText parsed = ParseMediaText(text);
                EXPECT_TRUE(parsed.valid) << text.str();
                EXPECT_EQ(parsed.repeat, repeat) << text.str();
                EXPECT_EQ(parsed.volume, index * 10) << text.str();
                EXPECT_EQ(Unquote(parsed.file), WideString(name).TrimmedRight()) << text.str();
            }
        }
    }
    EXPECT_EQ(ComposeMediaText(false, 0, L"Repeat me.wav"), WideString(L"\"Repeat me.wav\""));
    EXPECT_EQ(ComposeMediaText(true, 5, L"Vol:50% x.wav"), WideString(L"Repeat Vol:50% \"Vol:50% x.wav\""));
    // Texts of earlier versions read as they always did.
    MediaText earlier = ParseMediaText(L"Repeat me.wav");
    EXPECT_TRUE(earlier.repeat);
    EXPECT_EQ(earlier.file, WideString(L"me.wav"));
}

TEST(ExitText, WaitForceAndCountdownTitle) {
    ExitText restart = ParseExitText(L"再起動 強制終了 待機時間 =30秒");
    EXPECT_EQ(restart.method, ExitMethod::Restart);
    EXPECT_TRUE(restart.force);
    EXPECT_TRUE(restart.hasWait);
    EXPECT_EQ(restart.waitSeconds, 30);
    EXPECT_EQ(restart.countdownTitle, WideString(L"再起動 強制終了 までの時間"));

    ExitText empty = ParseExitText(L"");
    EXPECT_EQ(empty.method, ExitMethod::Normal);
    EXPECT_FALSE(empty.force);
    EXPECT_FALSE(empty.hasWait);
    EXPECT_EQ(empty.waitSeconds, 0);

    ExitText notNumber = ParseExitText(L"通常の終了 待機時間 =3a秒");
    EXPECT_TRUE(notNumber.hasWait);
    EXPECT_EQ(notNumber.waitSeconds, 0);

    ExitText unclosed = ParseExitText(L"休止状態 待機時間 =45");
    EXPECT_EQ(unclosed.method, ExitMethod::Hibernate);
    EXPECT_EQ(unclosed.waitSeconds, 45);

    ExitText huge = ParseExitText(L"待機時間 =99999999999999999999秒");
    EXPECT_EQ(huge.waitSeconds, 2147483647);
    EXPECT_EQ(huge.countdownTitle, WideString(L"までの時間"));
}

TEST(ExitText, FirstMethodTestThatHoldsDecides) {
    EXPECT_EQ(ParseExitText(L"再起動 スリープ").method, ExitMethod::Sleep);
    EXPECT_EQ(ParseExitText(L"通常の終了 休止状態").method, ExitMethod::Hibernate);
    EXPECT_EQ(ParseExitText(L"再起動 通常の終了").method, ExitMethod::Normal);
    EXPECT_EQ(ParseExitText(L"ほかの言葉").method, ExitMethod::Normal);
    EXPECT_TRUE(ParseExitText(L"強制終了").force);
}

TEST(ExitText, ComposeRoundTrip) {
    EXPECT_EQ(ComposeExitText(ExitMethod::Restart, true, 30), WideString(L"再起動 強制終了 待機時間 =30秒"));
    EXPECT_EQ(ComposeExitText(ExitMethod::Normal, false, 0), WideString(L"通常の終了"));
    const ExitMethod methods[] = {ExitMethod::Normal, ExitMethod::Sleep, ExitMethod::Hibernate, ExitMethod::Restart};
    const int waits[] = {0, 1, 300};
    for (ExitMethod method : methods) {
        for (int force = 0; force < 2; ++force) {
            for (int wait : waits) {
                ExitText parsed = ParseExitText(ComposeExitText(method, force != 0, wait));
                EXPECT_EQ(parsed.method, method);
                EXPECT_EQ(parsed.force, force != 0);
                EXPECT_EQ(parsed.hasWait, wait > 0);
                EXPECT_EQ(parsed.waitSeconds, wait);
            }
        }
    }
}
