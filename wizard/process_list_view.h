// The live process list of page 130 in its list view: filled when the page is entered,
// then refreshed in place once a second, sorted by a column in either direction.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <vector>

#include "app/wide_string.h"
#include "wizard/process_page_logic.h"

// The running system behind the list: ids from the system's process list, entries read
// once per process, samplers that are ProcessProbes.
class SystemProcessCatalog : public ProcessCatalog {
public:
    // A listing that fails is reported once for the life of the catalog: the list asks
    // every second, and a box each time would hold every refresh after it.
    bool ListIds(std::vector<DWORD>& ids) override;
    bool ReadEntry(DWORD id, ProcessEntry& entry) override;
    void ListTasks(const ProcessEntry& host, std::vector<ProcessEntry>& tasks) override;
    std::unique_ptr<CpuSampler> MakeSampler(int id) override;

private:
    bool listingFailureShown_ = false;
};

class ProcessListView {
public:
    explicit ProcessListView(ProcessListModel& model) : model_(model) {}
    ProcessListView(const ProcessListView&) = delete;
    ProcessListView& operator=(const ProcessListView&) = delete;

    // Adds the extended styles and the five columns to a list view in report mode.
    void Attach(HWND list);
    HWND List() const { return list_; }

    // Lists every process afresh, sorts by image name and selects (and shows) the row of
    // the process with this id and exactly this path, if it is listed.
    void Fill(int selectId, const WideString& selectPath);
    // Adds the new processes, removes the ended ones, sorts and rewrites the CPU column.
    // Dropped when it comes while the list is being refreshed or sorted (from the message
    // loop of a box that work shows).
    void Refresh();
    // A click on a column header. One that comes while the list is being refreshed or
    // sorted is sorted by once that work has ended.
    void SortByColumn(int column);
    // The list asks for the text of a CPU cell (LVN_GETDISPINFOW).
    void OnGetDispInfo(NMLVDISPINFOW& info) const;

    int SortKey() const { return sortKey_; }
    // The known position of the selected row, or -1.
    int SelectedProcess() const;
    // The known positions of the rows in the order shown.
    const std::vector<int>& RowsInOrder() const { return order_; }

private:
    void InsertRow(int known);
    void DeleteRow(int known);
    int RowOf(int known) const;
    // Sorts by the current key; CPU values come from cpuOf.
    void Sort(const std::function<unsigned long long(int)>& cpuOf);
    void ShowCpu();
    void RefreshRows();
    void SortRowsBy(int column);
    // Sorts by the clicks kept while the list was busy; the list is still busy meanwhile.
    void RunDeferredSorts();

    ProcessListModel& model_;
    ListWorkGate gate_;
    HWND list_ = nullptr;
    int sortKey_ = kInitialSortKey;
    std::vector<int> order_;                  // the known position of each row, as shown
    std::vector<int> rank_;                   // by known position, during a sort
    std::vector<unsigned long long> deltas_;  // by known position, from the last refresh
    std::vector<WideString> cpuShown_;        // by known position, what the CPU column shows
};
