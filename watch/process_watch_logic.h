// What the process watcher shows and how one tick decides, apart from the dialog and the
// system: the samples come through ProcessSource.
#pragma once

#include "app/wide_string.h"

// PCParam bits.
const int kConditionWindowCount = 1;  // the number of parent windows changed
const int kConditionIdleCpu = 2;      // no CPU time for more than five samples in a row
// The sixth zero sample in a row meets the idle condition.
const int kIdleSamplesToFire = 6;

// The texts of the watcher's read-only fields.
struct ProcessWatchDisplay {
    WideString fileName;  // after the last backslash, or the whole path
    WideString folder;    // before the last backslash; a drive root keeps its backslash
    WideString conditions;
    WideString action;
    WideString other;
};
ProcessWatchDisplay MakeProcessWatchDisplay(const WideString& path, int conditionBits, bool hasTextWindow,
                                            int actionKind, const WideString& actionText, bool captureFirst);

// One second's samples of the watched process, taken only when the tick asks for them.
class ProcessSource {
public:
    virtual ~ProcessSource() = default;
    virtual bool HasEnded() = 0;
    // Processor time since the last sample (100 ns units); moves the baseline forward.
    virtual unsigned long long CpuDelta() = 0;
    virtual int CountParentWindows() = 0;
    // The watched window's current text. False when the window did not answer in time:
    // its text then counts as unchanged.
    virtual bool ReadWatchedText(WideString& text) = 0;
};

// What one tick found.
struct WatchTickResult {
    bool met = false;
    bool cpuSampled = false;  // false when the end check met first: the CPU field stays
    unsigned long long cpuDelta = 0;
};

// The checks of one tick in their order: end, idle CPU, parent-window count, window text.
// When the watched window did not answer at the start (initialTextKnown false), its first
// answer becomes the reference instead of counting as a change.
class ProcessWatchRule {
public:
    ProcessWatchRule(int conditionBits, bool hasTextWindow, int initialWindowCount, const WideString& initialText,
                     bool initialTextKnown = true)
        : bits_(conditionBits),
          hasTextWindow_(hasTextWindow),
          initialWindows_(initialWindowCount),
          initialText_(initialText),
          initialTextKnown_(initialTextKnown) {}

    WatchTickResult Tick(ProcessSource& source);
    int ZeroCpuCount() const { return zeroCpuCount_; }

private:
    int bits_;
    bool hasTextWindow_;
    int initialWindows_;
    WideString initialText_;
    bool initialTextKnown_;
    int zeroCpuCount_ = 0;
};
