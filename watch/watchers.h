// The two watchers as the run sees them.
#pragma once

#include <windows.h>

#include "app/wide_string.h"

enum class WatchResult { Met, Cancelled, Refused };

// The box of a watch that ended by a fault (an exception out of the watcher, a failed
// allocation); the run then ends with exit code 1.
extern const wchar_t kWatchFaultText[];

// Process mode: what the run read from the setting for the process watcher.
struct ProcessWatchSetup {
    WideString programPath;  // `filename`, unquoted
    int pid = 0;
    int conditions = 0;     // `PCParam` bits
    HWND window = nullptr;  // `PCHandle`
    int actionKind = 0;     // `Act`
    WideString actionText;
    bool capture = false;
};
// Shows the process watcher (dialog 180) until a condition is met or the user cancels.
WatchResult RunProcessModeWatch(const ProcessWatchSetup& setup);

// Screen mode: the watched rectangle and the hold flag.
struct ScreenWatchSetup {
    RECT area = {0, 0, 0, 0};
    bool holdScreenSaver = true;  // `SSHold`
    int actionKind = 0;
    WideString actionText;
};
// Takes the screen-saver and power hold, watches the rectangle, ends the hold.
WatchResult RunScreenModeWatch(const ScreenWatchSetup& setup);
