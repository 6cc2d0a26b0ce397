// Paths of the folders the shell names by a CSIDL value, and of the current directory.
#pragma once

#include "app/wide_string.h"

// The current directory for -1 (kCurrentFolder); otherwise the folder of the CSIDL value.
// Failures are reported and give the empty text.
const int kCurrentFolder = -1;
WideString ShellFolderPath(int csidl);
