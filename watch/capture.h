// The desktop capture written before the action.
#pragma once

#include <windows.h>

#include "app/settings.h"

// Writes the bounds of the desktop to the capture path as a 24-bit bitmap.
void CaptureDesktop(const SettingSection& section, const RECT& bounds, const WideString& path);
