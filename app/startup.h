#pragma once

#include <windows.h>

// The program's entry after the loader restrictions: chooses the road and returns the
// exit code.
int RunTollerup(HINSTANCE instance, int showCommand);
