#include "wizard/process_list_view.h"

#include <commctrl.h>
#include <psapi.h>

#include "app/message_box.h"
#include "watch/process_query.h"

namespace {

class ProbeSampler : public CpuSampler {
public:
    explicit ProbeSampler(int id) : probe_(id) {}
    unsigned long long CpuDelta(bool update) override { return probe_.CpuDelta(update); }

private:
    ProcessProbe probe_;
};

struct ColumnSpec {
    const wchar_t* title;
    int width;
    int format;
};
const ColumnSpec kColumns[kProcessColumnCount] = {{L"イメージ名", 100, LVCFMT_LEFT},
                                                  {L"属性", 40, LVCFMT_LEFT},
                                                  {L"PID", 45, LVCFMT_RIGHT},
                                                  {L"ディレクトリ", 230, LVCFMT_LEFT},
                                                  {L"CPU", 30, LVCFMT_RIGHT}};

int CALLBACK CompareByRank(LPARAM a, LPARAM b, LPARAM ranks) {
    const std::vector<int>& rank = *reinterpret_cast<const std::vector<int>*>(ranks);
    return rank[static_cast<size_t>(a)] - rank[static_cast<size_t>(b)];
}

// The system's text order, as the list's user reads it.
int CompareTexts(const wchar_t* a, const wchar_t* b) {
    return lstrcmpW(a, b);
}

void SetCellText(HWND list, int row, int column, const WideString& text) {
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

bool SystemProcessCatalog::ListIds(std::vector<DWORD>& ids) {
    bool listed = CollectProcessIds(
        [](DWORD* buffer, DWORD bytes, DWORD* returned) { return K32EnumProcesses(buffer, bytes, returned) != FALSE; },
        ids);
    if (!listed && !listingFailureShown_) {
        listingFailureShown_ = true;
        ReportLastError(FALSE, "EnumProcesses");
    }
    return listed;
}

bool SystemProcessCatalog::ReadEntry(DWORD id, ProcessEntry& entry) {
    return ReadListedProcess(id, entry);
}

void SystemProcessCatalog::ListTasks(const ProcessEntry& host, std::vector<ProcessEntry>& tasks) {
    ListVdmTaskEntries(host, tasks);
}

std::unique_ptr<CpuSampler> SystemProcessCatalog::MakeSampler(int id) {
    return std::unique_ptr<CpuSampler>(new ProbeSampler(id));
}

void ProcessListView::Attach(HWND list) {
    list_ = list;
    DWORD styles = static_cast<DWORD>(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, styles | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < kProcessColumnCount; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = kColumns[i].format;
        column.cx = kColumns[i].width;
        column.pszText = const_cast<wchar_t*>(kColumns[i].title);
        column.iSubItem = i;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

void ProcessListView::InsertRow(int known) {
    ProcessRowTexts texts = MakeProcessRowTexts(model_.Entry(known));
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(order_.size());
    item.pszText = const_cast<wchar_t*>(texts.name.c_str());
    item.lParam = known;
    int row = static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return;
    order_.insert(order_.begin() + row, known);
    SetCellText(list_, row, kAttributeColumn, texts.attribute);
    SetCellText(list_, row, kPidColumn, texts.pid);
    SetCellText(list_, row, kFolderColumn, texts.folder);
    // The list asks for the CPU value when it paints it.
    LVITEMW cpu = {};
    cpu.iSubItem = kCpuColumn;
    cpu.pszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cpu));
}

int ProcessListView::RowOf(int known) const {
    for (size_t row = 0; row < order_.size(); ++row) {
        if (order_[row] == known) return static_cast<int>(row);
    }
    return -1;
}

void ProcessListView::DeleteRow(int known) {
    int row = RowOf(known);
    if (row < 0) return;
    if (SendMessageW(list_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0)) order_.erase(order_.begin() + row);
}

int ProcessListView::SelectedProcess() const {
    int row = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0 || row >= static_cast<int>(order_.size())) return -1;
    return order_[static_cast<size_t>(row)];
}

void ProcessListView::Sort(const std::function<unsigned long long(int)>& cpuOf) {
    std::vector<int> sorted = SortRows(
        order_, sortKey_, [this](int known) { return model_.Entry(known); }, cpuOf, CompareTexts);
    rank_.assign(static_cast<size_t>(model_.Count()), 0);
    for (size_t i = 0; i < sorted.size(); ++i) rank_[static_cast<size_t>(sorted[i])] = static_cast<int>(i);
    if (SendMessageW(list_, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&rank_), reinterpret_cast<LPARAM>(CompareByRank)))
        order_ = sorted;
}

