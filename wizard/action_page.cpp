#include "wizard/action_page.h"

#include <shlobj.h>

#include "actions/action.h"
#include "app/elevated_start.h"
#include "app/message_box.h"
#include "app/shell_folder.h"
#include "app/startup_logic.h"
#include "res/resource.h"
#include "wizard/command_dialog.h"
#include "wizard/dialog_helpers.h"
#include "wizard/exit_dialog.h"
#include "wizard/media_dialog.h"
#include "wizard/named_setting.h"
#include "wizard/shortcut.h"
#include "wizard/text_input.h"
#include "wizard/wizard_logic.h"
#include "wizard/wizard_page.h"

const wchar_t kTestRunQuestion[] = L"テスト実行していいですか？";

namespace {

ActionPage* currentActionPage = nullptr;

// Saving under a name as the page does it: the name prompt owned by the sheet, the
// desktop of the user and the shell's link object.
class PageSaveSystem : public NamedSaveSystem {
public:
    PageSaveSystem(HWND page, HWND sheet) : page_(page), sheet_(sheet) {}
    bool AskName(WideString& name) override {
        return ShowTextInput(sheet_, kSaveSettingTitle, kSaveSettingPrompt, name, IDI_APP, false);
    }
    void ShowSettingName(const WideString& name) override {
        SetDlgItemTextW(page_, kActionSettingName, SettingNameLabel(name).c_str());
    }
    WideString DesktopFolder() override { return ShellFolderPath(CSIDL_DESKTOP); }
    bool CreateShortcut(const WideString& programPath, const WideString& linkPath, const WideString& arguments,
                        const WideString& workingDirectory) override {
        return CreateProgramShortcut(programPath, linkPath, arguments, workingDirectory);
    }

private:
    HWND page_;
    HWND sheet_;
};

}  // namespace

ActionPage::ActionPage(WizardContext& context) : context_(context) {
    currentActionPage = this;
}

ActionPage::~ActionPage() {
    if (currentActionPage == this) currentActionPage = nullptr;
}

HWND ActionPage::Sheet() const {
    return SheetOfPage(window_);
}

void ActionPage::OnInitDialog(HWND page) {
    window_ = page;
    AttachTooltip(page, GetDlgItem(page, kActionTestRun),
                  WideString(L"「管理者として実行」にチェックがしてあるとその通りに実行します"));
    AttachTooltip(page, GetDlgItem(page, kActionAsAdmin), WideString(L"監視を含めて管理者として実行されます"));
    AttachTooltip(page, GetDlgItem(page, kActionSave),
                  WideString(L"監視・実行を即時に行うために今までの入力をショートカットとして\n"
                             L"名前を付けて保存します。画面モードのみ有効です。"));
    HWND parameter = GetDlgItem(page, kActionParameter);
    parameterTooltip_ = AttachTooltip(page, parameter, GetControlText(parameter));
}

