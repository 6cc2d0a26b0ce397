#include "wizard/exit_dialog.h"

#include <commctrl.h>

#include "app/handles.h"
#include "app/message_box.h"
#include "app/system_info.h"
#include "power/power_hold_system.h"
#include "wizard/dialog_helpers.h"
#include "wizard/dialog_position.h"
#include "wizard/parameter_fields.h"

namespace {

const PositionKeys kPositionKeys = {L"SetWinEndLeft", L"SetWinEndTop"};
const int kMethodCount = 4;
const int kWaitPoints = 14;

class WindowsExitDialog {
public:
    WindowsExitDialog(const WideString& text, int iconId, const SettingSection* section)
        : text_(text), iconId_(iconId), section_(section) {}
    WindowsExitDialog(const WindowsExitDialog&) = delete;
    WindowsExitDialog& operator=(const WindowsExitDialog&) = delete;

    const WideString& Text() const { return text_; }

    void OnInitDialog(HWND window);
    void OnDestroy();
    void OnMethodClicked(int id);
    void Accept();
    void Cancel();

private:
    void ShowForce(bool enabled, bool checked);

    HWND window_ = nullptr;
    WideString text_;
    int iconId_;
    const SettingSection* section_;
    UniqueIcon smallIcon_;
    UniqueGdi<HFONT> waitFont_;
};

// The dialog that is showing; there is one at a time.
WindowsExitDialog* g_exitDialog = nullptr;

void WindowsExitDialog::ShowForce(bool enabled, bool checked) {
    CheckDlgButton(window_, kExitForce, checked ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(window_, kExitForce), enabled ? TRUE : FALSE);
}

void WindowsExitDialog::OnInitDialog(HWND window) {
    window_ = window;
    if (iconId_ != 0) {
        smallIcon_.Reset(
            static_cast<HICON>(LoadImageW(AppInstance(), MAKEINTRESOURCEW(iconId_), IMAGE_ICON,
                                          GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
        if (smallIcon_) SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
    }
    HWND waitBox = GetDlgItem(window, kExitWaitBox);
    waitFont_ = CreatePointFont(WideString(kDialogFontFace), kWaitPoints);
    if (waitFont_) SetControlFont(waitBox, waitFont_.Get());
    HWND upDown = GetDlgItem(window, kExitWaitUpDown);
    SendMessageW(upDown, UDM_SETRANGE, 0, MAKELPARAM(kMaxWaitSeconds, 0));
    SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(waitBox), 0);

    bool sleepAllowed = IsSleepAllowed();
    bool hibernateAllowed = IsHibernationAllowed();
    EnableWindow(GetDlgItem(window, kExitSleep), sleepAllowed ? TRUE : FALSE);
    EnableWindow(GetDlgItem(window, kExitHibernate), hibernateAllowed ? TRUE : FALSE);

    ExitFields fields = ReadExitFields(text_, sleepAllowed, hibernateAllowed);
    CheckRadioIndex(window, kExitMethodBase, kMethodCount, ExitMethodIndex(fields.method));
    ShowForce(fields.forceEnabled, fields.force);
    SendMessageW(upDown, UDM_SETPOS, 0, MAKELPARAM(fields.waitSeconds, 0));

    AttachTooltip(window, GetDlgItem(window, kExitSleep),
                  WideString(L"スリープ メモリーの状態をディスクに保存しません。待機中電気は食いますが、"
                             L"移行や復帰まで時間はかかりません。"));
    AttachTooltip(window, GetDlgItem(window, kExitHibernate),
                  WideString(L"ハイバネートとも。メモリーの状態をディスクに保存して電源を切ります。"
                             L"待機中電気は食いませんが、移行や復帰までの時間がかかります。"));
    AttachTooltip(window, GetDlgItem(window, kExitForce), WideString(L"ざっと言えば編集中の文書があっても実行します"));
    MoveToStoredPosition(window, section_, kPositionKeys);
}

void WindowsExitDialog::OnDestroy() {
    if (smallIcon_) ReportLastError(smallIcon_.Reset(), "DestroyIcon");
    if (waitFont_) ReportLastError(waitFont_.Reset(), "DeleteObject");
}

void WindowsExitDialog::OnMethodClicked(int id) {
    ExitMethod method = ExitMethodAtIndex(id - kExitNormal);
    if (ForceApplies(method))
        EnableWindow(GetDlgItem(window_, kExitForce), TRUE);
    else
        ShowForce(false, false);
}

void WindowsExitDialog::Accept() {
    // An empty or non-numeric box counts as 0 seconds.
    int wait = 0;
    if (ClampUpDownBuddy(GetDlgItem(window_, kExitWaitUpDown), GetDlgItem(window_, kExitWaitBox), &wait)) {
        ShowErrorBox(L"正しい待機時間を入力して下さい", window_);
        return;
    }
    StorePosition(window_, section_, kPositionKeys);
    ExitFields fields;
    fields.method = ExitMethodAtIndex(CheckedRadioIndex(window_, kExitMethodBase, kMethodCount));
    fields.force = IsDlgButtonChecked(window_, kExitForce) == BST_CHECKED;
    fields.waitSeconds = wait;
    text_ = ComposeExitFields(fields);
    ReportLastError(EndDialog(window_, 1), "EndDialog");
}

void WindowsExitDialog::Cancel() {
    ReportLastError(EndDialog(window_, 0), "EndDialog");
}

INT_PTR CALLBACK ExitDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    WindowsExitDialog* dialog = g_exitDialog;
    if (!dialog) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        dialog->OnInitDialog(window);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kExitNormal:
        case kExitSleep:
        case kExitHibernate:
        case kExitRestart:
            if (HIWORD(wParam) == BN_CLICKED) dialog->OnMethodClicked(LOWORD(wParam));
            return TRUE;
        case kExitOk:
        case IDOK:
            dialog->Accept();
            return TRUE;
        case kExitCancel:
        case IDCANCEL:
            dialog->Cancel();
            return TRUE;
        }
        break;
    case WM_DESTROY:
        dialog->OnDestroy();
        return FALSE;
    }
    return FALSE;
}

}  // namespace

bool EditExitParameter(HWND owner, WideString& text, int iconId, const SettingSection* section) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WindowsExitDialog dialog(text, iconId, section);
    g_exitDialog = &dialog;
    INT_PTR result = DialogBoxParamW(AppInstance(), MAKEINTRESOURCEW(kExitDialogId), owner, ExitDialogProc, 0);
    g_exitDialog = nullptr;
    if (result == -1) ReportLastError(FALSE, "DialogBoxParam");
    if (result != 1) return false;
    text = dialog.Text();
    return true;
}
