// Page 130: the process to watch, chosen from a live list.
#pragma once

#include <windows.h>

#include "wizard/wizard.h"

class ProcessSelectionPage {
public:
    explicit ProcessSelectionPage(WizardContext& context);
    ~ProcessSelectionPage();
    ProcessSelectionPage(const ProcessSelectionPage&) = delete;
    ProcessSelectionPage& operator=(const ProcessSelectionPage&) = delete;

    WizardContext& Context() { return context_; }

private:
    WizardContext& context_;
};

INT_PTR CALLBACK ProcessPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
