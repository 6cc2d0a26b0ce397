// Dialog 9400: the media file of the play action, with repeat and volume.
#pragma once

#include <windows.h>

#include "app/settings.h"
#include "app/wide_string.h"

// Shows dialog 9400 modally. True after OK with text replaced by the composed parameter
// text; false after Cancel or closing. The dialog keeps its window position in the
// section when one is given.
bool EditMediaParameter(HWND owner, WideString& text, int iconId, const SettingSection* section);
