// Page 120: the watched range of the screen and the screen-saver hold.
#pragma once

#include <windows.h>

#include <vector>

#include "app/handles.h"
#include "wizard/range_geometry.h"
#include "wizard/wizard.h"

const int kRangeFrame = 1201;
const int kRangeBox = 1202;
const int kRangeSettingName = 1203;
const int kRangeHoldCheck = 1204;
const int kRangeDragButton = 1205;
// Posted to the page by the range-drag window when a range was chosen.
const int kRangeChosenCommand = 40000;

// The range stored in the section (ScrLeft, ScrTop, ScrRight, ScrBottom; 0 when absent).
RECT ReadScreenRange(const SettingSection& section);
// False at the first key the file did not take.
bool WriteScreenRange(const SettingSection& section, const RECT& range);

class ScreenRangePage {
public:
    explicit ScreenRangePage(WizardContext& context);
    ~ScreenRangePage();
    ScreenRangePage(const ScreenRangePage&) = delete;
    ScreenRangePage& operator=(const ScreenRangePage&) = delete;

    WizardContext& Context() { return context_; }

    void OnInitDialog(HWND page);
    void OnSetActive();
    int OnWizardNext();
    void OnCommand(int id, int code);
    void OnPaint();
    // The page is left or goes away: a drag that still runs ends without a range.
    void EndDrag();

private:
    void UpdateRangeBox();

    WizardContext& context_;
    HWND page_ = nullptr;
    RangeMap map_;
    std::vector<RECT> monitorBoxes_;
    RECT range_ = {0, 0, 0, 0};
    RECT rangeBox_ = {0, 0, 0, 0};
};

INT_PTR CALLBACK RangePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
