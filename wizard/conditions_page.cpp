#include "wizard/conditions_page.h"

#include "wizard/wizard_logic.h"
#include "wizard/wizard_page.h"

namespace {
ProcessConditionsPage* currentConditionsPage = nullptr;
}

ProcessConditionsPage::ProcessConditionsPage(WizardContext& context) : context_(context) {
    currentConditionsPage = this;
}

ProcessConditionsPage::~ProcessConditionsPage() {
    if (currentConditionsPage == this) currentConditionsPage = nullptr;
}

INT_PTR CALLBACK ConditionsPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (!currentConditionsPage) return FALSE;
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
            return AnswerPageNotification(page, kProcessPageId);
        case PSN_QUERYCANCEL:
            return AnswerQueryCancel(page);
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
