// The texts of the note beside a watched area.
#pragma once

#include "app/string_list.h"
#include "app/wide_string.h"

// Fills lines (after clearing them) in order: the watch line; with the hold on the hold
// line and, when the saved settings text is not empty, the line of the earlier settings;
// the line of the action kind (none for an unknown kind); the action's parameter text as
// it is, also when empty; the line that says a click cancels.
void ComposeNoteLines(bool hold, const WideString& savedSettings, int actionKind, const WideString& actionText,
                      StringList& lines);
