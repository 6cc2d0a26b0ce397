#include "wizard/wizard_page.h"

#include "app/message_box.h"

INT_PTR AnswerPageNotification(HWND page, LONG_PTR result) {
    SetWindowLongPtrW(page, DWLP_MSGRESULT, result);
    return TRUE;
}

void PostWizardButtons(HWND page, DWORD buttons) {
    ReportLastError(PostMessageW(SheetOfPage(page), PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(buttons)), "PostMessage");
}

INT_PTR AnswerQueryCancel(HWND page) {
    PostQuitMessage(0);
    return AnswerPageNotification(page, FALSE);
}
