// Dialog 9400: the media file of the play action, with repeat and volume.
#pragma once

#include <windows.h>

#include "app/settings.h"
#include "app/wide_string.h"

const int kMediaDialogId = 9400;
const int kMediaFileBox = 9401;
const int kMediaBrowse = 9402;
const int kMediaRepeat = 9403;
const int kMediaVolume = 9404;
const int kMediaCancel = 9405;
const int kMediaOk = 9406;

// Shows dialog 9400 modally. True after OK with text replaced by the composed parameter
// text; false after Cancel or closing, with text left as it was. The dialog keeps its
// window position in the section when one is given.
bool EditMediaParameter(HWND owner, WideString& text, int iconId, const SettingSection* section);
