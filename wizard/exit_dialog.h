// Dialog 9300: the way of ending Windows, force and the waiting time.
#pragma once

#include <windows.h>

#include "app/settings.h"
#include "app/wide_string.h"

const int kExitDialogId = 9300;
const int kExitMethodBase = 9301;  // the radio buttons are 9302 to 9305
const int kExitNormal = 9302;
const int kExitSleep = 9303;
const int kExitHibernate = 9304;
const int kExitRestart = 9305;
const int kExitWaitBox = 9306;
const int kExitWaitUpDown = 9307;
const int kExitForce = 9309;
const int kExitCancel = 9311;
const int kExitOk = 9312;

// Shows dialog 9300 modally. True after OK with text replaced by the composed parameter
// text; false after Cancel or closing, with text left as it was. The dialog keeps its
// window position in the section when one is given.
bool EditExitParameter(HWND owner, WideString& text, int iconId, const SettingSection* section);
