#include "watch/process_watch_logic.h"

#include <climits>

#include "app/paths.h"

ProcessWatchDisplay MakeProcessWatchDisplay(const WideString& path, int conditionBits, bool hasTextWindow,
                                            int actionKind, const WideString& actionText, bool captureFirst) {
    ProcessWatchDisplay display;
    display.fileName = FileNamePart(path);
    display.folder = DirectoryPart(path);

    display.conditions = WideString(L"プロセス終了");
    if (conditionBits & kConditionWindowCount) display.conditions.Append(L" 親Win変化");
    if (conditionBits & kConditionIdleCpu) display.conditions.Append(L" CPU使用率0");
    if (hasTextWindow) display.conditions.Append(L" 指定文字列の変化");

    switch (actionKind) {
    case 0:
        display.action = WideString(L"ファイルの再生 ");
        break;
    case 1:
        display.action = WideString(L"コマンド ");
        break;
    case 2:
        display.action = WideString(L"Windows の終了 ");
        break;
    default:
        break;
    }
    display.action.Append(actionText);

    if (captureFirst) display.other = WideString(L"動作前に画像キャプチャー");
    return display;
}

WatchTickResult ProcessWatchRule::Tick(ProcessSource& source) {
    WatchTickResult result;
    if (source.HasEnded()) {
        result.met = true;
        return result;
    }

    result.cpuSampled = true;
    result.cpuDelta = source.CpuDelta();
    if (result.cpuDelta == 0) {
        if (zeroCpuCount_ < INT_MAX) ++zeroCpuCount_;
    } else {
        zeroCpuCount_ = 0;
    }
    if ((bits_ & kConditionIdleCpu) && zeroCpuCount_ >= kIdleSamplesToFire) {
        result.met = true;
        return result;
    }

    int windows = source.CountParentWindows();
    if ((bits_ & kConditionWindowCount) && windows != initialWindows_) {
        result.met = true;
        return result;
    }

    if (hasTextWindow_) {
        WideString text;
        if (source.ReadWatchedText(text)) {
            if (!initialTextKnown_) {
                initialText_ = text;
                initialTextKnown_ = true;
            } else if (text != initialText_) {
                result.met = true;
            }
        }
    }
    return result;
}
