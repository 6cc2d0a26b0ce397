// The desktop capture written before the action.
#pragma once

#include <windows.h>

#include "app/settings.h"

// Writes the bounds of the desktop to the capture path as a 24-bit bottom-up bitmap.
// After a screen watch (`WatchMode` 0) the watched area is outlined with a dotted line.
// Every failing call is reported in an error box; the capture never stops the run.
void CaptureDesktop(const SettingSection& section, const RECT& bounds, const WideString& path);

// Draws the dotted outline (black dots, white gaps, one pixel outside the area) into a
// device context whose origin is the top-left corner of bounds.
void DrawAreaOutline(HDC dc, const RECT& area, const RECT& bounds);
