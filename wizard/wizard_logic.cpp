#include "wizard/wizard_logic.h"

#include "app/elevation.h"
#include "app/settings.h"

const int kWizardPageOrder[kWizardPageCount] = {kModePageId, kRangePageId, kProcessPageId, kConditionsPageId,
                                                kActionPageId};

WideString WizardPageTitle(int templateId, int elevation) {
    const wchar_t* title = nullptr;
    switch (templateId) {
    case kModePageId:
        title = L"Tollerup モード指定";
        break;
    case kRangePageId:
        title = L"Tollerup 画面範囲の指定";
        break;
    case kProcessPageId:
        title = L"Tollerup プロセスの指定";
        break;
    case kConditionsPageId:
        title = L"Tollerup プロセスの条件の指定";
        break;
    case kActionPageId:
        title = L"Tollerup 動作の指定";
        break;
    default:
        return WideString();
    }
    WideString text(title);
    if (elevation == kElevationFull) text += L"(昇格中)";
    return text;
}

int PageAfterMode(int watchMode) {
    return watchMode == 1 ? kProcessPageId : kRangePageId;
}

int PageBeforeAction(int watchMode) {
    return watchMode != 0 ? kConditionsPageId : kRangePageId;
}

bool IsWorkingSectionName(const WideString& name) {
    return name == WideString(kWorkingSection);
}

WideString SettingNameLabel(const WideString& sectionName) {
    if (IsWorkingSectionName(sectionName)) return WideString();
    return WideString(L"設定名：") + sectionName;
}
