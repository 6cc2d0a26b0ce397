// Page 170: the action, its test run, saving the setting under a name with a shortcut.
#pragma once

#include <windows.h>

#include "wizard/wizard.h"

class ActionPage {
public:
    explicit ActionPage(WizardContext& context);
    ~ActionPage();
    ActionPage(const ActionPage&) = delete;
    ActionPage& operator=(const ActionPage&) = delete;

    WizardContext& Context() { return context_; }

private:
    WizardContext& context_;
};

INT_PTR CALLBACK ActionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
