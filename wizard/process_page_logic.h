// The process list of page 130 apart from its list view: which processes are known, what
// a refresh adds and removes, the texts of the columns, the order of a sort and the texts
// of the information box.
#pragma once

#include "app/portable_types.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "app/wide_string.h"
#include "watch/process_text.h"

// The processor time of one known process.
class CpuSampler {
public:
    virtual ~CpuSampler() = default;
    // Time used since the baseline (100 ns units); with update the baseline moves forward.
    virtual unsigned long long CpuDelta(bool update) = 0;
};

// The system as the process list sees it.
class ProcessCatalog {
public:
    virtual ~ProcessCatalog() = default;
    // The ids of all running processes; false when they could not be listed.
    virtual bool ListIds(std::vector<DWORD>& ids) = 0;
    // The entry of one process; false when it is not listed (it cannot be opened, or its
    // path is neither a drive nor a network path).
    virtual bool ReadEntry(DWORD id, ProcessEntry& entry) = 0;
    // The 16-bit tasks of a virtual DOS machine host (32-bit build only).
    virtual void ListTasks(const ProcessEntry& host, std::vector<ProcessEntry>& tasks) = 0;
    // A sampler whose baseline is taken now.
    virtual std::unique_ptr<CpuSampler> MakeSampler(int id) = 0;
};

// Positions of known processes that a refresh added and removed.
struct ListChanges {
    std::vector<int> added;
    std::vector<int> removed;
};

// Every process listed since the list was last reset, in the order first seen. An entry
// stays after its process has ended, so positions never change and an id once known is
// not added again. A refresh lists the ids and reads only the processes it does not know.
class ProcessListModel {
public:
    explicit ProcessListModel(ProcessCatalog& catalog) : catalog_(catalog) {}

    // Forgets everything and lists every process afresh, each with a new sampler.
    void Reset();
    // Adds the processes that appeared and marks those that are gone.
    ListChanges Refresh();

    int Count() const { return known_.Count(); }
    ProcessEntry Entry(int known) const { return known_.Entry(known); }
    // Still listed at the last look.
    bool IsShown(int known) const;
    // The sampler's delta; 0 for a position that is not known.
    unsigned long long CpuDelta(int known, bool update);

    // A process that could not be read is asked again at this many looks, then no longer
    // while its id stays in use (one just started may not show its path yet).
    static constexpr int kReadAttempts = 3;

private:
    void Add(const ProcessEntry& entry);
    void AddWithTasks(const ProcessEntry& entry, std::set<int>& present);
    bool TryRead(DWORD id, ProcessEntry& entry);

    ProcessCatalog& catalog_;
    ProcessList known_;
    std::vector<std::unique_ptr<CpuSampler>> samplers_;
    std::vector<bool> shown_;
    std::vector<int> ids_;      // by position, beside the entries
    std::vector<bool> isHost_;  // by position: a virtual DOS machine
    std::map<int, int> positionOfId_;
    std::map<DWORD, int> refusals_;  // ids that could not be read, with their failed looks
};

// The columns of the list.
const int kNameColumn = 0;
const int kAttributeColumn = 1;
const int kPidColumn = 2;
const int kFolderColumn = 3;
const int kCpuColumn = 4;
const int kProcessColumnCount = 5;
// The sort when the page is entered: image name, ascending.
const int kInitialSortKey = 1;

struct ProcessRowTexts {
    WideString name;       // after the last backslash, or the whole path
    WideString attribute;  // ProcessAttributeText
    WideString pid;        // decimal; empty for a 16-bit task
    WideString folder;     // before the last backslash; a bare drive gets its backslash back
};
ProcessRowTexts MakeProcessRowTexts(const ProcessEntry& entry);
// A delta of one second as the rounded percent of one processor, at most 100.
WideString CpuColumnText(unsigned long long delta);

// The sort key after a click on a column: the same column again turns the direction, any
// other column sorts by it in its first direction.
int NextSortKey(int sortKey, int column);

// Keeps the refresh and the sort of the list from running inside each other. Both read
// the system and may show a box, whose message loop delivers the next tick or a column
// click while the list is half done. A tick that comes then is dropped (the next tick
// refreshes); a column click is kept and sorted by when the running work has ended.
class ListWorkGate {
public:
    // True when the work may start now; false while other work of the list runs.
    bool TryBegin();
    // A click that came while the list was busy.
    void Defer(int column);
    // The next kept click, in the order they came; false when none is left.
    bool NextDeferred(int* column);
    void End();
    bool Busy() const { return busy_; }

private:
    bool busy_ = false;
    std::vector<int> deferred_;
};

using TextCompare = int (*)(const wchar_t*, const wchar_t*);
// The rows (positions of known processes) in their new order. rows is the order shown
// now, which decides between rows of equal keys. Key +-1 image name, +-2 attribute, +-3
// id (a 16-bit task as 0), +-4 folder, +-5 CPU; a positive key sorts texts and ids
// ascending and CPU busiest first. cpuOf is asked once per row, and only for CPU.
std::vector<int> SortRows(const std::vector<int>& rows, int sortKey, const std::function<ProcessEntry(int)>& entryOf,
                          const std::function<unsigned long long(int)>& cpuOf, TextCompare compare);

// The information box of a process: id (a 16-bit task's thread id), path, parent windows
// and start time.
WideString ProcessInfoText(int id, const WideString& path, int parentWindows, const WideString& startTime);

// True when the window of the given owner belongs to the chosen process (for a 16-bit
// task: to its thread). A window that no longer exists has owner 0 and belongs to none.
bool WindowBelongsToProcess(int chosenId, DWORD windowProcessId, DWORD windowThreadId);

// PCParam as page 140 writes it: bit 0 for the parent-window box, bit 1 for the idle box.
int ConditionBitsFromChecks(bool windowCountChecked, bool idleCpuChecked);
