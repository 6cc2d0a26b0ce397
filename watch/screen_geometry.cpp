#include "watch/screen_geometry.h"

void FrameBarRects(const RECT& area, BarRect bars[kFrameBarCount]) {
    const int t = kFrameThickness;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    bars[kTopBar] = {area.left - t, area.top - t, width + 2 * t, t};
    bars[kBottomBar] = {area.left - t, area.bottom, width + 2 * t, t};
    bars[kLeftBar] = {area.left - t, area.top - t, t, height + 2 * t};
    bars[kRightBar] = {area.right, area.top - t, t, height + 2 * t};
}

long long ImageStride(long long width) {
    return ((width * 24 + 31) / 32) * 4;
}

long long ImageSize(long long width, long long height) {
    return ImageStride(width) * height;
}

bool SameColours(const unsigned char* a, const unsigned char* b, size_t pixels) {
    for (size_t i = 0; i < pixels; ++i, a += 4, b += 4) {
        if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) return false;
    }
    return true;
}

AreaCheck CheckWatchArea(const RECT& area) {
    const long long coordinates[4] = {area.left, area.top, area.right, area.bottom};
    for (long long c : coordinates) {
        if (c < -kMaxAreaCoordinate || c > kMaxAreaCoordinate) return AreaCheck::OutOfRange;
    }
    const long long width = static_cast<long long>(area.right) - area.left;
    const long long height = static_cast<long long>(area.bottom) - area.top;
    if (width <= 0 || height <= 0) return AreaCheck::NoExtent;
    if (ImageSize(width, height) > kMaxImageBytes) return AreaCheck::OutOfRange;
    return AreaCheck::Ok;
}

NoteSize MeasureNote(const SIZE* extents, int count) {
    NoteSize size;
    for (int i = 0; i < count; ++i) {
        if (extents[i].cx + 4 > size.width) size.width = extents[i].cx + 4;
        size.height += extents[i].cy;
        size.lineHeight = extents[i].cy;
    }
    return size;
}

POINT PlaceNote(const RECT& area, const RECT& desktop, int width, int height) {
    const long long desktopWidth = static_cast<long long>(desktop.right) - desktop.left;
    const long long desktopHeight = static_cast<long long>(desktop.bottom) - desktop.top;
    // Without a desktop height the rooms compare unscaled.
    const double m = desktopHeight > 0 ? static_cast<double>(desktopWidth) / static_cast<double>(desktopHeight) : 1.0;
    const long long roomLeft = static_cast<long long>(area.left) - width - desktop.left;
    const long long roomRight = static_cast<long long>(desktop.right) - area.right - width;
    const long long roomAbove =
        static_cast<long long>(static_cast<double>(static_cast<long long>(area.top) - height - desktop.top) * m);
    const long long roomBelow =
        static_cast<long long>(static_cast<double>(static_cast<long long>(desktop.bottom) - area.bottom - height) * m);
    long long best = roomLeft;
    if (roomRight > best) best = roomRight;
    if (roomAbove > best) best = roomAbove;
    if (roomBelow > best) best = roomBelow;

    POINT position;
    if (roomLeft == best) {
        position.x = area.left - width;
        position.y = area.top;
    } else if (roomRight == best) {
        position.x = area.right;
        position.y = area.top;
    } else if (roomAbove == best) {
        position.x = area.left;
        position.y = area.top - height;
    } else {
        position.x = area.left;
        position.y = area.bottom;
    }
    return position;
}
