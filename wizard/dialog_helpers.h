// Small helpers shared by the program's dialogs and windows.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include "app/handles.h"
#include "app/wide_string.h"

extern const wchar_t kDialogFontFace[];  // "ＭＳ Ｐゴシック"

// The whole text of a control or window.
WideString GetControlText(HWND control);
// The text of one item of a combo box.
WideString GetComboItemText(HWND combo, int index);
// Icon 101 at the small-icon size as the window's small icon (WM_SETICON ICON_SMALL).
void SetSmallIcon(HWND window, int iconId);

// A LOGFONTW for a face and a size in points on the device context: height
// -MulDiv(points, LOGPIXELSY, 72), SHIFTJIS_CHARSET. False for a face of 32 characters
// or more.
bool DescribeFont(HDC dc, const WideString& face, int points, LOGFONTW& font);
// The font made from that description (empty on failure).
UniqueGdi<HFONT> CreatePointFont(const WideString& face, int points);
void SetControlFont(HWND control, HFONT font);

// Open-file description with the flags OFN_READONLY | OFN_HIDEREADONLY | OFN_NOCHANGEDIR
// | OFN_FILEMUSTEXIST; everything not given is 0.
OPENFILENAMEW DescribeOpenFile(HWND owner, const wchar_t* filter, DWORD filterIndex, wchar_t* file, DWORD fileSize,
                               const wchar_t* title);
// Window-class description: style 0, no cursor, background or menu.
WNDCLASSW DescribeWindowClass(WNDPROC procedure, HINSTANCE instance, HICON icon, const wchar_t* className);

// Radio buttons numbered base+1 .. base+count: the index of the checked one, or -1.
int CheckedRadioIndex(HWND dialog, int base, int count);
// Checks the button of the index; an index out of range clears them all.
void CheckRadioIndex(HWND dialog, int base, int count, int index);

// Reads the up-down control's range and the buddy's number (at most 9 characters). A
// number outside the range is replaced in the buddy by the nearer bound; returns true
// when that happened. value receives the number (after clamping).
bool ClampUpDownBuddy(HWND upDown, HWND buddy, int* value);
// The clamping rule alone.
int ClampToRange(int value, int low, int high, bool* clamped);

// Gives one control a tooltip owned by the dialog ("tooltips_class32", TTS_ALWAYSTIP,
// TTF_IDISHWND | TTF_SUBCLASS). Lines are separated by a line feed; an empty text becomes
// one blank. The tip is as wide as its widest line and pops down after 5000 ms.
HWND AttachTooltip(HWND dialog, HWND control, const WideString& text);
// Replaces the text of an existing tip.
void UpdateTooltipText(HWND tooltip, HWND dialog, HWND control, const WideString& text);
