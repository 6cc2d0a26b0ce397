// The window position that a setting dialog keeps per section under a pair of keys.
#pragma once

#include <windows.h>

#include "app/settings.h"

struct PositionKeys {
    const wchar_t* left;
    const wchar_t* top;
};

// Moves the dialog to the stored top-left corner when a section is given and both keys
// hold a position (size and z-order unchanged).
void MoveToStoredPosition(HWND dialog, const SettingSection* section, const PositionKeys& keys);
// Stores the dialog's top-left corner in screen coordinates when a section is given.
void StorePosition(HWND dialog, const SettingSection* section, const PositionKeys& keys);
