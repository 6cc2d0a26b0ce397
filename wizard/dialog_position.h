// The window position that a setting dialog keeps per section under a pair of keys.
#pragma once

#include <windows.h>

#include <vector>

#include "app/settings.h"

struct PositionKeys {
    const wchar_t* left;
    const wchar_t* top;
};

// Whether a dialog with its top-left corner there can be seen and moved: its title bar
// (the window's width, titleHeight from the top) lies wholly on the work areas of the
// monitors. A monitor that was removed, or a hand-edited value, puts it elsewhere.
bool TitleBarOnWorkAreas(POINT corner, int width, int titleHeight, const std::vector<RECT>& workAreas);

// Moves the dialog to the stored top-left corner when a section is given, both keys hold
// a position and its title bar would lie on the monitors' work areas there (size and
// z-order unchanged); otherwise it stays where it opens without one.
void MoveToStoredPosition(HWND dialog, const SettingSection* section, const PositionKeys& keys);
// Stores the dialog's top-left corner in screen coordinates when a section is given.
void StorePosition(HWND dialog, const SettingSection* section, const PositionKeys& keys);
