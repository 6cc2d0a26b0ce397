// Dialog 9300: the way of ending Windows, force and the waiting time.
#pragma once

#include <windows.h>

#include "app/settings.h"
#include "app/wide_string.h"

// Shows dialog 9300 modally. True after OK with text replaced by the composed parameter
// text; false after Cancel or closing. The dialog keeps its window position in the
// section when one is given.
bool EditExitParameter(HWND owner, WideString& text, int iconId, const SettingSection* section);
