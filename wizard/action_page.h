// Page 170: the action, its test run, saving the setting under a name with a shortcut.
#pragma once

#include <windows.h>

#include "wizard/action_page_logic.h"
#include "wizard/wizard.h"

const int kActionCapture = 1701;
const int kActionKindGroup = 1702;  // the kind radio buttons are 1703 + kind
const int kActionPlayRadio = 1703;
const int kActionCommandRadio = 1704;
const int kActionExitRadio = 1705;
const int kActionLabel = 1706;
const int kActionParameter = 1707;
const int kActionTestRun = 1708;
const int kActionAsAdmin = 1709;
const int kActionEdit = 1710;
const int kActionWhole = 1711;
const int kActionSave = 1712;
const int kActionSettingName = 1713;

extern const wchar_t kTestRunQuestion[];  // "テスト実行していいですか？"

class ActionPage {
public:
    explicit ActionPage(WizardContext& context);
    ~ActionPage();
    ActionPage(const ActionPage&) = delete;
    ActionPage& operator=(const ActionPage&) = delete;

    void OnInitDialog(HWND page);
    void OnSetActive();
    // PSN_WIZBACK: stores the page (a refusal does not keep the user here) and goes back
    // along the road of the mode.
    int OnWizardBack();
    // PSN_WIZFINISH: true when the page was stored and the watch is to start.
    bool OnWizardFinish();
    void OnCommand(int id, int code);

private:
    HWND Sheet() const;
    void ShowKind(int kind);
    ActionPageInput Input() const;
    bool Store();
    void TestRun();
    void EditParameter();
    void SaveUnderName();

    WizardContext& context_;
    HWND window_ = nullptr;
    ActionParameters parameters_;
    int watchMode_ = 0;
    HWND parameterTooltip_ = nullptr;
};

INT_PTR CALLBACK ActionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
