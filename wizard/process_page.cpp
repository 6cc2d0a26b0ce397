#include "wizard/process_page.h"

#include <commctrl.h>

#include "app/message_box.h"
#include "watch/process_query.h"
#include "wizard/dialog_helpers.h"
#include "wizard/wizard_logic.h"
#include "wizard/wizard_page.h"

namespace {

ProcessSelectionPage* currentProcessPage = nullptr;

const UINT_PTR kRefreshTimer = 0;
const UINT kRefreshMs = 1000;

}  // namespace

ProcessSelectionPage::ProcessSelectionPage(WizardContext& context)
    : context_(context), model_(catalog_), view_(model_) {
    currentProcessPage = this;
}

ProcessSelectionPage::~ProcessSelectionPage() {
    if (currentProcessPage == this) currentProcessPage = nullptr;
}

void ProcessSelectionPage::OnInitDialog(HWND page) {
    page_ = page;
    HWND list = GetDlgItem(page, kProcessList);
    AttachTooltip(page, list, WideString(L"ダブルクリックするとプロセスの情報を表示します"));
    view_.Attach(list);
}

void ProcessSelectionPage::OnSetActive() {
    int pid = context_.section->ReadInt(L"pid", 0);
    WideString path = context_.section->ReadString(L"filename", MAX_PATH, L"");
    view_.Fill(pid, path);
    KillTimer(page_, kRefreshTimer);
    ReportLastError(SetTimer(page_, kRefreshTimer, kRefreshMs, nullptr) != 0, "SetTimer");
    UpdateButtons();
}

void ProcessSelectionPage::OnKillActive() {
    KillTimer(page_, kRefreshTimer);
}

void ProcessSelectionPage::OnTimer(UINT_PTR timerId) {
    if (timerId != kRefreshTimer) return;
    // Dropped by the list while a sort or another refresh runs.
    view_.Refresh();
    UpdateButtons();
}

void ProcessSelectionPage::OnColumnClick(int column) {
    view_.SortByColumn(column);
    UpdateButtons();
}

void ProcessSelectionPage::OnDoubleClick() {
    int known = view_.SelectedProcess();
    if (known < 0) return;
    ProcessEntry entry = model_.Entry(known);
    ProcessProbe probe(entry.record.id);
    TopWindowList windows;
    probe.CollectTopWindows(windows);
    ShowInfoBox(ProcessInfoText(entry.record.id, entry.path, windows.Count(), ProcessStartTimeText(entry.record.id)),
                page_);
}

void ProcessSelectionPage::UpdateButtons() {
    PostWizardButtons(page_, view_.SelectedProcess() >= 0 ? PSWIZB_BACK | PSWIZB_NEXT : PSWIZB_BACK);
}

int ProcessSelectionPage::OnWizardNext() {
    int known = view_.SelectedProcess();
    if (known < 0) return kStayOnPage;
    ProcessEntry entry = model_.Entry(known);
    SettingSection& section = *context_.section;
    if (!section.WriteInt(L"pid", entry.record.id) || !section.WriteString(L"filename", entry.path))
        return kConditionsPageId;
    // A window chosen for another process must not be watched for this one.
    HWND chosen = TextToWindowHandle(section.ReadString(L"PCHandle", MAX_PATH, L""));
    if (chosen) {
        DWORD owner = 0;
        DWORD thread = GetWindowThreadProcessId(chosen, &owner);
        if (!WindowBelongsToProcess(entry.record.id, owner, thread)) section.WriteString(L"PCHandle", L"0");
    }
    return kConditionsPageId;
}

INT_PTR CALLBACK ProcessPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    ProcessSelectionPage* processPage = currentProcessPage;
    if (!processPage) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        processPage->OnInitDialog(page);
        return TRUE;
    case WM_TIMER:
        processPage->OnTimer(static_cast<UINT_PTR>(wParam));
        return TRUE;
    case WM_DESTROY:
        processPage->OnKillActive();
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == kProcessList) {
            switch (header->code) {
            case LVN_COLUMNCLICK:
                processPage->OnColumnClick(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
                return TRUE;
            case NM_DBLCLK:
                processPage->OnDoubleClick();
                return TRUE;
            case NM_CLICK:
                processPage->UpdateButtons();
                return TRUE;
            case LVN_GETDISPINFOW:
                processPage->OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
                return TRUE;
            default:
                return FALSE;
            }
        }
        switch (header->code) {
        case PSN_SETACTIVE:
            processPage->OnSetActive();
            return AnswerPageNotification(page, 0);
        case PSN_KILLACTIVE:
            processPage->OnKillActive();
            return AnswerPageNotification(page, FALSE);
        case PSN_WIZNEXT:
            return AnswerPageNotification(page, processPage->OnWizardNext());
        case PSN_WIZBACK:
            return AnswerPageNotification(page, kModePageId);
        case PSN_QUERYCANCEL:
            return AnswerQueryCancel(page);
        default:
            return FALSE;
        }
    }
    default:
        return FALSE;
    }
}
