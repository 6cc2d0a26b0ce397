// What the watch step reads from a setting for each watcher.
#pragma once

#include "app/settings.h"
#include "watch/watchers.h"

enum class WatchKind { Screen, Process, None };

// `WatchMode` 0 watches the screen, 1 a process; any other value watches nothing.
WatchKind WatchKindForMode(int watchMode);

// The values the watchers show beside what they watch: `Act` and its parameter text.
struct WatchedAction {
    int kind = 0;
    WideString text;
};
WatchedAction ReadWatchedAction(const SettingSection& section);

// `filename` (unquoted), `pid`, `PCParam`, `PCHandle` and `Capture`, with the action.
ProcessWatchSetup ReadProcessWatchSetup(const SettingSection& section, const WatchedAction& action);
// `ScrLeft`, `ScrTop`, `ScrRight`, `ScrBottom` and `SSHold` (default on), with the action.
ScreenWatchSetup ReadScreenWatchSetup(const SettingSection& section, const WatchedAction& action);
