// Page 120: the watched range of the screen and the screen-saver hold.
#pragma once

#include <windows.h>

#include "wizard/wizard.h"

class ScreenRangePage {
public:
    explicit ScreenRangePage(WizardContext& context);
    ~ScreenRangePage();
    ScreenRangePage(const ScreenRangePage&) = delete;
    ScreenRangePage& operator=(const ScreenRangePage&) = delete;

    WizardContext& Context() { return context_; }

private:
    WizardContext& context_;
};

INT_PTR CALLBACK RangePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
