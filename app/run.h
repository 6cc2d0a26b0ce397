// The watch step of a run: reads the setting and waits with the chosen watcher.
#pragma once

#include "app/settings.h"
#include "watch/watchers.h"

// Met when the action should follow, Cancelled when the user ended the watch, Refused
// when the setting cannot be watched (the reason was shown).
WatchResult RunWatch(SettingSection& section);
