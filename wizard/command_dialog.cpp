#include "wizard/command_dialog.h"

bool EditCommandParameter(HWND, WideString&, int, const SettingSection*) {
    return false;
}
