#include "watch/condition_test_logic.h"

#include "watch/process_text.h"

const wchar_t kVerdictMet[] = L"条件成立";
const wchar_t kVerdictNotMet[] = L"条件不成立";

ConditionTestFields ConditionTestBoard::Apply(const SecondSample& sample) {
    ConditionTestFields fields;
    if (sample.ended && !endMet_) {
        endMet_ = true;
        fields.endShown = true;
        fields.end = kVerdictMet;
    }

    if (sample.cpuSampled) {
        if (sample.idle) idleMet_ = true;
        fields.cpuShown = true;
        fields.cpu = CpuPercentText(sample.cpuDelta) + L"% " + (idleMet_ ? kVerdictMet : kVerdictNotMet);
    }

    if (sample.windowsSampled) {
        if (sample.windowsChanged) windowsChanged_ = true;
        fields.windowsShown = true;
        fields.windows = WideString::FromInt(initialWindows_);
        if (windowsChanged_) {
            fields.windows += WideString(L"→") + WideString::FromInt(sample.windowCount) + L" " + kVerdictMet;
        } else {
            fields.windows += WideString(L" ") + kVerdictNotMet;
        }
    }

    if (sample.textChanged) {
        fields.textShown = true;
        fields.text = WideString(kVerdictMet) + L"(" + sample.text + L")";
    }
    return fields;
}
