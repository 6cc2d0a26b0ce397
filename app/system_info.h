// The process's place in the system: its instance, the Windows version level, WOW64 and
// the elevation of its token.
#pragma once

#include <windows.h>

#include "app/wide_string.h"
#include "app/elevation.h"

HINSTANCE AppInstance();
void SetAppInstance(HINSTANCE instance);

// 0 unsupported (before Vista), 1 Vista, 2 Windows 7, 3 Windows 8, 4 Windows 8.1,
// 5 Windows 10, 6 Windows 11.
using OsLevel = int;

// Maps a TOKEN_ELEVATION_TYPE value to the ElevationState.
int ElevationFromTokenType(int tokenElevationType);

// Level of the running Windows; fills the WOW64 state and the elevation when asked.
// Level 0 shows "このＯＳではサポートされていません。".
OsLevel CheckOsLevel(BOOL* wow64, int* elevation);

// The registry view of the user's settings that the program changes: KEY_WOW64_64KEY
// under WOW64, else KEY_WOW64_32KEY.
int RegistryViewFlagFor(bool underWow64);
// That view for this process; set once at start.
extern int registryViewFlag;
void InitRegistryViewFlag();

// The full path of a module's file (null: the program itself), read at any length: the
// buffer grows until the path fits. firstSize is the size of the first try. Empty when
// the path cannot be read, with the reason in GetLastError.
WideString ModuleFilePath(HMODULE module, unsigned long firstSize = MAX_PATH);

// The current folder of the process, read at any length. Empty when it cannot be read,
// with the reason in GetLastError.
WideString CurrentFolderPath();

// Libraries are looked for in the system folder only: through SetDefaultDllDirectories
// where the system has it (Windows 8 and later, Windows 7 with its loader update), looked
// up at run time so that the program also starts where it is missing; there at least the
// current directory is taken out of the search. True when the system folder alone is
// searched.
bool RestrictLibrarySearch();
