// The Windows-exit action: ends the session as the parameter text says, after the
// countdown when one is asked for.
#pragma once

#include "app/wide_string.h"

int EndWindows(int iconId, const WideString& text);
