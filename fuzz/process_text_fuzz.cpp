// Process and window texts: the paths, ids, times and rectangles that other processes and
// the system give, and the lines the program makes of them. A window rectangle is set by
// another process and may hold any 32-bit values; ids and thread ids are any 32-bit
// values; the texts any UTF-16 units.
#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <cwctype>
#include <map>
#include <memory>
#include <vector>

#include "app/paths.h"
#include "app/string_list.h"
#include "fuzz/fuzz_input.h"
#include "watch/condition_test_logic.h"
#include "watch/process_text.h"
#include "watch/process_watch_logic.h"
#include "watch/screen_note_lines.h"
#include "wizard/process_page_logic.h"
#include "wizard/window_tree_logic.h"

namespace {

RECT ReadRect(FuzzInput& input) {
    RECT rect;
    rect.left = input.Int32();
    rect.top = input.Int32();
    rect.right = input.Int32();
    rect.bottom = input.Int32();
    return rect;
}

WideString Decimal(long long value) {
    return WideString::FromInt(value);
}

void CheckEntryTexts(const ProcessEntry& entry) {
    WideString attribute = ProcessAttributeText(entry);
    WideString bits = attribute.Left(5);
    FUZZ_CHECK(bits.IsEmpty() || bits == WideString(L"16bit") || bits == WideString(L"32bit") ||
               bits == WideString(L"64bit") || bits == WideString(L" 昇格"));
    FUZZ_CHECK(attribute.Contains(L" 昇格") == (entry.record.elevation == 3));

    const WideString& path = entry.path;
    ProcessRowTexts row = MakeProcessRowTexts(entry);
    FUZZ_CHECK(row.name == FileNamePart(path));
    FUZZ_CHECK(row.pid.IsEmpty() == (entry.record.id <= 0));
    FUZZ_CHECK(row.pid.IsEmpty() || row.pid == Decimal(entry.record.id));
    if (path.FindLast(L'\\') >= 0) {
        // Folder and name make the path again; a drive folder keeps its backslash.
        FUZZ_CHECK_TEXTS(
            row.folder + L"\\" + row.name == path || (IsDriveRoot(row.folder) && row.folder + row.name == path), path,
            row.folder);
    } else {
        // A bare drive ("C:") gets its backslash back.
        FUZZ_CHECK(row.folder == path || (path.Length() == 2 && path.At(1) == L':' && row.folder == path + L"\\"));
    }

    FUZZ_CHECK(IsListedProcessPath(path) == ((path.At(1) == L':' && path.At(2) == L'\\') || path.StartsWith(L"\\\\")));
    if (IsVdmHostPath(path)) {
        WideString tail = path.Right(10);
        for (int i = 0; i < 10; ++i) {
            wint_t upper = std::towupper(static_cast<wint_t>(tail.At(i)));
            FUZZ_CHECK(upper == static_cast<wint_t>(WideString(L"\\NTVDM.EXE").At(i)));
        }
    }
    FUZZ_CHECK(!ListsTasksOf(false, path));
    FUZZ_CHECK(ListsTasksOf(true, path) == IsVdmHostPath(path));
}

void CheckTaskIds(const ProcessEntry& host, DWORD threadId, const WideString& fileName) {
    ProcessEntry task = MakeTaskEntry(host, threadId, fileName);
    FUZZ_CHECK(task.record.bitness == kBitness16 && task.path == fileName);
    FUZZ_CHECK(task.record.elevation == host.record.elevation);
    // Every thread id up to 0x80000000 has an identifier of 0 or below; one beyond that
    // range has none and gets 0, which names no task.
    FUZZ_CHECK(task.record.id <= 0);
    if (threadId <= 0x80000000u) FUZZ_CHECK(TaskThreadId(task.record.id) == threadId);
    if (threadId > 0x80000000u) FUZZ_CHECK(task.record.id == 0);
    FUZZ_CHECK(ProbeTargetOf(task.record.id, true) == ProbeTarget::TaskThread);
    FUZZ_CHECK(ProbeTargetOf(task.record.id, false) == ProbeTarget::Nothing);

    WideString line = ThreadLineText(threadId, true);
    FUZZ_CHECK(line == WideString(L"16bit thread id =") + Decimal(threadId));
    FUZZ_CHECK(ThreadLineText(threadId, false) == WideString(L"thread id =") + Decimal(threadId));
}

void CheckIdTexts(int id, DWORD processId, DWORD threadId, const WideString& path, int windows,
                  const WideString& start) {
    WideString info = ProcessInfoText(id, path, windows, start);
    StringList lines;
    SplitLines(info, lines);
    WideString first = id > 0 ? WideString(L"プロセスＩＤ：") + Decimal(id)
                              : WideString(L"16bit スレッドＩＤ：") + Decimal(TaskThreadId(id));
    FUZZ_CHECK_TEXTS(lines[0] == first, lines[0], first);
    FUZZ_CHECK(info.Contains(WideString(L"\nフルパス：") + path + L"\n親ウインドウ数：" + Decimal(windows)));
    FUZZ_CHECK(info.Right(start.Length() + 6) == WideString(L"\n開始時間：") + start);

    bool belongs = WindowBelongsToProcess(id, processId, threadId);
    if (processId == 0)
        FUZZ_CHECK(!belongs);
    else if (id > 0)
        FUZZ_CHECK(belongs == (processId == static_cast<DWORD>(id)));
    else
        FUZZ_CHECK(belongs == (id != 0 && threadId == TaskThreadId(id)));
}

void CheckCpuTexts(unsigned long long delta) {
    WideString percent = CpuPercentText(delta);
    int point = percent.Find(L".");
    FUZZ_CHECK(point > 0 && percent.Length() == point + 6);
    FUZZ_CHECK(percent.Left(point) == WideString(std::to_wstring(delta / 100000ull)));
    FUZZ_CHECK(percent.Mid(point + 1).IsDecimal());
    FUZZ_CHECK(static_cast<unsigned long long>(percent.Mid(point + 1).ToInt(-1)) == delta % 100000ull);

    WideString column = CpuColumnText(delta);
    long long rounded = column.ToInt(-1);
    FUZZ_CHECK(column.IsDecimal() && rounded >= 0 && rounded <= 100);
    FUZZ_CHECK(rounded == 100 || static_cast<unsigned long long>(rounded) == (delta + 50000ull) / 100000ull);
}

void CheckStartTime(const SYSTEMTIME& time) {
    WideString text = StartTimeText(time);
    FUZZ_CHECK(text.Length() < 64);  // the buffer it is formatted in
    const WORD fields[7] = {time.wYear,   time.wMonth,  time.wDay,         time.wHour,
                            time.wMinute, time.wSecond, time.wMilliseconds};
    const wchar_t separators[7] = {L'/', L'/', L' ', L':', L':', L'.', 0};
    const int widths[7] = {4, 2, 2, 2, 2, 2, 3};
    int pos = 0;
    for (int i = 0; i < 7; ++i) {
        int end = pos;
        while (end < text.Length() && text.At(end) != separators[i]) ++end;
        WideString digits = text.Piece(pos, end - 1);
        FUZZ_CHECK(digits.IsDecimal() && digits.Length() >= widths[i]);
        FUZZ_CHECK(digits.ToInt(-1) == fields[i]);
        pos = end + 1;
    }
    FUZZ_CHECK(pos == text.Length() + 1);
}

void CheckWindowRules(const RECT& rect, bool visible) {
    // A parent window of the watcher is exactly a window the tree lets the user choose.
    FUZZ_CHECK(CountsAsParentWindow(visible, rect) == CanChooseWindow(1, visible, rect));
    FUZZ_CHECK(CanChooseWindow(1, visible, rect) == !IsGreyWindow(visible, rect));
    FUZZ_CHECK(!CanChooseWindow(0, visible, rect));
    long long width = static_cast<long long>(rect.right) - rect.left;
    long long height = static_cast<long long>(rect.bottom) - rect.top;
    if (width >= 0 && height >= 0 && width <= 4 && height <= 4 && width * height <= 4)
        FUZZ_CHECK(!CountsAsParentWindow(visible, rect));
    if (width >= 3 && height >= 2 && visible) FUZZ_CHECK(CountsAsParentWindow(visible, rect));
}

class FuzzedWindows : public WindowFacts {
public:
    std::map<LONG_PTR, RECT> rects;
    std::map<LONG_PTR, bool> visible;
    std::map<LONG_PTR, WideString> classes;
    std::map<LONG_PTR, std::vector<DescendantWindow>> descendants;

