#include "wizard/media_dialog.h"

bool EditMediaParameter(HWND, WideString&, int, const SettingSection*) {
    return false;
}
