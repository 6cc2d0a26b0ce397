// The Windows-exit action: an optional countdown, the shutdown privilege, then one call
// that powers off, restarts, sleeps or hibernates.
#pragma once

#include <windows.h>

#include <functional>

#include "actions/action_text.h"
#include "actions/system_effects.h"
#include "app/wide_string.h"

// Results of EndWindows (not used by its caller).
const int kExitRequested = 1;
const int kExitCancelled = 2;
const int kPowerStateRequested = 3;

// The single call the action makes: SetSystemPowerState(suspend, FALSE) when powerState
// is set, else ExitWindowsEx(flags, 0).
struct ExitCall {
    bool powerState = false;
    BOOL suspend = FALSE;
    UINT flags = 0;
};
ExitCall ChooseExitCall(const ExitText& text);

// Reports the result of AdjustTokenPrivileges: a failed call under its last error, and a
// call that succeeded without granting the privilege (ERROR_NOT_ALL_ASSIGNED) as well.
void ReportPrivilegeAdjustment(BOOL adjusted, DWORD lastError);

// Shows the countdown for a title and a number of seconds; 1 proceeds, 0 cancels.
using CountdownFunction = std::function<int(const WideString& title, int seconds)>;

// The action on given effects: countdown when the text holds a wait, then the privilege
// and the call. A failed sleep, hibernation or exit call is reported.
int EndWindowsWith(const WideString& text, const CountdownFunction& countdown, ExitEffects& effects);

// The action with the countdown window (icon iconId) and the system's calls.
int EndWindows(int iconId, const WideString& text);
