#include "watch/process_text.h"

#include <cstdint>
#include <cwchar>

void ProcessList::Clear() {
    paths_.Clear();
    records_.clear();
}

void ProcessList::Add(const ProcessEntry& entry) {
    if (records_.size() == records_.capacity()) records_.reserve(records_.size() + kGrowStep);
    paths_.Add(entry.path);
    records_.push_back(entry.record);
}

ProcessEntry ProcessList::Entry(int index) const {
    ProcessEntry entry;
    if (index < 0 || index >= Count()) return entry;
    entry.record = records_[static_cast<size_t>(index)];
    entry.path = paths_.At(index);
    return entry;
}

bool CollectProcessIds(const ProcessIdSource& source, std::vector<DWORD>& ids) {
    DWORD bufferBytes = kInitialIdBufferBytes;
    for (;;) {
        std::vector<DWORD> buffer(bufferBytes / sizeof(DWORD));
        DWORD returned = 0;
        if (!source(buffer.data(), bufferBytes, &returned)) return false;
        if (returned < bufferBytes) {
            buffer.resize(returned / sizeof(DWORD));
            ids.swap(buffer);
            return true;
        }
        // A full buffer may have cut the list short.
        if (bufferBytes > 0x7FFFFFFFu / 2) return false;
        bufferBytes *= 2;
    }
}

bool IsListedProcessPath(const WideString& path) {
    if (path.At(1) == L':' && path.At(2) == L'\\') return true;
    return path.At(0) == L'\\' && path.At(1) == L'\\';
}

WideString ListedPathOf(const WideString& imageName, const std::function<WideString()>& mainModulePath) {
    if (IsListedProcessPath(imageName)) return imageName;
    WideString modulePath = mainModulePath();
    return IsListedProcessPath(modulePath) ? modulePath : WideString();
}

bool IsVdmHostPath(const WideString& path) {
    const wchar_t* host = L"\\NTVDM.EXE";
    if (path.Length() < 10) return false;
    WideString tail = path.Right(10);
    for (int i = 0; i < 10; ++i) {
        wchar_t ch = tail.At(i);
        if (ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - L'a' + L'A');
        if (ch != host[i]) return false;
    }
    return true;
}

WideString ProcessAttributeText(const ProcessEntry& entry) {
    WideString text;
    switch (entry.record.bitness) {
    case kBitness16:
        text.Append(L"16bit");
        break;
    case kBitness32:
        text.Append(L"32bit");
        break;
    case kBitness64:
        text.Append(L"64bit");
        break;
    default:
        break;
    }
    if (entry.record.elevation == 3) text.Append(L" 昇格");
    return text;
}

WideString CpuPercentText(unsigned long long delta) {
    wchar_t text[48];
    swprintf(text, 48, L"%llu.%05u", delta / 100000ull, static_cast<unsigned>(delta % 100000ull));
    return WideString(text);
}

WideString StartTimeText(const SYSTEMTIME& time) {
    wchar_t text[64];
    swprintf(text, 64, L"%04d/%02d/%02d %02d:%02d:%02d.%03d", time.wYear, time.wMonth, time.wDay, time.wHour,
             time.wMinute, time.wSecond, time.wMilliseconds);
    return WideString(text);
}

bool CountsAsParentWindow(bool visible, const RECT& rect) {
    if (!visible) return false;
    long long width = static_cast<long long>(rect.right) - rect.left;
    long long height = static_cast<long long>(rect.bottom) - rect.top;
    // Each side lies within 2^32 - 1, so the product of their sizes fits 64 unsigned bits.
    if (width == 0 || height == 0 || (width < 0) != (height < 0)) return false;
    unsigned long long w = static_cast<unsigned long long>(width < 0 ? -width : width);
    unsigned long long h = static_cast<unsigned long long>(height < 0 ? -height : height);
    return w * h > 4;
}

WideString ThreadLineText(DWORD threadId, bool task) {
    WideString text(task ? L"16bit thread id =" : L"thread id =");
    return text + WideString::FromInt(static_cast<long long>(threadId));
}

bool ListsTasksOf(bool thirtyTwoBitBuild, const WideString& path) {
    return thirtyTwoBitBuild && IsVdmHostPath(path);
}

ProbeTarget ProbeTargetOf(int id, bool thirtyTwoBitBuild) {
    if (id > 0) return ProbeTarget::Process;
    return thirtyTwoBitBuild ? ProbeTarget::TaskThread : ProbeTarget::Nothing;
}

int TaskIdOfThread(DWORD threadId) {
    if (threadId > 0x80000000u) return 0;
    // Negated in 64 bits: 0x80000000 gives the smallest int without an overflow.
    return static_cast<int>(-static_cast<int64_t>(threadId));
}

DWORD TaskThreadId(int id) {
    return static_cast<DWORD>(0u - static_cast<DWORD>(id));
}

ProcessEntry MakeTaskEntry(const ProcessEntry& host, DWORD threadId, const WideString& fileName) {
    ProcessEntry task;
    task.record.id = TaskIdOfThread(threadId);
    task.record.bitness = kBitness16;
    task.record.elevation = host.record.elevation;
    task.record.canTerminate = host.record.canTerminate;
    task.path = fileName;
    return task;
}