void ProcessListView::ShowCpu() {
    bool changed = false;
    for (int known : order_) {
        WideString text = CpuColumnText(deltas_[static_cast<size_t>(known)]);
        if (text == cpuShown_[static_cast<size_t>(known)]) continue;
        cpuShown_[static_cast<size_t>(known)] = text;
        changed = true;
    }
    // The shown rows ask for their new values when they are painted.
    if (changed) InvalidateRect(list_, nullptr, FALSE);
}

void ProcessListView::OnGetDispInfo(NMLVDISPINFOW& info) const {
    if (!(info.item.mask & LVIF_TEXT) || info.item.iSubItem != kCpuColumn || !info.item.pszText ||
        info.item.cchTextMax <= 0)
        return;
    info.item.pszText[0] = L'\0';
    if (info.item.iItem < 0 || info.item.iItem >= static_cast<int>(order_.size())) return;
    const WideString& text = cpuShown_[static_cast<size_t>(order_[static_cast<size_t>(info.item.iItem)])];
    lstrcpynW(info.item.pszText, text.c_str(), info.item.cchTextMax);
}

void ProcessListView::Fill(int selectId, const WideString& selectPath) {
    model_.Reset();
    // The rows go in with the list's drawing off: otherwise the list updates itself at
    // every row, which costs more than listing the processes does.
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    order_.clear();
    deltas_.assign(static_cast<size_t>(model_.Count()), 0);
    cpuShown_.assign(static_cast<size_t>(model_.Count()), WideString());
    int chosen = -1;
    for (int known = 0; known < model_.Count(); ++known) {
        InsertRow(known);
        ProcessEntry entry = model_.Entry(known);
        if (entry.record.id == selectId && entry.path == selectPath) chosen = known;
    }
    sortKey_ = kInitialSortKey;
    Sort([](int) { return 0ull; });
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
    if (chosen < 0) return;
    int row = RowOf(chosen);
    if (row < 0) return;
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void ProcessListView::Refresh() {
    if (!gate_.TryBegin()) return;
    RefreshRows();
    RunDeferredSorts();
    gate_.End();
}

void ProcessListView::SortByColumn(int column) {
    if (!gate_.TryBegin()) {
        gate_.Defer(column);
        return;
    }
    SortRowsBy(column);
    RunDeferredSorts();
    gate_.End();
}

void ProcessListView::RunDeferredSorts() {
    int column = 0;
    while (gate_.NextDeferred(&column)) SortRowsBy(column);
}

void ProcessListView::RefreshRows() {
    ListChanges changes = model_.Refresh();
    deltas_.resize(static_cast<size_t>(model_.Count()), 0);
    cpuShown_.resize(static_cast<size_t>(model_.Count()));
    for (int known : changes.added) InsertRow(known);
    for (int known : changes.removed) DeleteRow(known);

    // One look at each process's times serves both the CPU sort and the CPU column.
    for (int known : order_) deltas_[static_cast<size_t>(known)] = model_.CpuDelta(known, true);
    bool byCpu = sortKey_ == kCpuColumn + 1 || sortKey_ == -(kCpuColumn + 1);
    // Other keys never change for a known process: only new rows can move.
    if (byCpu || !changes.added.empty()) Sort([this](int known) { return deltas_[static_cast<size_t>(known)]; });
    ShowCpu();
}

void ProcessListView::SortRowsBy(int column) {
    sortKey_ = NextSortKey(sortKey_, column);
    // The time used since the last refresh, read once per row.
    Sort([this](int known) { return model_.CpuDelta(known, false); });
}
