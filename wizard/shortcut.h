// The desktop shortcut of a saved setting and the special folders it is put in.
#pragma once

#include <windows.h>

#include "app/wide_string.h"

// The path of a special folder (a CSIDL value; -1 gives the current directory). A failure
// is shown ("SHGetMalloc Error", "SHGetSpecialFolderLocation", "SHGetPathFromIDList") and
// gives the empty text.
WideString SpecialFolderPath(int csidl);

// Writes a shell link at linkPath that starts programPath with the arguments in the
// program's folder. Each step runs only when the one before succeeded; false at the first
// failure. COM must be initialised on the calling thread.
bool CreateProgramShortcut(const WideString& programPath, const WideString& linkPath, const WideString& arguments);
