// Dialog 9200: the command line of the command action, typed, browsed, dropped or pasted.
#pragma once

#include <windows.h>

#include "app/settings.h"
#include "app/wide_string.h"

// Shows dialog 9200 modally. True after OK with text replaced by the composed parameter
// text; false after Cancel or closing. The dialog keeps its window position in the
// section when one is given.
bool EditCommandParameter(HWND owner, WideString& text, int iconId, const SettingSection* section);
