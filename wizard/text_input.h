// Dialog 9100: a one-line input box under a prompt of one or more lines.
#pragma once

#include <windows.h>

#include "app/wide_string.h"

const int kTextInputDialogId = 9100;
const int kTextInputPrompt = 9101;
const int kTextInputEdit = 9102;
const int kTextInputOk = 9103;
const int kTextInputCancel = 9104;

// Shows dialog 9100 modally with the title as its caption, the prompt above the box and
// the text in it (selected). The box grows to fit a prompt of several lines. OK with an
// empty (or blank) box shows "入力されていません" and stays unless allowEmpty. True after
// OK with text replaced; false after Cancel or closing. iconId 0: no small icon.
bool ShowTextInput(HWND owner, const WideString& title, const WideString& prompt, WideString& text, int iconId,
                   bool allowEmpty);
