// What every wizard page does the same way: answering the sheet's notifications and
// setting the sheet's buttons.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

// The sheet a page belongs to.
inline HWND SheetOfPage(HWND page) {
    return GetParent(page);
}
// Answers a notification with a value (a page id, kStayOnPage, TRUE to refuse Finish) and
// returns TRUE for the dialog procedure.
INT_PTR AnswerPageNotification(HWND page, LONG_PTR result);
// Posts PSM_SETWIZBUTTONS to the sheet (PSWIZB_BACK, PSWIZB_NEXT, PSWIZB_FINISH).
void PostWizardButtons(HWND page, DWORD buttons);
// PSN_QUERYCANCEL: the wizard ends without starting anything; the cancel goes ahead.
INT_PTR AnswerQueryCancel(HWND page);
