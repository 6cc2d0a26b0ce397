#include "watch/condition_test.h"

#include "app/message_box.h"
#include "app/paths.h"
#include "app/system_info.h"
#include "res/resource.h"
#include "wizard/dialog_helpers.h"

namespace {

// The test that dialog 160 shows; set by the test's construction.
ConditionTest* currentTest = nullptr;

const UINT_PTR kTickTimer = 0;
const UINT kTickMs = 1000;

INT_PTR CALLBACK ConditionTestProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    ConditionTest* test = currentTest;
    switch (message) {
    case WM_INITDIALOG:
        if (test) test->OnInitDialog(dialog);
        return TRUE;
    case WM_TIMER:
        if (test) test->OnTimer(static_cast<UINT_PTR>(wParam));
        return TRUE;
    case WM_COMMAND:
        // Only the button ends the test: Esc and Enter do nothing.
        if (LOWORD(wParam) != kTestEndButton) return FALSE;
        ReportLastError(EndDialog(dialog, 1), "EndDialog");
        return TRUE;
    case WM_CLOSE:
        ReportLastError(EndDialog(dialog, 1), "EndDialog");
        return TRUE;
    case WM_DESTROY:
        KillTimer(dialog, kTickTimer);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

ConditionTest::ConditionTest(HWND owner, const WideString& path, int processId, HWND textWindow)
    : owner_(owner),
      path_(path),
      processId_(processId),
      textWindow_(textWindow),
      process_(processId),
      initialWindows_(CollectTopWindowsOf(process_)),
      initialText_(ReadInitialWindowText(textWindow, &initialTextKnown_)),
      sampler_(textWindow != nullptr, initialWindows_.Count(), initialText_, initialTextKnown_),
      board_(initialWindows_.Count()),
      source_(process_, textWindow) {
    currentTest = this;
}

ConditionTest::~ConditionTest() {
    if (currentTest == this) currentTest = nullptr;
}

INT_PTR ConditionTest::Run() {
    if (process_.Opening() == WatchOpening::Refused) {
        // Without an owner: the wizard is minimised while the test runs.
        ShowErrorBox(kProcessNotWatchableText);
        return 0;
    }
    currentTest = this;
    return DialogBoxParamW(AppInstance(), MAKEINTRESOURCEW(kConditionTestDialog), owner_, ConditionTestProc, 0);
}

void ConditionTest::Show(int id, const WideString& text) {
    SetDlgItemTextW(dialog_, id, text.c_str());
}

void ConditionTest::OnInitDialog(HWND dialog) {
    dialog_ = dialog;
    ReportLastError(SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE), "SetWindowPos");
    SetSmallIcon(dialog, IDI_APP);
    AttachTooltip(dialog, GetDlgItem(dialog, kTestCpuEdit), WideString(L"たまに１００％を越すことがあります"));

    Show(kTestFileNameEdit, FileNamePart(path_));
    Show(kTestEndEdit, WideString(kVerdictNotMet));
    Show(kTestWindowsEdit, WideString());
    Show(kTestCpuEdit, WideString());
    Show(kTestTextEdit, initialText_);

    // The first sample covers the first second of the dialog.
    unsigned long long ignored = 0;
    process_.CpuDelta(&ignored);
    KillTimer(dialog, kTickTimer);
    ReportLastError(SetTimer(dialog, kTickTimer, kTickMs, nullptr) != 0, "SetTimer");
}

void ConditionTest::OnTimer(UINT_PTR timerId) {
    // A box shown during a tick runs a message loop of its own: no tick inside a tick.
    if (timerId != kTickTimer || ticking_) return;
    ticking_ = true;
    ConditionTestFields fields = board_.Apply(sampler_.Sample(source_, 0));
    if (fields.endShown) Show(kTestEndEdit, fields.end);
    if (fields.cpuShown) Show(kTestCpuEdit, fields.cpu);
    if (fields.windowsShown) Show(kTestWindowsEdit, fields.windows);
    if (fields.textShown) Show(kTestTextEdit, fields.text);
    ticking_ = false;
}
