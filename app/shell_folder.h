// Paths of the system's special folders.
#pragma once

#include "app/wide_string.h"

// The current directory for -1 (kCurrentFolder); otherwise the folder of the CSIDL value.
// Failures are reported and give the empty text.
const int kCurrentFolder = -1;
WideString SpecialFolderPath(int csidl);
