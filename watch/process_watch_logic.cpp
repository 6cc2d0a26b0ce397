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

SecondSample ConditionSampler::Sample(ProcessSource& source, int stopAt) {
    SecondSample sample;
    sample.ended = source.HasEnded();
    if (sample.ended) sample.met |= kMetEnded & stopAt;
    if (sample.met) return sample;

    sample.cpuDelta = source.CpuDelta();
    sample.cpuSampled = source.CpuWasRead();
    if (!sample.cpuSampled) {
        // Times that cannot be read tell nothing: the idle seconds start again.
        sample.cpuDelta = 0;
        zeroCpuCount_ = 0;
    } else if (sample.cpuDelta == 0) {
        if (zeroCpuCount_ < INT_MAX) ++zeroCpuCount_;
    } else {
        zeroCpuCount_ = 0;
    }
    sample.idle = zeroCpuCount_ >= kIdleSamplesToFire;
    if (sample.idle) sample.met |= kMetIdle & stopAt;
    if (sample.met) return sample;

    sample.windowsSampled = true;
    sample.windowCount = source.CountParentWindows();
    sample.windowsChanged = sample.windowCount != initialWindows_;
    if (sample.windowsChanged) sample.met |= kMetWindows & stopAt;
    if (sample.met) return sample;

    if (hasTextWindow_ && source.ReadWatchedText(sample.text)) {
        sample.textSampled = true;
        if (!initialTextKnown_) {
            initialText_ = sample.text;
            initialTextKnown_ = true;
        } else if (sample.text != initialText_) {
            sample.textChanged = true;
            sample.met |= kMetText & stopAt;
        }
    }
    return sample;
}

int WatcherStopConditions(int conditionBits, bool hasTextWindow) {
    int stopAt = kMetEnded;
    if (conditionBits & kConditionIdleCpu) stopAt |= kMetIdle;
    if (conditionBits & kConditionWindowCount) stopAt |= kMetWindows;
    if (hasTextWindow) stopAt |= kMetText;
    return stopAt;
}

WatchTickResult ProcessWatchRule::Tick(ProcessSource& source) {
    SecondSample sample = sampler_.Sample(source, stopAt_);
    WatchTickResult result;
    result.met = sample.met != 0;
    result.cpuSampled = sample.cpuSampled;
    result.cpuDelta = sample.cpuDelta;
    return result;
}
