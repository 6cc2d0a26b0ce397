// The action of a setting: its kind (`Act`) and its parameter text.
#pragma once

#include "app/settings.h"

enum class ActionKind : int { PlayMedia = 0, RunCommand = 1, ExitWindows = 2 };

// The whole parameter text of the kind, however long; empty for any other kind.
WideString ReadActionParameter(int kind, const SettingSection& section);
// Reads `Act` and its parameter text and performs the action once. A text longer than
// the action takes shows its box and nothing runs.
void PerformAction(const SettingSection& section);
