#include "wizard/dialog_position.h"

#include "app/message_box.h"
#include "watch/monitor_layout.h"
#include "wizard/parameter_fields.h"

bool TitleBarOnWorkAreas(POINT corner, int width, int titleHeight, const std::vector<RECT>& workAreas) {
    if (width < 1) width = 1;
    if (titleHeight < 1) titleHeight = 1;
    // In 64 bits: a stored corner may lie anywhere an integer can.
    long long left = corner.x, top = corner.y;
    long long right = left + width, bottom = top + titleHeight;
    long long covered = 0;
    for (const RECT& area : workAreas) {
        long long l = left > area.left ? left : area.left;
        long long t = top > area.top ? top : area.top;
        long long r = right < area.right ? right : area.right;
        long long b = bottom < area.bottom ? bottom : area.bottom;
        if (r > l && b > t) covered += (r - l) * (b - t);
    }
    // Work areas do not overlap: the pieces add up to the whole bar when it is all on them.
    return covered >= (right - left) * (bottom - top);
}

void MoveToStoredPosition(HWND dialog, const SettingSection* section, const PositionKeys& keys) {
    if (!section) return;
    int left = section->ReadInt(keys.left, kNoPosition);
    int top = section->ReadInt(keys.top, kNoPosition);
    if (!HasStoredPosition(left, top)) return;
    RECT window = {};
    if (!ReportLastError(GetWindowRect(dialog, &window), "GetWindowRect")) return;
    // The title bar reaches from the window's top to its client area.
    POINT client = {0, 0};
    ClientToScreen(dialog, &client);
    int titleHeight = client.y - window.top;
    if (titleHeight <= 0) titleHeight = GetSystemMetrics(SM_CYCAPTION);
    MonitorLayout layout;  // the monitors as they are now
    std::vector<RECT> workAreas;
    for (int i = 0; i < layout.count; ++i) workAreas.push_back(layout.monitors()[i].rcWork);
    POINT corner = {left, top};
    if (!TitleBarOnWorkAreas(corner, window.right - window.left, titleHeight, workAreas)) return;
    ReportLastError(SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER), "SetWindowPos");
}

void StorePosition(HWND dialog, const SettingSection* section, const PositionKeys& keys) {
    if (!section) return;
    RECT rect = {};
    if (!ReportLastError(GetWindowRect(dialog, &rect), "GetWindowRect")) return;
    if (section->WriteInt(keys.left, rect.left)) section->WriteInt(keys.top, rect.top);
}