    WideString ClassName(LONG_PTR window) override { return classes[window]; }
    void Rect(LONG_PTR window, RECT& rect) override {
        if (rects.count(window)) rect = rects[window];
    }
    bool IsVisible(LONG_PTR window) override { return visible[window]; }
    void Descendants(LONG_PTR window, std::vector<DescendantWindow>& list) override { list = descendants[window]; }
};

void CheckWindowTree(FuzzInput& input) {
    FuzzedWindows facts;
    StringList lines;
    std::vector<LONG_PTR> values;
    int count = input.IntIn(0, 12);
    for (int i = 0; i < count; ++i) {
        LONG_PTR window = input.IntIn(0, 6);
        lines.Add(input.Text());
        values.push_back(window);
        if (window == 0 || facts.classes.count(window)) continue;
        facts.classes[window] = input.Text();
        facts.rects[window] = ReadRect(input);
        facts.visible[window] = input.Flag();
        int children = input.IntIn(0, 6);
        for (int k = 0; k < children; ++k) {
            // Handles of descendants from 7 on; a parent may be any handle, itself included.
            LONG_PTR child = 7 + input.IntIn(0, 8);
            facts.descendants[window].push_back({child, input.IntIn(0, 15), input.Text()});
            facts.classes[child] = input.Text();
        }
    }
    if (!values.empty() && input.Flag()) values.pop_back();  // one value fewer than lines: the shorter one counts

    std::vector<TreeLine> tree = PlanWindowTree(lines, values, facts);
    size_t used = values.size() < static_cast<size_t>(lines.Count()) ? values.size() : lines.Count();
    size_t descendants = 0;
    for (size_t i = 0; i < used; ++i) descendants += values[i] ? facts.descendants[values[i]].size() : 0;
    FUZZ_CHECK(tree.size() >= used && tree.size() <= used + descendants);

    int thread = -1;
    for (size_t i = 0; i < tree.size(); ++i) {
        const TreeLine& line = tree[i];
        FUZZ_CHECK(line.parent < static_cast<int>(i));
        // A line's children follow it at once.
        bool parentOfNext = i + 1 < tree.size() && tree[i + 1].parent == static_cast<int>(i);
        bool parentOfAny = false;
        for (size_t k = i + 1; k < tree.size(); ++k) parentOfAny = parentOfAny || tree[k].parent == static_cast<int>(i);
        FUZZ_CHECK(parentOfNext == parentOfAny);
        switch (line.image) {
        case kThreadImage:
            FUZZ_CHECK(line.parent == -1 && line.window == 0);
            FUZZ_CHECK(line.hasChildren == parentOfNext);
            thread = static_cast<int>(i);
            break;
        case kWindowImage: {
            FUZZ_CHECK(line.parent == thread && line.window != 0);
            FUZZ_CHECK(line.hasChildren == !facts.descendants[line.window].empty());
            RECT rect = {0, 0, 0, 0};
            facts.Rect(line.window, rect);
            WideString corners = WideString(L"(") + Decimal(rect.left) + L"," + Decimal(rect.top) + L")-(" +
                                 Decimal(rect.right) + L"," + Decimal(rect.bottom) + L")";
            WideString ending = facts.visible[line.window] ? corners : corners + L"hidden";
            FUZZ_CHECK(line.text.StartsWith(WideString(L"{") + facts.classes[line.window] + L"}"));
            FUZZ_CHECK_TEXTS(line.text.Right(ending.Length()) == ending, line.text, ending);
            break;
        }
        case kChildImage:
            FUZZ_CHECK(line.parent >= 0 && tree[static_cast<size_t>(line.parent)].image != kThreadImage);
            FUZZ_CHECK(line.hasChildren == parentOfAny);
            FUZZ_CHECK(line.text.StartsWith(WideString(L"{") + facts.classes[line.window] + L"}"));
            break;
        default:
            FUZZ_CHECK(false);
        }
    }
}

int CompareOrdinal(const wchar_t* a, const wchar_t* b) {
    return std::wcscmp(a, b);
}

void CheckSort(FuzzInput& input) {
    std::vector<ProcessEntry> entries;
    std::vector<unsigned long long> cpu;
    int count = input.IntIn(0, 10);
    for (int i = 0; i < count; ++i) {
        ProcessEntry entry;
        entry.record.id = input.Int32();
        entry.record.bitness = input.IntIn(0, 3);
        entry.record.elevation = input.IntIn(1, 3);
        entry.path = input.Text();
        entries.push_back(entry);
        cpu.push_back(input.Number());
    }
    std::vector<int> rows;
    for (int i = 0; i < count; ++i) rows.push_back(count - 1 - i);
    int key = input.IntIn(-7, 7);
    std::vector<int> sorted = SortRows(
        rows, key, [&](int row) { return entries[static_cast<size_t>(row)]; },
        [&](int row) { return cpu[static_cast<size_t>(row)]; }, CompareOrdinal);
    FUZZ_CHECK(sorted.size() == rows.size());
    std::vector<bool> seen(rows.size(), false);
    for (int row : sorted) {
        FUZZ_CHECK(row >= 0 && row < count && !seen[static_cast<size_t>(row)]);
        seen[static_cast<size_t>(row)] = true;
    }
    int column = (key < 0 ? -key : key) - 1;
    if (column < 0 || column >= kProcessColumnCount) {
        FUZZ_CHECK(sorted == rows);
        return;
    }
    int direction = key < 0 ? -1 : 1;
    // The order of two neighbours by the column: negative, zero or positive.
    auto order = [&](int a, int b) -> int {
        const ProcessEntry& x = entries[static_cast<size_t>(a)];
        const ProcessEntry& y = entries[static_cast<size_t>(b)];
        ProcessRowTexts tx = MakeProcessRowTexts(x), ty = MakeProcessRowTexts(y);
        switch (column) {
        case kNameColumn:
            return CompareOrdinal(tx.name.c_str(), ty.name.c_str());
        case kAttributeColumn:
            return CompareOrdinal(tx.attribute.c_str(), ty.attribute.c_str());
        case kPidColumn: {
            long long p = x.record.id > 0 ? x.record.id : 0, q = y.record.id > 0 ? y.record.id : 0;
            return p < q ? -1 : (p > q ? 1 : 0);
        }
        case kCpuColumn: {
            unsigned long long p = cpu[static_cast<size_t>(a)], q = cpu[static_cast<size_t>(b)];
            return p > q ? -1 : (p < q ? 1 : 0);  // busiest first
        }
        default: {
            // The folder column sorts the path up to its last backslash.
            int i = x.path.FindLast(L'\\'), k = y.path.FindLast(L'\\');
            WideString fx = i < 0 ? x.path : x.path.Left(i), fy = k < 0 ? y.path : y.path.Left(k);
            return CompareOrdinal(fx.c_str(), fy.c_str());
        }
        }
    };
    auto positionIn = [&](int row) {
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i] == row) return static_cast<int>(i);
        return -1;
    };
    for (size_t i = 1; i < sorted.size(); ++i) {
        int relation = order(sorted[i - 1], sorted[i]) * direction;
        FUZZ_CHECK(relation <= 0);
        // Rows of equal keys keep the order they were shown in.
        if (relation == 0) FUZZ_CHECK(positionIn(sorted[i - 1]) < positionIn(sorted[i]));
    }
}

