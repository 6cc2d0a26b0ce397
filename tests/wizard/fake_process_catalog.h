// A process table given by the test, behind the interface the process list reads. Counts
// how often it is asked, so that tests see what a refresh reads.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "wizard/process_page_logic.h"

class FakeProcessCatalog : public ProcessCatalog {
public:
    struct Process {
        ProcessEntry entry;
        bool readable = true;
        std::vector<ProcessEntry> tasks;  // a virtual DOS machine's 16-bit tasks
    };

    // Processes in the order the system lists them.
    std::vector<Process> running;
    bool listingFails = false;
    // CPU deltas the samplers report, by id (0 when absent).
    std::map<int, unsigned long long> cpu;
    int listCalls = 0, readCalls = 0, taskCalls = 0, cpuReads = 0, samplersMade = 0;
    // Runs once at the next CPU read, as the message loop of a box shown there would run
    // what is queued; cleared before it runs.
    std::function<void()> atNextCpuRead;

    void Start(int id, const wchar_t* path, int bitness = kBitness64, int elevation = 1) {
        Process process;
        process.entry.record.id = id;
        process.entry.record.bitness = bitness;
        process.entry.record.elevation = elevation;
        process.entry.path = path;
        running.push_back(process);
    }
    void End(int id) {
        for (size_t i = 0; i < running.size(); ++i) {
            if (running[i].entry.record.id == id) {
                running.erase(running.begin() + static_cast<long>(i));
                return;
            }
        }
    }
    Process* Find(int id) {
        for (Process& p : running)
            if (p.entry.record.id == id) return &p;
        return nullptr;
    }

    bool ListIds(std::vector<DWORD>& ids) override {
        ++listCalls;
        if (listingFails) return false;
        ids.clear();
        for (const Process& p : running) ids.push_back(static_cast<DWORD>(p.entry.record.id));
        return true;
    }
    bool ReadEntry(DWORD id, ProcessEntry& entry) override {
        ++readCalls;
        Process* p = Find(static_cast<int>(id));
        if (!p || !p->readable) return false;
        entry = p->entry;
        return true;
    }
    void ListTasks(const ProcessEntry& host, std::vector<ProcessEntry>& tasks) override {
        ++taskCalls;
        Process* p = Find(host.record.id);
        tasks = p ? p->tasks : std::vector<ProcessEntry>();
    }
    std::unique_ptr<CpuSampler> MakeSampler(int id) override {
        ++samplersMade;
        return std::unique_ptr<CpuSampler>(new Sampler(*this, id));
    }

private:
    class Sampler : public CpuSampler {
    public:
        Sampler(FakeProcessCatalog& catalog, int id) : catalog_(catalog), id_(id) {}
        unsigned long long CpuDelta(bool) override {
            ++catalog_.cpuReads;
            if (catalog_.atNextCpuRead) {
                std::function<void()> run = catalog_.atNextCpuRead;
                catalog_.atNextCpuRead = nullptr;
                run();
            }
            std::map<int, unsigned long long>::const_iterator it = catalog_.cpu.find(id_);
            return it == catalog_.cpu.end() ? 0 : it->second;
        }

    private:
        FakeProcessCatalog& catalog_;
        int id_;
    };
};
