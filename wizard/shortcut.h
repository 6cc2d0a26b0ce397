// The desktop shortcut of a saved setting.
#pragma once

#include <windows.h>

#include "app/wide_string.h"

// Writes a shell link at linkPath that starts programPath with the arguments in the
// working directory. Each step runs only when the one before succeeded; false at the
// first failure. COM must be initialised on the calling thread.
bool CreateProgramShortcut(const WideString& programPath, const WideString& linkPath, const WideString& arguments,
                           const WideString& workingDirectory);
