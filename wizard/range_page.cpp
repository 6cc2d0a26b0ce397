#include "wizard/range_page.h"

#include "wizard/wizard_logic.h"
#include "wizard/wizard_page.h"

namespace {
ScreenRangePage* currentRangePage = nullptr;
}

ScreenRangePage::ScreenRangePage(WizardContext& context) : context_(context) {
    currentRangePage = this;
}

ScreenRangePage::~ScreenRangePage() {
    if (currentRangePage == this) currentRangePage = nullptr;
}

INT_PTR CALLBACK RangePageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (!currentRangePage) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_NOTIFY:
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            PostWizardButtons(page, PSWIZB_BACK | PSWIZB_NEXT);
            return AnswerPageNotification(page, 0);
        case PSN_WIZNEXT:
            return AnswerPageNotification(page, kActionPageId);
        case PSN_WIZBACK:
            return AnswerPageNotification(page, kModePageId);
        case PSN_QUERYCANCEL:
            return AnswerQueryCancel(page);
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
