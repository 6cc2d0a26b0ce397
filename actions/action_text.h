// The parameter texts of the three actions: how the setting dialogs compose them and how
// the actions read them back. Pure functions of their inputs.
#pragma once

#include "app/wide_string.h"

// The longest parameter text an action takes, in characters. A longer one is refused
// whole, never cut: a command that lost its last argument is another command.
const int kActionTextLimit = 519;
bool ActionTextTooLong(const WideString& text);
// The box of such a text.
extern const wchar_t kActionTextTooLongText[];  // "動作のパラメータが長すぎます"

// The whole-number value of a text of decimal digits (saturated at INT_MAX); 0 when the
// text is empty or holds anything but digits.
int WholeNumberOf(const WideString& digits);

// Command text: "Icon " at the start asks for a minimized start. A command that begins
// with "Icon " itself is composed with that program word in double quotes.
struct CommandText {
    bool minimize = false;
    WideString command;
};
CommandText ParseCommandText(const WideString& text);
WideString ComposeCommandText(bool minimize, const WideString& command);

// Media text: "Repeat ", then "Vol:<percent>% ", then the file. A file that begins with
// "Repeat " or "Vol:" is composed in double quotes, so that it reads back as a file.
struct MediaText {
    bool repeat = false;
    int volume = 0;     // percent, 0 to 100 (larger numbers read as 100); 0 leaves the volume alone
    WideString file;    // as stored; the player unquotes it
    bool valid = true;  // false for a "Vol:" piece without "% " (file then holds the whole rest)
};
MediaText ParseMediaText(const WideString& text);
WideString ComposeMediaText(bool repeat, int volumeIndex, const WideString& file);
// The volume list index (0 to 10) for a stored percentage.
int VolumeIndexForPercent(int percent);

// Windows-exit text: the method word, " 強制終了", " 待機時間 =<N>秒". The wait is the
// number between "待機時間 =" and the next "秒" (to the end of the text when no "秒"
// follows).
enum class ExitMethod { Normal, Sleep, Hibernate, Restart };
struct ExitText {
    ExitMethod method = ExitMethod::Normal;
    bool force = false;
    int waitSeconds = 0;
    bool hasWait = false;       // the text holds "待機時間 ="
    WideString countdownTitle;  // the text before "待機時間 =", then "までの時間"; empty without a wait
};
ExitText ParseExitText(const WideString& text);
WideString ComposeExitText(ExitMethod method, bool force, int waitSeconds);
// "通常の終了", "スリープ", "休止状態" or "再起動".
const wchar_t* ExitMethodWord(ExitMethod method);
