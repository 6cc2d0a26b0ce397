// Linked into every unit-test program: the tests open the program's windows as the
// program's roads that show windows do, with Common Controls 6 active on the main thread
// (the thread that runs the tests and makes this object).
#include "app/common_controls.h"

namespace {
CommonControlsActivation g_commonControls;
}  // namespace
