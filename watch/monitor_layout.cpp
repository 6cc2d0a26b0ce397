#include "watch/monitor_layout.h"

#include "app/message_box.h"

namespace {
// The layout being built; the enumeration callback fills it.
MonitorLayout* g_building = nullptr;
}  // namespace

RECT ComputeMonitorBounds(const MONITORINFOEXW* monitors, int count) {
    RECT bounds = {0, 0, 0, 0};
    if (!monitors || count <= 0) return bounds;
    bounds = monitors[0].rcMonitor;
    for (int i = 1; i < count; ++i) {
        const RECT& r = monitors[i].rcMonitor;
        if (r.left < bounds.left) bounds.left = r.left;
        if (r.top < bounds.top) bounds.top = r.top;
        if (r.right > bounds.right) bounds.right = r.right;
        if (r.bottom > bounds.bottom) bounds.bottom = r.bottom;
    }
    return bounds;
}

BOOL CALLBACK MonitorLayout::EnumProc(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    MonitorLayout* layout = g_building;
    if (!layout || layout->count >= layout->capacity) return TRUE;  // table full: not stored
    MONITORINFOEXW& record = layout->table_[static_cast<size_t>(layout->count)];
    record.cbSize = sizeof(MONITORINFOEXW);
    if (GetMonitorInfoW(monitor, &record)) ++layout->count;
    return TRUE;
}

MonitorLayout::MonitorLayout() {
    capacity = GetSystemMetrics(SM_CMONITORS);
    if (capacity < 0) capacity = 0;
    table_.assign(static_cast<size_t>(capacity), MONITORINFOEXW{});
    g_building = this;
    ReportLastError(EnumDisplayMonitors(nullptr, nullptr, &MonitorLayout::EnumProc, 0), "EnumDisplayMonitors");
    g_building = nullptr;
    bounds = ComputeMonitorBounds(table_.data(), count);
}