class FuzzedProcess : public ProcessSource {
public:
    explicit FuzzedProcess(FuzzInput& input) : input_(input) {}
    bool HasEnded() override { return input_.Flag(); }
    unsigned long long CpuDelta() override { return input_.Flag() ? input_.Number() : 0; }
    int CountParentWindows() override { return input_.Int32(); }
    bool ReadWatchedText(WideString& text) override {
        if (!input_.Flag()) return false;
        text = input_.Text();
        return true;
    }

private:
    FuzzInput& input_;
};

void CheckWatchSamples(FuzzInput& input) {
    int bits = input.Int32();
    bool hasText = input.Flag();
    int initialWindows = input.Int32();
    WideString initialText = input.Text();
    ProcessWatchDisplay display =
        MakeProcessWatchDisplay(initialText, bits, hasText, input.Int32(), initialText, hasText);
    FUZZ_CHECK(display.conditions.StartsWith(L"プロセス終了"));
    FUZZ_CHECK(display.conditions.Contains(L"指定文字列の変化") == hasText);
    FUZZ_CHECK(display.action.Right(initialText.Length()) == initialText);
    FUZZ_CHECK(display.fileName == FileNamePart(initialText));

    int stopAt = WatcherStopConditions(bits, hasText);
    FUZZ_CHECK((stopAt & kMetEnded) != 0 && (stopAt & ~15) == 0);
    ConditionSampler sampler(hasText, initialWindows, initialText, input.Flag());
    ConditionTestBoard board(initialWindows);
    FuzzedProcess process(input);
    int zeroRun = 0;
    bool endMet = false;
    for (int second = 0; second < 16 && !input.AtEnd(); ++second) {
        SecondSample sample = sampler.Sample(process, input.Flag() ? stopAt : 0);
        FUZZ_CHECK((sample.met & ~15) == 0);
        FUZZ_CHECK(!sample.met || (sample.met & (sample.met - 1)) == 0);  // sampling stops at the first
        if (sample.cpuSampled) zeroRun = sample.cpuDelta == 0 ? zeroRun + 1 : 0;
        FUZZ_CHECK(sampler.ZeroCpuCount() == zeroRun);
        FUZZ_CHECK(!sample.cpuSampled || sample.idle == (zeroRun >= kIdleSamplesToFire));
        FUZZ_CHECK(!sample.windowsSampled || sample.windowsChanged == (sample.windowCount != initialWindows));
        FUZZ_CHECK(!sample.textChanged || sample.textSampled);

        ConditionTestFields fields = board.Apply(sample);
        FUZZ_CHECK(fields.endShown == (sample.ended && !endMet));
        endMet = endMet || sample.ended;
        FUZZ_CHECK(board.EndMet() == endMet);
        FUZZ_CHECK(!fields.cpuShown || fields.cpu.StartsWith(CpuPercentText(sample.cpuDelta) + L"% "));
        FUZZ_CHECK(!fields.windowsShown || fields.windows.StartsWith(Decimal(initialWindows)));
        FUZZ_CHECK(!fields.textShown || fields.text == WideString(kVerdictMet) + L"(" + sample.text + L")");
    }
}

