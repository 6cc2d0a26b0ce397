// Process entries and lists, and the texts and rules of process and window inspection that
// need no system call: the listing filter, the attribute and CPU texts, the window filter.
#pragma once

#include "app/portable_types.h"

#include <functional>
#include <vector>

#include "app/string_list.h"
#include "app/wide_string.h"

// 0 unknown, 1 16-bit task, 2 32-bit process, 3 64-bit process.
enum ProcessBitness { kBitnessUnknown = 0, kBitness16 = 1, kBitness32 = 2, kBitness64 = 3 };

// A process is named by a signed identifier: above 0 a process id, 0 or below the negated
// thread id of a 16-bit task.
struct ProcessRecord {
    int id = 0;
    int bitness = kBitnessUnknown;
    int elevation = 0;  // ElevationState; 0 when the token could not be read
    bool canTerminate = false;
};

struct ProcessEntry {
    ProcessRecord record;
    WideString path;
};

// Listed processes in enumeration order: the paths and, at the same positions, the records.
class ProcessList {
public:
    ProcessList() : paths_(false) { records_.reserve(kGrowStep); }
    void Clear();
    void Add(const ProcessEntry& entry);
    int Count() const { return static_cast<int>(records_.size()); }
    // The entry at index, or an empty entry outside the list.
    ProcessEntry Entry(int index) const;
    const StringList& Paths() const { return paths_; }

    static const int kGrowStep = 100;

private:
    StringList paths_;
    std::vector<ProcessRecord> records_;
};

// The ids of all processes, from a call shaped like K32EnumProcesses (buffer, size in bytes,
// bytes returned). The buffer starts at 4,096 ids and doubles while the call fills it
// completely. Every call takes a picture of all the system's processes and threads, the
// bulk of a listing's cost, so the first buffer is large enough for nearly every system.
// False when a call failed (nothing is returned then).
using ProcessIdSource = std::function<bool(DWORD* ids, DWORD bufferBytes, DWORD* bytesReturned)>;
bool CollectProcessIds(const ProcessIdSource& source, std::vector<DWORD>& ids);
const DWORD kInitialIdBufferBytes = 4096 * sizeof(DWORD);

// A drive path ("C:\...") or a network path ("\\server\...") is listed; anything else is not.
bool IsListedProcessPath(const WideString& path);
// The path a process is listed under: its image name as the least access gives it, or,
// only when that is not a listed path, the path of its main module; empty when neither is.
WideString ListedPathOf(const WideString& imageName, const std::function<WideString()>& mainModulePath);
// True when the path names the virtual DOS machine host (ends in "\NTVDM.EXE", any case).
bool IsVdmHostPath(const WideString& path);
// Whether the listing asks a process for its 16-bit tasks: only the 32-bit build does, and
// only of the virtual DOS machine host.
bool ListsTasksOf(bool thirtyTwoBitBuild, const WideString& path);

// What a process identifier names in a build: a process (above 0), or the thread of a
// 16-bit task (0 or below, 32-bit build); in the 64-bit build 0 or below names nothing.
enum class ProbeTarget { Process, TaskThread, Nothing };
ProbeTarget ProbeTargetOf(int id, bool thirtyTwoBitBuild);

// "16bit", "32bit" or "64bit" by bitness (nothing when unknown), then " 昇格" when elevated.
WideString ProcessAttributeText(const ProcessEntry& entry);
// The delta (100 ns units per one-second sample) as percent of one processor: the delta
// divided by 100000, a point, and the remainder as five digits ("12.34567").
WideString CpuPercentText(unsigned long long delta);
// Local time as "2024/03/05 09:07:02.045".
WideString StartTimeText(const SYSTEMTIME& time);

// A visible window larger than 4 pixels in area counts as a parent window of its process.
// The rectangle is another process's to set: its area is worked out beyond 32 bits.
bool CountsAsParentWindow(bool visible, const RECT& rect);

// Lines of the thread and window list: "thread id =4312", "16bit thread id =1234".
WideString ThreadLineText(DWORD threadId, bool task);

// The identifier of a 16-bit task: its thread id negated. Every thread id up to 0x80000000
// has one (0x80000000 gives the smallest 32-bit value); a thread id beyond that has none
// and gets 0, which names no task, so that it is never taken for a process id.
int TaskIdOfThread(DWORD threadId);
// The thread id that a task's identifier (0 or below) names.
DWORD TaskThreadId(int id);

// The entry of one 16-bit task inside a virtual DOS machine: the negated thread id,
// bitness 1, the host's elevation and terminate right, and the task's file name.
ProcessEntry MakeTaskEntry(const ProcessEntry& host, DWORD threadId, const WideString& fileName);
