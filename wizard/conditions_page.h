// Page 140: the conditions of the process watch and the watched window.
#pragma once

#include <windows.h>

#include "app/wide_string.h"
#include "wizard/wizard.h"

const int kConditionsPath = 1401;
const int kConditionsEndBox = 1402;
const int kConditionsWindowsBox = 1403;
const int kConditionsIdleBox = 1404;
const int kConditionsChosenBox = 1405;
const int kConditionsTreeButton = 1406;
const int kConditionsTestButton = 1407;

class ProcessConditionsPage {
public:
    explicit ProcessConditionsPage(WizardContext& context);
    ~ProcessConditionsPage();
    ProcessConditionsPage(const ProcessConditionsPage&) = delete;
    ProcessConditionsPage& operator=(const ProcessConditionsPage&) = delete;

    WizardContext& Context() { return context_; }

    void OnInitDialog(HWND page);
    void OnSetActive();
    // 170 after writing the conditions; 130 when the chosen process has ended.
    int OnWizardNext();
    void OnCommand(int id, int code);

private:
    void ChooseWindow();
    void RunTest();

    WizardContext& context_;
    HWND page_ = nullptr;
    int processId_ = 0;
    WideString fullPath_;
    int conditionBits_ = 0;
    HWND chosenWindow_ = nullptr;
};

INT_PTR CALLBACK ConditionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
