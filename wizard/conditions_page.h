// Page 140: the conditions of the process watch and the watched window.
#pragma once

#include <windows.h>

#include "wizard/wizard.h"

class ProcessConditionsPage {
public:
    explicit ProcessConditionsPage(WizardContext& context);
    ~ProcessConditionsPage();
    ProcessConditionsPage(const ProcessConditionsPage&) = delete;
    ProcessConditionsPage& operator=(const ProcessConditionsPage&) = delete;

    WizardContext& Context() { return context_; }

private:
    WizardContext& context_;
};

INT_PTR CALLBACK ConditionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