// The system as page 130's list sees it, answering from the input: which ids run, which
// of them can be read and with what path, and the tasks of a virtual DOS machine.
class FuzzedCatalog : public ProcessCatalog {
public:
    explicit FuzzedCatalog(FuzzInput& input) : input_(input) {}
    bool ListIds(std::vector<DWORD>& ids) override {
        if (input_.AtEnd() || !input_.Flag()) return false;
        ids.clear();
        int count = input_.IntIn(0, 8);
        for (int i = 0; i < count; ++i) ids.push_back(input_.UInt32());
        return true;
    }
    bool ReadEntry(DWORD id, ProcessEntry& entry) override {
        if (!input_.Flag()) return false;
        entry.record.id = static_cast<int>(id);
        entry.record.bitness = input_.IntIn(0, 3);
        entry.path = input_.Text();
        return true;
    }
    void ListTasks(const ProcessEntry& host, std::vector<ProcessEntry>& tasks) override {
        int count = input_.IntIn(0, 3);
        for (int i = 0; i < count; ++i) tasks.push_back(MakeTaskEntry(host, input_.UInt32(), input_.Text()));
    }
    std::unique_ptr<CpuSampler> MakeSampler(int) override { return nullptr; }

private:
    FuzzInput& input_;
};

void CheckProcessList(FuzzInput& input) {
    FuzzedCatalog catalog(input);
    ProcessListModel model(catalog);
    model.Reset();
    std::vector<int> ids;
    for (int i = 0; i < model.Count(); ++i) ids.push_back(model.Entry(i).record.id);
    for (int look = 0; look < 6 && !input.AtEnd(); ++look) {
        std::vector<bool> shown;
        for (int i = 0; i < model.Count(); ++i) shown.push_back(model.IsShown(i));
        int before = model.Count();
        ListChanges changes = model.Refresh();
        // Known entries keep their places; new ones come after them, each id once.
        FUZZ_CHECK(model.Count() >= before);
        for (int i = 0; i < before; ++i) FUZZ_CHECK(model.Entry(i).record.id == ids[static_cast<size_t>(i)]);
        FUZZ_CHECK(static_cast<int>(changes.added.size()) == model.Count() - before);
        for (size_t k = 0; k < changes.added.size(); ++k) FUZZ_CHECK(changes.added[k] == before + static_cast<int>(k));
        for (int i = before; i < model.Count(); ++i) {
            int id = model.Entry(i).record.id;
            FUZZ_CHECK(id != 0);  // a task without an identifier is not listed
            for (int known : ids) FUZZ_CHECK(known != id);
            ids.push_back(id);
        }
        for (int removed : changes.removed) {
            FUZZ_CHECK(removed >= 0 && removed < before && shown[static_cast<size_t>(removed)]);
            FUZZ_CHECK(!model.IsShown(removed));
        }
        FUZZ_CHECK(model.CpuDelta(model.Count(), true) == 0 && model.CpuDelta(-1, true) == 0);
    }
}

