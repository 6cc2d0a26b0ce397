// The monitors that make up the desktop, in physical pixels of the virtual screen.
#pragma once

#include <windows.h>

#include <vector>

// Bounding rectangle of the monitor rectangles: smallest left and top, largest right and
// bottom. An empty table gives an empty rectangle.
RECT ComputeMonitorBounds(const MONITORINFOEXW* monitors, int count);

class MonitorLayout {
public:
    // Enumerates the monitors (a failure is reported and keeps what was filled).
    MonitorLayout();
    MonitorLayout(const MonitorLayout&) = delete;
    MonitorLayout& operator=(const MonitorLayout&) = delete;

    int capacity = 0;
    int count = 0;
    const MONITORINFOEXW* monitors() const { return table_.data(); }
    RECT bounds = {0, 0, 0, 0};

private:
    static BOOL CALLBACK EnumProc(HMONITOR monitor, HDC, LPRECT, LPARAM);
    std::vector<MONITORINFOEXW> table_;
};
