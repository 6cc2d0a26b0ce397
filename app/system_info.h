// The process's place in the system: its instance, the Windows version level, WOW64 and
// the elevation of its token.
#pragma once

#include <windows.h>

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

// KEY_WOW64_64KEY under WOW64, else KEY_WOW64_32KEY; set once at start.
extern int registryViewFlag;
void InitRegistryViewFlag();

// Libraries are looked for in the system folder only: through SetDefaultDllDirectories
// where the system has it (Windows 8 and later, Windows 7 with its loader update), looked
// up at run time so that the program also starts where it is missing; there at least the
// current directory is taken out of the search. True when the system folder alone is
// searched.
bool RestrictLibrarySearch();

// An optional library of the system, loaded by its full path in the system folder
// (GetSystemDirectoryW and the name); null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);
