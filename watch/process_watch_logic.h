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
    // False when the last CpuDelta could not read the times: that second is no idle one.
    virtual bool CpuWasRead() const { return true; }
    virtual int CountParentWindows() = 0;
    // The watched window's current text. False when the window did not answer in time:
    // its text then counts as unchanged.
    virtual bool ReadWatchedText(WideString& text) = 0;
};

// The conditions one second of samples can meet.
enum ProcessCondition {
    kMetEnded = 1,    // the process has ended
    kMetIdle = 2,     // no CPU time for more than five samples in a row
    kMetWindows = 4,  // the number of parent windows differs from the first one
    kMetText = 8,     // the watched window's text differs from its first text
};

// What one second of samples found.
struct SecondSample {
    bool ended = false;
    bool cpuSampled = false;  // the times were read
    unsigned long long cpuDelta = 0;
    bool idle = false;  // the zero samples in a row have reached kIdleSamplesToFire
    bool windowsSampled = false;
    int windowCount = 0;
    bool windowsChanged = false;
    bool textSampled = false;  // the watched window was asked and answered
    WideString text;
    bool textChanged = false;
    int met = 0;  // the conditions of the stop set that held (ProcessCondition bits)
};

// What happens to a watched process in one second, shared by the watcher and the
// condition test: the samples are taken in a fixed order (end, CPU, parent windows,
// window text) and the state between seconds (the run of zero CPU samples, the first
// window count and text) is kept here. Sampling stops after the first condition of the
// stop set that holds; everything before it is reported, whatever the stop set says.
// When the watched window did not answer at the start (initialTextKnown false), its
// first answer becomes the reference instead of counting as a change.
class ConditionSampler {
public:
    ConditionSampler(bool hasTextWindow, int initialWindowCount, const WideString& initialText,
                     bool initialTextKnown = true)
        : hasTextWindow_(hasTextWindow),
          initialWindows_(initialWindowCount),
          initialText_(initialText),
          initialTextKnown_(initialTextKnown) {}

    SecondSample Sample(ProcessSource& source, int stopAt);
    int ZeroCpuCount() const { return zeroCpuCount_; }
    int InitialWindowCount() const { return initialWindows_; }

private:
    bool hasTextWindow_;
    int initialWindows_;
    WideString initialText_;
    bool initialTextKnown_;
    int zeroCpuCount_ = 0;
};

// What one tick of the watcher found.
struct WatchTickResult {
    bool met = false;
    bool cpuSampled = false;  // false when the end check met first: the CPU field stays
    unsigned long long cpuDelta = 0;
};

// The watcher's ending: the end of the process always, the other conditions as chosen.
int WatcherStopConditions(int conditionBits, bool hasTextWindow);

// The checks of one watcher tick in their order; the first condition that holds ends the
// tick and the watch.
class ProcessWatchRule {
public:
    ProcessWatchRule(int conditionBits, bool hasTextWindow, int initialWindowCount, const WideString& initialText,
                     bool initialTextKnown = true)
        : stopAt_(WatcherStopConditions(conditionBits, hasTextWindow)),
          sampler_(hasTextWindow, initialWindowCount, initialText, initialTextKnown) {}

    WatchTickResult Tick(ProcessSource& source);
    int ZeroCpuCount() const { return sampler_.ZeroCpuCount(); }

private:
    int stopAt_;
    ConditionSampler sampler_;
};
