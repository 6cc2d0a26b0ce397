// The command action: starts one command line through the shell and returns at once.
#pragma once

#include <windows.h>

#include "app/wide_string.h"

// What the shell is asked to do for a command text.
struct CommandLaunch {
    WideString program;               // unquoted
    WideString arguments;             // trimmed, never split further
    WideString directory;             // the working directory given to the shell (may be empty)
    int showCommand = SW_SHOWNORMAL;  // SW_MINIMIZE for "Icon "
};

// Working directory for a program path: the text before its last backslash, the
// three-character drive root for a program at a drive root, empty without a backslash.
WideString CommandWorkingDirectory(const WideString& program);
// The command text read as the shell call: "Icon " flag, blanks trimmed, program and
// arguments split, working directory, show command.
CommandLaunch PlanCommand(const WideString& text);
// "Execute Error Code = " and the shell's value.
WideString ExecuteErrorText(INT_PTR shellValue);

// Opens the command with the shell. Returns true when the shell accepted it; otherwise
// shows "Execute Error Code = <value>" owned by owner and returns false. A command
// without a program is not handed to the shell: it fails as the shell fails for a file it
// cannot find (value 2).
bool RunCommand(HWND owner, const WideString& text);
