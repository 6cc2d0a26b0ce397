// Starting the program again as administrator.
#pragma once

#include <windows.h>

#include "app/startup_logic.h"
#include "app/wide_string.h"

// Starts the program with the verb "runas", the arguments and the working folder. A start
// that the user declines is not reported; any other failure (a program the elevated
// account cannot reach, for one) shows "ShellExecuteEx Error Code =<code>".
ElevatedStart StartElevated(const WideString& program, const WideString& arguments, const WideString& folder,
                            int showCommand);
