#include "wizard/exit_dialog.h"

bool EditExitParameter(HWND, WideString&, int, const SettingSection*) {
    return false;
}
