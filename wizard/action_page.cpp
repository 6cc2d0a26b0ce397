#include "wizard/action_page.h"

#include "wizard/wizard_logic.h"
#include "wizard/wizard_page.h"

namespace {
ActionPage* currentActionPage = nullptr;
}

ActionPage::ActionPage(WizardContext& context) : context_(context) {
    currentActionPage = this;
}

ActionPage::~ActionPage() {
    if (currentActionPage == this) currentActionPage = nullptr;
}

INT_PTR CALLBACK ActionPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    ActionPage* actionPage = currentActionPage;
    if (!actionPage) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_NOTIFY:
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            PostWizardButtons(page, PSWIZB_BACK | PSWIZB_FINISH);
            return AnswerPageNotification(page, 0);
        case PSN_WIZBACK:
            return AnswerPageNotification(page,
                                          PageBeforeAction(actionPage->Context().section->ReadInt(L"WatchMode", 0)));
        case PSN_WIZFINISH:
            *actionPage->Context().startRequested = true;
            PostQuitMessage(0);
            return AnswerPageNotification(page, 0);
        case PSN_QUERYCANCEL:
            return AnswerQueryCancel(page);
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
