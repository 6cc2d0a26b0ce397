#include "wizard/conditions_page.h"

#include "app/message_box.h"
#include "app/paths.h"
#include "watch/condition_test.h"
#include "watch/process_query.h"
#include "wizard/dialog_helpers.h"
#include "wizard/process_page_logic.h"
#include "wizard/window_tree.h"
#include "wizard/wizard_logic.h"
#include "wizard/wizard_page.h"

namespace {
ProcessConditionsPage* currentConditionsPage = nullptr;

void SetCheck(HWND page, int id, bool checked) {
    CheckDlgButton(page, id, checked ? BST_CHECKED : BST_UNCHECKED);
}
}  // namespace

ProcessConditionsPage::ProcessConditionsPage(WizardContext& context) : context_(context) {
    currentConditionsPage = this;
}

ProcessConditionsPage::~ProcessConditionsPage() {
    if (currentConditionsPage == this) currentConditionsPage = nullptr;
}

void ProcessConditionsPage::OnInitDialog(HWND page) {
    page_ = page;
    AttachTooltip(page, GetDlgItem(page, kConditionsTreeButton),
                  WideString(L"アプリケーションの作り方によっては文字列が探せないことがあります"));
}

void ProcessConditionsPage::OnSetActive() {
    const SettingSection& section = *context_.section;
    fullPath_ = section.ReadString(L"filename", MAX_PATH, L"");
    processId_ = section.ReadInt(L"pid", 0);
    conditionBits_ = section.ReadInt(L"PCParam", 0);
    chosenWindow_ = TextToWindowHandle(section.ReadString(L"PCHandle", MAX_PATH, L""));

    SetCheck(page_, kConditionsEndBox, true);
    SetCheck(page_, kConditionsWindowsBox, (conditionBits_ & 1) != 0);
    SetCheck(page_, kConditionsIdleBox, (conditionBits_ & 2) != 0);
    SetCheck(page_, kConditionsChosenBox, chosenWindow_ != nullptr);
    SetDlgItemTextW(page_, kConditionsPath, fullPath_.c_str());
    PostWizardButtons(page_, PSWIZB_BACK | PSWIZB_NEXT);
}

int ProcessConditionsPage::OnWizardNext() {
    ProcessProbe probe(processId_);
    if (probe.HasEnded()) {
        ShowErrorBox(L"プロセスが既に終了しています。再指定してください。", page_);
        return kProcessPageId;
    }
    int bits = ConditionBitsFromChecks(IsDlgButtonChecked(page_, kConditionsWindowsBox) == BST_CHECKED,
                                       IsDlgButtonChecked(page_, kConditionsIdleBox) == BST_CHECKED);
    if (context_.section->WriteInt(L"PCParam", bits))
        context_.section->WriteString(L"PCHandle", WindowHandleToText(chosenWindow_));
    return kActionPageId;
}

void ProcessConditionsPage::ChooseWindow() {
    chosenWindow_ = ChooseWatchedWindow(SheetOfPage(page_), processId_, chosenWindow_);
    SetCheck(page_, kConditionsChosenBox, chosenWindow_ != nullptr);
}

void ProcessConditionsPage::RunTest() {
    HWND sheet = SheetOfPage(page_);
    ShowWindow(sheet, SW_MINIMIZE);
    {
        ConditionTest test(sheet, Unquote(fullPath_), processId_, chosenWindow_);
        test.Run();
    }
    ShowWindow(sheet, SW_RESTORE);
}

void ProcessConditionsPage::OnCommand(int id, int code) {
    switch (id) {
    case kConditionsEndBox:
        // The end of the process is always watched.
        SetCheck(page_, kConditionsEndBox, true);
        break;
    case kConditionsTreeButton:
        if (code == BN_CLICKED) ChooseWindow();
        break;
    case kConditionsTestButton:
        if (code == BN_CLICKED) RunTest();
        break;
    default:
        break;
    }
}

INT_PTR CALLBACK ConditionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    ProcessConditionsPage* conditionsPage = currentConditionsPage;
    if (!conditionsPage) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        conditionsPage->OnInitDialog(page);
        return TRUE;
    case WM_COMMAND:
        conditionsPage->OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            conditionsPage->OnSetActive();
            return AnswerPageNotification(page, 0);
        case PSN_WIZNEXT:
            return AnswerPageNotification(page, conditionsPage->OnWizardNext());
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
