// What the condition test shows, apart from its dialog: each second's samples turn into
// the texts of the four verdict fields. Three verdicts stay met once they were met; the
// text field keeps the last changed text.
#pragma once

#include "app/wide_string.h"
#include "watch/process_watch_logic.h"

extern const wchar_t kVerdictMet[];     // "条件成立"
extern const wchar_t kVerdictNotMet[];  // "条件不成立"

// New texts for the fields; a field whose flag is false keeps what it shows.
struct ConditionTestFields {
    bool endShown = false;
    WideString end;  // 1602
    bool cpuShown = false;
    WideString cpu;  // 1604
    bool windowsShown = false;
    WideString windows;  // 1603
    bool textShown = false;
    WideString text;  // 1605
};

class ConditionTestBoard {
public:
    explicit ConditionTestBoard(int initialWindowCount) : initialWindows_(initialWindowCount) {}

    // The fields after one second of samples taken with no stop condition.
    ConditionTestFields Apply(const SecondSample& sample);

    bool EndMet() const { return endMet_; }
    bool IdleMet() const { return idleMet_; }
    bool WindowsChanged() const { return windowsChanged_; }

private:
    int initialWindows_;
    bool endMet_ = false;
    bool idleMet_ = false;
    bool windowsChanged_ = false;
};
