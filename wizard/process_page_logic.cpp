#include "wizard/process_page_logic.h"

#include <algorithm>
#include <cwchar>

#include "app/paths.h"

void ProcessListModel::Add(const ProcessEntry& entry) {
    positionOfId_[entry.record.id] = known_.Count();
    known_.Add(entry);
    samplers_.push_back(catalog_.MakeSampler(entry.record.id));
    shown_.push_back(true);
    ids_.push_back(entry.record.id);
    isHost_.push_back(IsVdmHostPath(entry.path));
}

// A virtual DOS machine comes after its 16-bit tasks, as in a full listing.
void ProcessListModel::AddWithTasks(const ProcessEntry& entry, std::set<int>& present) {
    if (IsVdmHostPath(entry.path)) {
        std::vector<ProcessEntry> tasks;
        catalog_.ListTasks(entry, tasks);
        for (const ProcessEntry& task : tasks) {
            present.insert(task.record.id);
            if (task.record.id != 0 && positionOfId_.count(task.record.id) == 0) Add(task);
        }
    }
    if (positionOfId_.count(entry.record.id) == 0) Add(entry);
}

bool ProcessListModel::TryRead(DWORD id, ProcessEntry& entry) {
    std::map<DWORD, int>::iterator refused = refusals_.find(id);
    if (refused != refusals_.end() && refused->second >= kReadAttempts) return false;
    if (catalog_.ReadEntry(id, entry)) {
        if (refused != refusals_.end()) refusals_.erase(refused);
        return true;
    }
    ++refusals_[id];
    return false;
}

void ProcessListModel::Reset() {
    known_.Clear();
    samplers_.clear();
    shown_.clear();
    ids_.clear();
    isHost_.clear();
    positionOfId_.clear();
    refusals_.clear();
    std::vector<DWORD> ids;
    if (!catalog_.ListIds(ids)) return;
    std::set<int> present;
    for (DWORD id : ids) {
        ProcessEntry entry;
        if (TryRead(id, entry)) AddWithTasks(entry, present);
    }
}

ListChanges ProcessListModel::Refresh() {
    ListChanges changes;
    std::vector<DWORD> ids;
    // Without a listing nothing is known to have changed.
    if (!catalog_.ListIds(ids)) return changes;
    int before = known_.Count();

    std::set<int> present;
    for (DWORD id : ids) {
        int processId = static_cast<int>(id);
        present.insert(processId);
        if (processId == 0) continue;
        std::map<int, int>::const_iterator position = positionOfId_.find(processId);
        if (position != positionOfId_.end()) {
            // A known host: its tasks come and go while it runs.
            size_t known = static_cast<size_t>(position->second);
            if (shown_[known] && isHost_[known]) AddWithTasks(known_.Entry(position->second), present);
            continue;
        }
        ProcessEntry entry;
        if (TryRead(id, entry)) AddWithTasks(entry, present);
    }
    for (int i = before; i < known_.Count(); ++i) changes.added.push_back(i);

    for (int i = 0; i < before; ++i) {
        int processId = ids_[static_cast<size_t>(i)];
        if (processId == 0 || !shown_[static_cast<size_t>(i)] || present.count(processId)) continue;
        shown_[static_cast<size_t>(i)] = false;
        changes.removed.push_back(i);
    }
    // An id given to a new process gets its chances again.
    for (std::map<DWORD, int>::iterator it = refusals_.begin(); it != refusals_.end();) {
        if (present.count(static_cast<int>(it->first)))
            ++it;
        else
            it = refusals_.erase(it);
    }
    return changes;
}

bool ProcessListModel::IsShown(int known) const {
    if (known < 0 || known >= Count()) return false;
    return shown_[static_cast<size_t>(known)];
}

unsigned long long ProcessListModel::CpuDelta(int known, bool update) {
    if (known < 0 || known >= Count() || !samplers_[static_cast<size_t>(known)]) return 0;
    return samplers_[static_cast<size_t>(known)]->CpuDelta(update);
}

namespace {

// The path up to its last backslash, the whole path without one.
WideString CutAtLastBackslash(const WideString& path) {
    int pos = path.FindLast(L'\\');
    return pos < 0 ? path : path.Left(pos);
}

int Sign(int value) {
    return value > 0 ? 1 : (value < 0 ? -1 : 0);
}

}  // namespace