void ActionPage::OnSetActive() {
    SetDlgItemTextW(window_, kActionSettingName, SettingNameLabel(context_.section->Section()).c_str());
    ActionPageSetting setting = ReadActionPageSetting(*context_.section);
    watchMode_ = setting.watchMode;
    parameters_ = setting.parameters;

    CheckDlgButton(window_, kActionCapture, setting.capture ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioIndex(window_, kActionKindGroup, kActionKindCount, setting.kind);
    ShowKind(setting.kind);

    AsAdminBox asAdmin = AsAdminBoxState(context_.canElevate, setting.asAdmin);
    EnableWindow(GetDlgItem(window_, kActionAsAdmin), asAdmin.enabled);
    CheckDlgButton(window_, kActionAsAdmin, asAdmin.checked ? BST_CHECKED : BST_UNCHECKED);

    EnableWindow(GetDlgItem(window_, kActionSave), watchMode_ == 0);
    PostWizardButtons(window_, PSWIZB_BACK | PSWIZB_FINISH);
}

void ActionPage::ShowKind(int kind) {
    KindView view = ViewOfKind(kind, parameters_);
    EnableWindow(GetDlgItem(window_, kActionEdit), view.canEdit);
    SetDlgItemTextW(window_, kActionLabel, view.label.c_str());
    SetDlgItemTextW(window_, kActionParameter, view.text.c_str());
    EnableWindow(GetDlgItem(window_, kActionWhole), view.canShowWhole);
    EnableWindow(GetDlgItem(window_, kActionTestRun), view.canTestRun);
    if (!view.valid) ShowErrorBox(L"illegal Action", window_);
}

ActionPageInput ActionPage::Input() const {
    ActionPageInput input;
    input.capture = IsDlgButtonChecked(window_, kActionCapture) == BST_CHECKED;
    input.kind = CheckedRadioIndex(window_, kActionKindGroup, kActionKindCount);
    input.text = GetControlText(GetDlgItem(window_, kActionParameter));
    input.asAdmin = IsDlgButtonChecked(window_, kActionAsAdmin) == BST_CHECKED;
    return input;
}

bool ActionPage::Store() {
    return StoreActionValues(Input(), parameters_, *context_.section, window_);
}

int ActionPage::OnWizardBack() {
    Store();
    return PageBeforeAction(watchMode_);
}

bool ActionPage::OnWizardFinish() {
    if (!Store()) return false;
    *context_.startRequested = true;
    PostQuitMessage(0);
    return true;
}

void ActionPage::TestRun() {
    if (!Store()) return;
    if (ShowQuestionBox(kTestRunQuestion, window_, MB_YESNO) != IDYES) return;
    if (IsDlgButtonChecked(window_, kActionAsAdmin) == BST_CHECKED) {
        // The elevated instance performs the action at once; a declined elevation runs
        // nothing, another failure is reported.
        StartElevated(context_.programPath, PerformActionArgument(context_.section->Section()),
                      context_.currentDirectory, context_.showCommand);
        return;
    }
    HWND sheet = Sheet();
    EnableWindow(sheet, FALSE);
    PerformAction(*context_.section);
    EnableWindow(sheet, TRUE);
}

void ActionPage::EditParameter() {
    int kind = CheckedRadioIndex(window_, kActionKindGroup, kActionKindCount);
    if (kind < 0) return;
    WideString text = GetControlText(GetDlgItem(window_, kActionParameter));
    bool accepted = false;
    switch (kind) {
    case 0:
        accepted = EditMediaParameter(window_, text, IDI_APP, context_.section);
        break;
    case 1:
        accepted = EditCommandParameter(window_, text, IDI_APP, context_.section);
        break;
    default:
        accepted = EditExitParameter(window_, text, IDI_APP, context_.section);
        break;
    }
    if (accepted) *parameters_.ForKind(kind) = text;
    ShowKind(kind);
}

void ActionPage::SaveUnderName() {
    NamedSaveRequest request;
    request.watchMode = watchMode_;
    request.input = Input();
    request.programPath = context_.programPath;
    request.owner = window_;
    PageSaveSystem system(window_, Sheet());
    SaveSettingUnderName(request, *context_.section, parameters_, system);
}

void ActionPage::OnCommand(int id, int code) {
    switch (id) {
    case kActionPlayRadio:
    case kActionCommandRadio:
    case kActionExitRadio:
        if (code == BN_CLICKED) ShowKind(id - kActionPlayRadio);
        break;
    case kActionParameter:
        if (code == EN_CHANGE && parameterTooltip_) {
            UpdateTooltipText(parameterTooltip_, window_, GetDlgItem(window_, kActionParameter),
                              GetControlText(GetDlgItem(window_, kActionParameter)));
        }
        break;
    case kActionTestRun:
        if (code == BN_CLICKED) TestRun();
        break;
    case kActionEdit:
        if (code == BN_CLICKED) EditParameter();
        break;
    case kActionWhole:
        if (code == BN_CLICKED) ShowInfoBox(GetControlText(GetDlgItem(window_, kActionParameter)), window_);
        break;
    case kActionSave:
        if (code == BN_CLICKED) SaveUnderName();
        break;
    default:
        break;
    }
}

INT_PTR CALLBACK ActionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    ActionPage* actionPage = currentActionPage;
    if (!actionPage) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        actionPage->OnInitDialog(page);
        return TRUE;
    case WM_COMMAND:
        actionPage->OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            actionPage->OnSetActive();
            return AnswerPageNotification(page, 0);
        case PSN_WIZBACK:
            return AnswerPageNotification(page, actionPage->OnWizardBack());
        case PSN_WIZFINISH:
            // Nonzero keeps the wizard on the page.
            return AnswerPageNotification(page, actionPage->OnWizardFinish() ? 0 : TRUE);
        case PSN_QUERYCANCEL:
            return AnswerQueryCancel(page);
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
