#include "actions/countdown.h"

#include <commctrl.h>

#include "app/handles.h"
#include "app/message_box.h"
#include "app/system_info.h"

namespace {

const UINT_PTR kTickTimer = 0;

struct CountdownState {
    CountdownState(int iconId, const WideString& title, int seconds) : iconId(iconId), title(title), clock(seconds) {}
    HWND dialog = nullptr;
    int iconId;
    UniqueIcon icon;
    WideString title;
    CountdownClock clock;
    int seconds = clock.Remaining();
};

// The countdown of the dialog that is showing; set around DialogBoxParamW.
CountdownState* g_countdown = nullptr;

void OnInitDialog(HWND dialog) {
    CountdownState& state = *g_countdown;
    state.dialog = dialog;
    state.icon.Reset(static_cast<HICON>(LoadImageW(AppInstance(), MAKEINTRESOURCEW(state.iconId), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    if (state.icon) SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(state.icon.Get()));
    // System-modal: above every other window, also where the template style alone does not do it.
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowTextW(dialog, state.title.c_str());
    SetDlgItemTextW(dialog, kCountdownTotalLabelId, SecondsText(state.seconds).c_str());
    HWND bar = GetDlgItem(dialog, kCountdownBarId);
    int top = state.seconds > 0 ? state.seconds : 0;
    SendMessageW(bar, PBM_SETRANGE32, 0, top);
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(top), 0);
    ReportLastError(SetTimer(dialog, kTickTimer, 1000, nullptr) != 0, "SetTimer");
    // The window comes up on top of whatever the user is typing into: Enter or Space meant
    // for that window must cancel, never proceed.
    SetFocus(GetDlgItem(dialog, kCountdownCancelId));
}

void OnTick(HWND dialog) {
    CountdownState& state = *g_countdown;
    bool over = state.clock.Tick();
    int position = state.clock.Remaining() > 0 ? state.clock.Remaining() : 0;
    SendDlgItemMessageW(dialog, kCountdownBarId, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    if (over) EndDialog(dialog, 1);
}

void OnDestroy(HWND dialog) {
    KillTimer(dialog, kTickTimer);
    if (g_countdown->icon) ReportLastError(g_countdown->icon.Reset(), "DestroyIcon");
    g_countdown->dialog = nullptr;
}

INT_PTR CALLBACK CountdownProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return FALSE;  // the focus was set on "キャンセル"
    case WM_TIMER:
        OnTick(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kCountdownRunNowId:
            EndDialog(dialog, 1);
            return TRUE;
        case kCountdownCancelId:
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_DESTROY:
        OnDestroy(dialog);
        return FALSE;
    }
    return FALSE;
}

}  // namespace

WideString SecondsText(int seconds) {
    return WideString::FromInt(seconds) + L"秒";
}

int RunCountdown(HWND owner, int iconId, const WideString& title, int seconds) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    CountdownState state(iconId, title, seconds);
    g_countdown = &state;
    INT_PTR result = DialogBoxParamW(AppInstance(), MAKEINTRESOURCEW(kCountdownDialogId), owner, CountdownProc, 0);
    g_countdown = nullptr;
    if (result == -1) {
        // Without the dialog the user cannot cancel: do not go on.
        ReportLastError(FALSE, "DialogBoxParam");
        return 0;
    }
    return result == 1 ? 1 : 0;
}
