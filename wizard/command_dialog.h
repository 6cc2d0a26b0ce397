// Dialog 9200: the command line of the command action, typed, browsed, dropped or pasted.
#pragma once

#include <windows.h>

#include "app/settings.h"
#include "app/wide_string.h"

const int kCommandDialogId = 9200;
const int kCommandHeading = 9201;
const int kCommandDropHint = 9202;
const int kCommandBox = 9203;
const int kCommandBrowse = 9204;
const int kCommandClear = 9205;
const int kCommandShortNames = 9206;
const int kCommandShortHint1 = 9207;
const int kCommandShortHint2 = 9208;
const int kCommandPaste = 9209;
const int kCommandMinimize = 9210;
const int kCommandCancel = 9211;
const int kCommandOk = 9212;

// Shows dialog 9200 modally. True after OK with text replaced by the composed parameter
// text; false after Cancel or closing. The dialog keeps its window position in the
// section when one is given.
bool EditCommandParameter(HWND owner, WideString& text, int iconId, const SettingSection* section);
