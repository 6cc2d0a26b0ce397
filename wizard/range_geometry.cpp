#include "wizard/range_geometry.h"

namespace {

// Mapped coordinates stay within this distance of the page origin: far beyond any frame,
// and small enough that sizes computed from two of them cannot overflow.
const float kMapLimit = 1000000.0f;

float Scale(int frameExtent, LONG boundsStart, LONG boundsEnd) {
    long long extent = static_cast<long long>(boundsEnd) - boundsStart;
    if (extent <= 0) return 0.0f;
    return static_cast<float>(frameExtent) / static_cast<float>(extent);
}

LONG Smaller(LONG a, LONG b) {
    return a < b ? a : b;
}

LONG Larger(LONG a, LONG b) {
    return a < b ? b : a;
}

}  // namespace

RangeMap MakeRangeMap(const RECT& bounds, POINT frameOrigin, int frameWidth, int frameHeight) {
    RangeMap map;
    map.bounds = bounds;
    map.origin = frameOrigin;
    map.scaleX = Scale(frameWidth, bounds.left, bounds.right);
    map.scaleY = Scale(frameHeight, bounds.top, bounds.bottom);
    return map;
}

int MapCoordinate(LONG value, LONG boundsStart, float scale, LONG frameStart) {
    float offset = static_cast<float>(static_cast<long long>(value) - boundsStart);
    float mapped = offset * scale + static_cast<float>(frameStart);
    if (mapped > kMapLimit) mapped = kMapLimit;
    if (mapped < -kMapLimit) mapped = -kMapLimit;
    return static_cast<int>(mapped);  // toward zero
}

RECT MapDesktopRect(const RangeMap& map, const RECT& desktop) {
    RECT box;
    box.left = MapCoordinate(desktop.left, map.bounds.left, map.scaleX, map.origin.x);
    box.top = MapCoordinate(desktop.top, map.bounds.top, map.scaleY, map.origin.y);
    box.right = MapCoordinate(desktop.right, map.bounds.left, map.scaleX, map.origin.x);
    box.bottom = MapCoordinate(desktop.bottom, map.bounds.top, map.scaleY, map.origin.y);
    return box;
}

bool RangeHasArea(const RECT& range) {
    return range.right > range.left && range.bottom > range.top;
}

RECT VisibleRangeBox(const RECT& mappedBox) {
    RECT box = mappedBox;
    if (box.right - box.left < 1) box.right = box.left + 1;
    if (box.bottom - box.top < 1) box.bottom = box.top + 1;
    return box;
}

void RangeCornerMarks(const RECT& box, CornerMark marks[4]) {
    const LONG n = kCornerMarkLength;
    const LONG l = box.left, t = box.top, r = box.right, b = box.bottom;
    const POINT corners[4][3] = {
        {{l, t - n}, {l, t}, {l - n, t}},  // top-left
        {{r, t - n}, {r, t}, {r + n, t}},  // top-right
        {{l, b + n}, {l, b}, {l - n, b}},  // bottom-left
        {{r, b + n}, {r, b}, {r + n, b}},  // bottom-right
    };
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 3; ++j) marks[i].points[j] = corners[i][j];
    }
}

RECT NormalisedRange(POINT a, POINT b) {
    RECT range;
    range.left = Smaller(a.x, b.x);
    range.top = Smaller(a.y, b.y);
    range.right = Larger(a.x, b.x);
    range.bottom = Larger(a.y, b.y);
    return range;
}

WindowBox RangeDragTracker::WindowFor(POINT cursor) const {
    WindowBox box;
    if (phase_ == Phase::Dragging) {
        RECT r = NormalisedRange(start_, cursor);
        box.x = r.left;
        box.y = r.top;
        box.width = r.right - r.left;
        box.height = r.bottom - r.top;
        return box;
    }
    box.x = cursor.x - label_.cx / 2;
    box.y = cursor.y - label_.cy / 2;
    box.width = label_.cx;
    box.height = label_.cy;
    return box;
}

bool RangeDragTracker::Press(POINT at) {
    if (phase_ != Phase::Following) return false;
    phase_ = Phase::Dragging;
    start_ = at;
    return true;
}

bool RangeDragTracker::Release(POINT at, RECT* range) {
    if (phase_ != Phase::Dragging) return false;
    phase_ = Phase::Ended;
    if (range) *range = NormalisedRange(start_, at);
    return true;
}
