#pragma once

#include <windows.h>

// GetMessageW until WM_QUIT (or an error); each message goes to IsDialogMessageW of the
// given window first when there is one. Returns the WM_QUIT code.
WPARAM RunMessageLoop(HWND dialog);
// Translates and dispatches whatever is queued, without waiting.
void PumpPendingMessages();
