// The watch of the process mode: dialog 180 samples one process once a second until it
// ends, its parent-window count changes, it stays idle, or a chosen window's text changes.
#pragma once

#include <windows.h>

#include <exception>

#include "app/handles.h"
#include "app/wide_string.h"
#include "watch/process_query.h"
#include "watch/process_watch_logic.h"

const int kProcessWatchDialog = 180;
const int kWatchFileNameEdit = 1801;
const int kWatchFolderEdit = 1802;
const int kWatchCpuEdit = 1803;
const int kWatchConditionsEdit = 1804;
const int kWatchActionEdit = 1805;
const int kWatchOtherEdit = 1806;
const int kWatchCancelButton = 1807;
// Posted by the dialog to itself when a condition is met.
const int kConditionMetCommand = 40002;

// The samples of the real process behind the tick rule.
class ProbeSource : public ProcessSource {
public:
    ProbeSource(WatchedProcess& process, HWND textWindow) : process_(process), textWindow_(textWindow) {}
    bool HasEnded() override { return process_.HasEnded(); }
    unsigned long long CpuDelta() override {
        unsigned long long delta = 0;
        cpuRead_ = process_.CpuDelta(&delta);
        return delta;
    }
    bool CpuWasRead() const override { return cpuRead_; }
    int CountParentWindows() override;
    bool ReadWatchedText(WideString& text) override { return ReadWindowTextBounded(textWindow_, text); }

private:
    WatchedProcess& process_;
    HWND textWindow_;
    TopWindowList windows_;
    bool cpuRead_ = true;
};

class ProcessWatcher {
public:
    // Takes the probe's baseline, the initial parent windows and the watched window's text,
    // and becomes the watcher that dialog 180 shows. The ticks sample the process through
    // its probe unless another source is given.
    ProcessWatcher(const WideString& path, int processId, int conditionBits, HWND textWindow, int actionKind,
                   const WideString& actionText, bool captureFirst, ProcessSource* source = nullptr);
    ~ProcessWatcher();
    ProcessWatcher(const ProcessWatcher&) = delete;
    ProcessWatcher& operator=(const ProcessWatcher&) = delete;

    // False when the process exists but could not be opened: the watch cannot run.
    bool CanWatch() const { return process_.Opening() != WatchOpening::Refused; }
    // Shows dialog 180 (no owner). 1 when a condition was met, 0 when cancelled, -1 when
    // the dialog could not be shown. A fault of a tick ends the dialog and is thrown
    // again from here.
    INT_PTR RunDialog();

    // Dialog messages.
    void OnInitDialog(HWND dialog);
    void OnTimer(UINT_PTR timerId);

    HWND Dialog() const { return dialog_; }
    const TopWindowList& InitialWindows() const { return initialWindows_; }
    const WideString& InitialText() const { return initialText_; }

private:
    HWND dialog_ = nullptr;
    WideString path_;
    int processId_;
    int conditionBits_;
    HWND textWindow_;
    int actionKind_;
    WideString actionText_;
    bool captureFirst_;
    WatchedProcess process_;
    TopWindowList initialWindows_;
    bool initialTextKnown_ = true;  // set before initialText_ is read
    WideString initialText_;
    ProcessWatchRule rule_;
    ProbeSource source_;
    ProcessSource* sampled_;
    bool ticking_ = false;
    bool met_ = false;
    std::exception_ptr fault_;
};

// Shows the watcher's dialog; true when a condition was met, false when cancelled.
bool RunProcessWatch(ProcessWatcher& watcher);
