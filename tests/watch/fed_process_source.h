// Samples of a watched process given by the test, one per tick; records which samples
// the rules asked for. The last value of each queue repeats.
#pragma once

#include <deque>
#include <utility>

#include "watch/process_watch_logic.h"

class FedSource : public ProcessSource {
public:
    std::deque<bool> ended;
    std::deque<unsigned long long> cpu;
    std::deque<bool> cpuRead;  // false: the times of that second could not be read
    std::deque<int> windows;
    std::deque<std::pair<bool, WideString>> texts;
    int endCalls = 0, cpuCalls = 0, windowCalls = 0, textCalls = 0;

    bool HasEnded() override {
        ++endCalls;
        return Next(ended, false);
    }
    unsigned long long CpuDelta() override {
        ++cpuCalls;
        lastCpuRead_ = Next(cpuRead, true);
        return Next(cpu, 0ull);
    }
    bool CpuWasRead() const override { return lastCpuRead_; }
    int CountParentWindows() override {
        ++windowCalls;
        return Next(windows, 1);
    }
    bool ReadWatchedText(WideString& text) override {
        ++textCalls;
        std::pair<bool, WideString> t = Next(texts, std::make_pair(true, WideString(L"title")));
        text = t.second;
        return t.first;
    }

private:
    bool lastCpuRead_ = true;
    template <typename T>
    static T Next(std::deque<T>& queue, T fallback) {
        if (queue.empty()) return fallback;
        T value = queue.front();
        if (queue.size() > 1) queue.pop_front();
        return value;
    }
};
