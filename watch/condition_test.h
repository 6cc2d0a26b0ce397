// The live test of the process conditions (dialog 160): the chosen process is sampled
// once a second by the watcher's rules, every condition is shown with its verdict, and
// only the user ends the test.
#pragma once

#include <windows.h>

#include "app/wide_string.h"
#include "watch/condition_test_logic.h"
#include "watch/process_query.h"
#include "watch/process_watch_logic.h"
#include "watch/process_watcher.h"

const int kConditionTestDialog = 160;
const int kTestFileNameEdit = 1601;
const int kTestEndEdit = 1602;
const int kTestWindowsEdit = 1603;
const int kTestCpuEdit = 1604;
const int kTestTextEdit = 1605;
const int kTestEndButton = 1606;

class ConditionTest {
public:
    // Takes the probe's baseline, the initial parent windows and the chosen window's text,
    // and becomes the test that dialog 160 shows.
    ConditionTest(HWND owner, const WideString& path, int processId, HWND textWindow);
    ~ConditionTest();
    ConditionTest(const ConditionTest&) = delete;
    ConditionTest& operator=(const ConditionTest&) = delete;

    // Shows dialog 160 owned by the owner until the user ends the test; -1 when the dialog
    // could not be shown. A process that exists but cannot be opened shows its box instead
    // (0).
    INT_PTR Run();

    // Dialog messages.
    void OnInitDialog(HWND dialog);
    void OnTimer(UINT_PTR timerId);

private:
    void Show(int id, const WideString& text);

    HWND owner_;
    HWND dialog_ = nullptr;
    WideString path_;
    int processId_;
    HWND textWindow_;
    WatchedProcess process_;
    TopWindowList initialWindows_;
    bool initialTextKnown_ = true;  // set before initialText_ is read
    WideString initialText_;
    ConditionSampler sampler_;
    ConditionTestBoard board_;
    ProbeSource source_;
    bool ticking_ = false;
};
