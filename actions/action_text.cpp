#include "actions/action_text.h"

#include <climits>

const wchar_t kActionTextTooLongText[] = L"動作のパラメータが長すぎます";

bool ActionTextTooLong(const WideString& text) {
    return text.Length() > kActionTextLimit;
}

namespace {

const wchar_t kIconPrefix[] = L"Icon ";
const int kIconPrefixLength = 5;
const wchar_t kRepeatPrefix[] = L"Repeat ";
const int kRepeatPrefixLength = 7;
const wchar_t kVolumePrefix[] = L"Vol:";
const int kVolumePrefixLength = 4;
const wchar_t kVolumeEnd[] = L"% ";
const int kVolumeEndLength = 2;
const wchar_t kForceWord[] = L"強制終了";
const wchar_t kWaitWord[] = L"待機時間 =";
const int kWaitWordLength = 6;
const wchar_t kSecondsWord[] = L"秒";
const wchar_t kCountdownSuffix[] = L"までの時間";

}  // namespace

int WholeNumberOf(const WideString& digits) {
    if (!digits.IsDecimal()) return 0;
    // Digits only: ToInt falls back only on overflow, which saturates.
    long long value = digits.ToInt(LLONG_MAX);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

CommandText ParseCommandText(const WideString& text) {
    CommandText parsed;
    if (text.StartsWith(kIconPrefix)) {
        parsed.minimize = true;
        parsed.command = text.Mid(kIconPrefixLength);
    } else {
        parsed.command = text;
    }
    return parsed;
}

WideString ComposeCommandText(bool minimize, const WideString& command) {
    if (minimize) return WideString(kIconPrefix) + command;
    // A command whose program is "Icon" would read back as the minimize flag and the rest:
    // its program is written in double quotes, which the command line split takes off.
    if (command.StartsWith(kIconPrefix)) return WideString(L"\"Icon\"") + command.Mid(kIconPrefixLength - 1);
    return command;
}

MediaText ParseMediaText(const WideString& text) {
    MediaText parsed;
    WideString rest = text;
    if (text.StartsWith(kRepeatPrefix)) {
        parsed.repeat = true;
        rest = text.Mid(kRepeatPrefixLength);
    }
    if (!rest.StartsWith(kVolumePrefix)) {
        parsed.file = rest;
        return parsed;
    }
    int end = rest.Find(kVolumeEnd);
    if (end < 0) {
        // No "% " closes the volume: the text is not one the dialogs write.
        parsed.valid = false;
        parsed.file = rest;
        return parsed;
    }
    int volume = WholeNumberOf(rest.Piece(kVolumePrefixLength, end - 1));
    parsed.volume = volume > 100 ? 100 : volume;
    parsed.file = rest.Mid(end + kVolumeEndLength);
    return parsed;
}

WideString ComposeMediaText(bool repeat, int volumeIndex, const WideString& file) {
    WideString text;
    if (repeat) text += kRepeatPrefix;
    if (volumeIndex < 0) volumeIndex = 0;
    if (volumeIndex > 10) volumeIndex = 10;
    if (volumeIndex != 0) text += WideString(kVolumePrefix) + WideString::FromInt(volumeIndex * 10) + kVolumeEnd;
    // A file name that begins with a prefix word ("Repeat me.wav", "Vol:50% x.wav") would
    // read back as that piece: it is written in double quotes, which the player takes off
    // (with the blanks at the name's end, which it would trim anyway). The reading is the
    // same as ever, so every text an earlier version wrote means what it meant; such a
    // name written unquoted by an earlier version still reads as the prefix it looks like.
    if (file.StartsWith(kRepeatPrefix) || file.StartsWith(kVolumePrefix))
        text += WideString(L"\"") + file.TrimmedRight() + L"\"";
    else
        text += file;
    return text;
}

int VolumeIndexForPercent(int percent) {
    if (percent <= 0) return 0;
    if (percent > 90) return 10;
    return (percent + 9) / 10;
}

ExitText ParseExitText(const WideString& text) {
    ExitText parsed;
    int wait = text.Find(kWaitWord);
    if (wait >= 0) {
        parsed.hasWait = true;
        int first = wait + kWaitWordLength;
        int seconds = text.Find(kSecondsWord, first);
        // Without a closing "秒" the number runs to the end of the text.
        WideString digits = seconds >= 0 ? text.Piece(first, seconds - 1) : text.Mid(first);
        parsed.waitSeconds = WholeNumberOf(digits);
        parsed.countdownTitle = text.Left(wait) + kCountdownSuffix;
    }
    if (text.Contains(ExitMethodWord(ExitMethod::Sleep)))
        parsed.method = ExitMethod::Sleep;
    else if (text.Contains(ExitMethodWord(ExitMethod::Hibernate)))
        parsed.method = ExitMethod::Hibernate;
    else if (text.Contains(ExitMethodWord(ExitMethod::Normal)))
        parsed.method = ExitMethod::Normal;
    else if (text.Contains(ExitMethodWord(ExitMethod::Restart)))
        parsed.method = ExitMethod::Restart;
    else
        parsed.method = ExitMethod::Normal;
    parsed.force = text.Contains(kForceWord);
    return parsed;
}

WideString ComposeExitText(ExitMethod method, bool force, int waitSeconds) {
    WideString text(ExitMethodWord(method));
    if (force) text += WideString(L" ") + kForceWord;
    if (waitSeconds > 0) text += WideString(L" ") + kWaitWord + WideString::FromInt(waitSeconds) + kSecondsWord;
    return text;
}

const wchar_t* ExitMethodWord(ExitMethod method) {
    switch (method) {
    case ExitMethod::Sleep:
        return L"スリープ";
    case ExitMethod::Hibernate:
        return L"休止状態";
    case ExitMethod::Restart:
        return L"再起動";
    case ExitMethod::Normal:
        break;
    }
    return L"通常の終了";
}
