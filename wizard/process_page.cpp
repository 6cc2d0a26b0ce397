#include "wizard/process_page.h"

#include "wizard/wizard_logic.h"
#include "wizard/wizard_page.h"

namespace {
ProcessSelectionPage* currentProcessPage = nullptr;
}

ProcessSelectionPage::ProcessSelectionPage(WizardContext& context) : context_(context) {
    currentProcessPage = this;
}

ProcessSelectionPage::~ProcessSelectionPage() {
    if (currentProcessPage == this) currentProcessPage = nullptr;
}

INT_PTR CALLBACK ProcessPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (!currentProcessPage) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_NOTIFY:
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            PostWizardButtons(page, PSWIZB_BACK | PSWIZB_NEXT);
            return AnswerPageNotification(page, 0);
        case PSN_WIZNEXT:
            return AnswerPageNotification(page, kConditionsPageId);
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