ProcessRowTexts MakeProcessRowTexts(const ProcessEntry& entry) {
    ProcessRowTexts texts;
    texts.name = FileNamePart(entry.path);
    texts.attribute = ProcessAttributeText(entry);
    if (entry.record.id > 0) texts.pid = WideString::FromInt(entry.record.id);
    texts.folder = CutAtLastBackslash(entry.path);
    if (texts.folder.Length() == 2 && texts.folder.At(1) == L':') texts.folder.Append(L'\\');
    return texts;
}

WideString CpuColumnText(unsigned long long delta) {
    // Several busy processors would show more than one; the column stops at 100.
    const unsigned long long kFull = 100ull * 100000ull;
    if (delta >= kFull) return WideString(L"100");
    return WideString::FromInt(static_cast<long long>((delta + 50000ull) / 100000ull));
}

int NextSortKey(int sortKey, int column) {
    if (sortKey == column + 1) return -(column + 1);
    return column + 1;
}

bool ListWorkGate::TryBegin() {
    if (busy_) return false;
    busy_ = true;
    return true;
}

void ListWorkGate::Defer(int column) {
    deferred_.push_back(column);
}

bool ListWorkGate::NextDeferred(int* column) {
    if (deferred_.empty()) return false;
    *column = deferred_.front();
    deferred_.erase(deferred_.begin());
    return true;
}

void ListWorkGate::End() {
    busy_ = false;
}

std::vector<int> SortRows(const std::vector<int>& rows, int sortKey, const std::function<ProcessEntry(int)>& entryOf,
                          const std::function<unsigned long long(int)>& cpuOf, TextCompare compare) {
    int column = (sortKey < 0 ? -sortKey : sortKey) - 1;
    if (column < 0 || column >= kProcessColumnCount) return rows;
    int direction = sortKey < 0 ? -1 : 1;

    struct Keyed {
        int row;
        WideString text;
        unsigned long long number;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(rows.size());
    for (int row : rows) {
        Keyed k = {row, WideString(), 0};
        if (column == kCpuColumn) {
            k.number = cpuOf(row);
        } else {
            ProcessEntry entry = entryOf(row);
            switch (column) {
            case kNameColumn:
                k.text = FileNamePart(entry.path);
                break;
            case kAttributeColumn:
                k.text = ProcessAttributeText(entry);
                break;
            case kPidColumn:
                k.number = entry.record.id > 0 ? static_cast<unsigned long long>(entry.record.id) : 0;
                break;
            default:
                k.text = CutAtLastBackslash(entry.path);
                break;
            }
        }
        keyed.push_back(k);
    }

    auto order = [&](const Keyed& a, const Keyed& b) {
        int result;
        if (column == kCpuColumn)
            result = a.number < b.number ? 1 : (a.number > b.number ? -1 : 0);  // busiest first
        else if (column == kPidColumn)
            result = a.number > b.number ? 1 : (a.number < b.number ? -1 : 0);
        else
            result = Sign(compare(a.text.c_str(), b.text.c_str()));
        return direction * result < 0;
    };
    std::stable_sort(keyed.begin(), keyed.end(), order);

    std::vector<int> sorted;
    sorted.reserve(keyed.size());
    for (const Keyed& k : keyed) sorted.push_back(k.row);
    return sorted;
}

WideString ProcessInfoText(int id, const WideString& path, int parentWindows, const WideString& startTime) {
    WideString text(id > 0 ? L"プロセスＩＤ：" : L"16bit スレッドＩＤ：");
    text += WideString::FromInt(id > 0 ? id : -static_cast<long long>(id));
    text += WideString(L"\nフルパス：") + path;
    text += WideString(L"\n親ウインドウ数：") + WideString::FromInt(parentWindows);
    text += WideString(L"\n開始時間：") + startTime;
    return text;
}

bool WindowBelongsToProcess(int chosenId, DWORD windowProcessId, DWORD windowThreadId) {
    if (windowProcessId == 0) return false;
    if (chosenId > 0) return windowProcessId == static_cast<DWORD>(chosenId);
    return chosenId != 0 && windowThreadId == static_cast<DWORD>(-static_cast<long long>(chosenId));
}

int ConditionBitsFromChecks(bool windowCountChecked, bool idleCpuChecked) {
    return (windowCountChecked ? 1 : 0) + (idleCpuChecked ? 2 : 0);
}