void CheckNoteLines(bool hold, const WideString& saved, int kind, const WideString& text) {
    StringList lines;
    lines.Add(L"left over");
    ComposeNoteLines(hold, saved, kind, text, lines);
    int expected = 3 + (hold ? 1 : 0) + (hold && !saved.IsEmpty() ? 1 : 0) + (kind >= 0 && kind <= 2 ? 1 : 0);
    FUZZ_CHECK(lines.Count() == expected);
    FUZZ_CHECK(lines[lines.Count() - 2] == text);
    FUZZ_CHECK(!hold || saved.IsEmpty() || lines[2] == WideString(L"\u3000元の設定 ") + saved);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    ProcessEntry entry;
    entry.path = input.Text();
    entry.record.id = input.Int32();
    entry.record.bitness = input.Int32();
    entry.record.elevation = input.Int32();
    entry.record.canTerminate = input.Flag();
    DWORD threadId = input.UInt32();
    DWORD processId = input.UInt32();
    WideString text = input.Text();
    unsigned long long delta = input.Number();
    SYSTEMTIME time;
    time.wYear = static_cast<WORD>(input.Number());
    time.wMonth = static_cast<WORD>(input.Number());
    time.wDayOfWeek = 0;
    time.wDay = static_cast<WORD>(input.Number());
    time.wHour = static_cast<WORD>(input.Number());
    time.wMinute = static_cast<WORD>(input.Number());
    time.wSecond = static_cast<WORD>(input.Number());
    time.wMilliseconds = static_cast<WORD>(input.Number());
    RECT rect = ReadRect(input);
    bool visible = input.Flag();

    CheckEntryTexts(entry);
    CheckTaskIds(entry, threadId, text);
    CheckIdTexts(entry.record.id, processId, threadId, entry.path, entry.record.bitness, text);
    CheckCpuTexts(delta);
    CheckStartTime(time);
    CheckWindowRules(rect, visible);
    CheckNoteLines(visible, text, entry.record.bitness, entry.path);
    CheckWindowTree(input);
    CheckSort(input);
    CheckWatchSamples(input);
    CheckProcessList(input);
    return 0;
}
