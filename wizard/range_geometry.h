// Arithmetic of the screen range page and of the range-drag window: the small map of the
// monitors, the chosen range in it, and the rectangle the mouse drags open. Pure
// functions of their inputs; desktop coordinates are physical pixels of the virtual
// screen and may be negative.
#pragma once

#include "app/portable_types.h"

// How desktop rectangles are drawn into the frame of the monitor map. The two scales
// differ in general: the map fills the frame and does not keep the aspect ratio.
struct RangeMap {
    RECT bounds = {0, 0, 0, 0};  // union of all monitor rectangles
    POINT origin = {0, 0};       // top-left corner of the frame in page client coordinates
    float scaleX = 0.0f;         // frame width / bounds width
    float scaleY = 0.0f;         // frame height / bounds height
};

// The map for a frame of the given size at the given origin. Desktop bounds without
// width or height give scale 0 on that axis.
RangeMap MakeRangeMap(const RECT& bounds, POINT frameOrigin, int frameWidth, int frameHeight);

// One desktop coordinate in the map: (value - boundsStart) * scale + frameStart in single
// precision, truncated toward zero. Values beyond the range of int are held at its ends.
int MapCoordinate(LONG value, LONG boundsStart, float scale, LONG frameStart);
// Both corners of a desktop rectangle in the map.
RECT MapDesktopRect(const RangeMap& map, const RECT& desktop);

// A range covers pixels of the desktop: right beyond left and bottom beyond top. This
// alone decides whether the range page lets the user go on, however small the range
// looks in the map.
bool RangeHasArea(const RECT& range);
// The grey box of a mapped range: at least one pixel wide and high, so that a thin strip
// stays visible in the map.
RECT VisibleRangeBox(const RECT& mappedBox);

// Length of the blue corner marks around the range box.
const int kCornerMarkLength = 20;
// Each corner mark as a line of three points: from outside along the vertical edge to the
// corner and on outward along the horizontal edge. Order: top-left, top-right,
// bottom-left, bottom-right.
struct CornerMark {
    POINT points[3];
};
void RangeCornerMarks(const RECT& box, CornerMark marks[4]);

// The range between two screen points: left and top the smaller, right and bottom the
// larger coordinates, in whichever direction the mouse went.
RECT NormalisedRange(POINT a, POINT b);

// A window rectangle as position and size.
struct WindowBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// What the range-drag window does with the mouse, without the window: the label follows
// the cursor, a press of either button starts the rectangle, a release of either button
// ends it with the range, and a cancel ends it without one.
class RangeDragTracker {
public:
    enum class Phase { Following, Dragging, Ended };

    // label: the extent of the label text with its margin.
    explicit RangeDragTracker(SIZE label) : label_(label) {}

    Phase CurrentPhase() const { return phase_; }
    SIZE Label() const { return label_; }
    POINT Start() const { return start_; }

    // Where the window goes for the cursor at this point: while following, the label
    // centred on the cursor; while dragging, the rectangle between the start point and
    // the cursor.
    WindowBox WindowFor(POINT cursor) const;
    // A press while following starts the rectangle at that point; returns true then.
    // Presses while dragging (the other button) change nothing.
    bool Press(POINT at);
    // A release while dragging ends the drag; range receives the normalised rectangle.
    // A release while following (a button held down before the drag began) is ignored.
    bool Release(POINT at, RECT* range);
    // Ends the drag without a range.
    void Cancel() { phase_ = Phase::Ended; }

private:
    SIZE label_;
    Phase phase_ = Phase::Following;
    POINT start_ = {0, 0};
};
