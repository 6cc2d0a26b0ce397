// The desktop capture written before the action.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "app/settings.h"
#include "watch/capture_layout.h"

// Writes the bounds of the desktop to the capture path as a 24-bit bottom-up bitmap.
// After a screen watch (`WatchMode` 0) the watched area is outlined with a dotted line.
// Every failing call is reported in an error box; the capture never stops the run, and a
// capture that fails leaves the previous file as it was.
void CaptureDesktop(const SettingSection& section, const RECT& bounds, const WideString& path);

// Draws the dotted outline (black dots, white gaps, one pixel outside the area) into a
// device context whose origin is the top-left corner of bounds.
void DrawAreaOutline(HDC dc, const RECT& area, const RECT& bounds);

// The write of the capture file, as WriteFile makes it (no overlapped write).
using CaptureWrite = std::function<BOOL(HANDLE file, const void* bytes, DWORD size, DWORD* written)>;
BOOL SystemCaptureWrite(HANDLE file, const void* bytes, DWORD size, DWORD* written);
// Writes the headers and the pixels to a new file in the folder of the path, and puts it
// in the place of the path only once all of it is written. False (after the box of the
// failed call) when the file at the path was left as it was.
bool SaveCaptureFile(const WideString& path, const CaptureLayout& layout, const std::vector<unsigned char>& pixels,
                     const CaptureWrite& write);
