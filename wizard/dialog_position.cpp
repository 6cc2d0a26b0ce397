#include "wizard/dialog_position.h"

#include "app/message_box.h"
#include "wizard/parameter_fields.h"

void MoveToStoredPosition(HWND dialog, const SettingSection* section, const PositionKeys& keys) {
    if (!section) return;
    int left = section->ReadInt(keys.left, kNoPosition);
    int top = section->ReadInt(keys.top, kNoPosition);
    if (!HasStoredPosition(left, top)) return;
    ReportLastError(SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER), "SetWindowPos");
}

void StorePosition(HWND dialog, const SettingSection* section, const PositionKeys& keys) {
    if (!section) return;
    RECT rect = {};
    if (!ReportLastError(GetWindowRect(dialog, &rect), "GetWindowRect")) return;
    if (section->WriteInt(keys.left, rect.left)) section->WriteInt(keys.top, rect.top);
}
