#include "watch/process_watcher.h"

#include "app/message_box.h"
#include "app/system_info.h"
#include "res/resource.h"
#include "watch/watchers.h"
#include "wizard/dialog_helpers.h"

namespace {

// The watcher that dialog 180 shows; set by the watcher's construction.
ProcessWatcher* currentWatcher = nullptr;

const UINT_PTR kTickTimer = 0;
const UINT kTickMs = 1000;

void EndWatchDialog(HWND dialog, INT_PTR result) {
    ReportLastError(EndDialog(dialog, result), "EndDialog");
}

INT_PTR CALLBACK ProcessWatchProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    ProcessWatcher* watcher = currentWatcher;
    switch (message) {
    case WM_INITDIALOG:
        if (watcher) watcher->OnInitDialog(dialog);
        return TRUE;
    case WM_TIMER:
        if (watcher) watcher->OnTimer(static_cast<UINT_PTR>(wParam));
        return TRUE;
    case WM_COMMAND:
        // Only the button and the private command: Esc and Enter do nothing.
        switch (LOWORD(wParam)) {
        case kWatchCancelButton:
            EndWatchDialog(dialog, 0);
            return TRUE;
        case kConditionMetCommand:
            EndWatchDialog(dialog, 1);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_CLOSE:
        EndWatchDialog(dialog, 0);
        return TRUE;
    case WM_DESTROY:
        KillTimer(dialog, kTickTimer);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int ProbeSource::CountParentWindows() {
    process_.CollectTopWindows(windows_);
    return windows_.Count();
}

ProcessWatcher::ProcessWatcher(const WideString& path, int processId, int conditionBits, HWND textWindow,
                               int actionKind, const WideString& actionText, bool captureFirst, ProcessSource* source)
    : path_(path),
      processId_(processId),
      conditionBits_(conditionBits),
      textWindow_(textWindow),
      actionKind_(actionKind),
      actionText_(actionText),
      captureFirst_(captureFirst),
      process_(processId),
      initialWindows_(CollectTopWindowsOf(process_)),
      initialText_(ReadInitialWindowText(textWindow, &initialTextKnown_)),
      rule_(conditionBits, textWindow != nullptr, initialWindows_.Count(), initialText_, initialTextKnown_),
      source_(process_, textWindow),
      sampled_(source ? source : &source_) {
    currentWatcher = this;
}

ProcessWatcher::~ProcessWatcher() {
    if (currentWatcher == this) currentWatcher = nullptr;
}

INT_PTR ProcessWatcher::RunDialog() {
    currentWatcher = this;
    fault_ = nullptr;
    INT_PTR result =
        DialogBoxParamW(AppInstance(), MAKEINTRESOURCEW(kProcessWatchDialog), nullptr, ProcessWatchProc, 0);
    if (fault_) std::rethrow_exception(fault_);
    return result;
}

void ProcessWatcher::OnInitDialog(HWND dialog) {
    dialog_ = dialog;
    met_ = false;
    SetSmallIcon(dialog, IDI_APP);
    AttachTooltip(dialog, GetDlgItem(dialog, kWatchCpuEdit), WideString(L"たまに１００％を越すことがあります"));

    ProcessWatchDisplay display =
        MakeProcessWatchDisplay(path_, conditionBits_, textWindow_ != nullptr, actionKind_, actionText_, captureFirst_);
    SetDlgItemTextW(dialog, kWatchFileNameEdit, display.fileName.c_str());
    SetDlgItemTextW(dialog, kWatchFolderEdit, display.folder.c_str());
    SetDlgItemTextW(dialog, kWatchConditionsEdit, display.conditions.c_str());
    SetDlgItemTextW(dialog, kWatchActionEdit, display.action.c_str());
    SetDlgItemTextW(dialog, kWatchOtherEdit, display.other.c_str());

    // The first sample covers the first second of the dialog, not the time since construction.
    unsigned long long ignored = 0;
    process_.CpuDelta(&ignored);

    KillTimer(dialog, kTickTimer);
    ReportLastError(SetTimer(dialog, kTickTimer, kTickMs, nullptr) != 0, "SetTimer");
}

void ProcessWatcher::OnTimer(UINT_PTR timerId) {
    // A box shown during a tick runs a message loop of its own: no tick inside a tick, and
    // none after a condition was met.
    if (timerId != kTickTimer || ticking_ || met_) return;
    ticking_ = true;
    // Nothing may leave a dialog procedure: a fault ends the dialog and is thrown again
    // once DialogBoxParamW has returned.
    try {
        WatchTickResult result = rule_.Tick(*sampled_);
        if (result.cpuSampled) SetDlgItemTextW(dialog_, kWatchCpuEdit, CpuPercentText(result.cpuDelta).c_str());
        if (result.met) {
            // Ended here and now: a posted command could be lost, and the action with it.
            met_ = true;
            EndWatchDialog(dialog_, 1);
        }
    } catch (...) {
        fault_ = std::current_exception();
        met_ = true;  // no more ticks
        EndWatchDialog(dialog_, 0);
    }
    ticking_ = false;
}

bool RunProcessWatch(ProcessWatcher& watcher) {
    return watcher.RunDialog() == 1;
}

WatchResult RunProcessModeWatch(const ProcessWatchSetup& setup) {
    ProcessWatcher watcher(setup.programPath, setup.pid, setup.conditions, setup.window, setup.actionKind,
                           setup.actionText, setup.capture);
    if (!watcher.CanWatch()) {
        // A process that runs but cannot be followed must not pass for one that ended.
        ShowErrorBox(kProcessNotWatchableText);
        return WatchResult::Refused;
    }
    INT_PTR result = watcher.RunDialog();
    if (result == -1) {
        // Without its dialog the watch cannot run; the action must not follow.
        ReportLastError(FALSE, "DialogBoxParamW");
        return WatchResult::Refused;
    }
    return result == 1 ? WatchResult::Met : WatchResult::Cancelled;
}
