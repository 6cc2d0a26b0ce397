// Arithmetic of the screen watch: the frame around the watched area, the size of its
// pictures, the note's size and where the note goes. Pure functions of their inputs;
// coordinates are physical pixels of the virtual screen and may be negative.
#pragma once

#include <cstddef>

#include "app/portable_types.h"

// A window rectangle as position and size.
struct BarRect {
    int x;
    int y;
    int width;
    int height;
};

enum FrameBar { kTopBar = 0, kBottomBar = 1, kLeftBar = 2, kRightBar = 3, kFrameBarCount = 4 };

// Width of the frame bars; they lie wholly outside the area.
const int kFrameThickness = 2;

// The four bars (top, bottom, left, right) around the area (left, top, right, bottom;
// right and bottom exclusive).
void FrameBarRects(const RECT& area, BarRect bars[kFrameBarCount]);

// Bytes of one row of a 24-bit picture, rounded up to a multiple of 4.
long long ImageStride(long long width);
// Bytes of a whole 24-bit picture.
long long ImageSize(long long width, long long height);

// Two runs of 32-bit pixels (blue, green, red, then a byte that carries no colour) show
// the same colours: the fourth byte of each pixel is not compared.
bool SameColours(const unsigned char* a, const unsigned char* b, size_t pixels);

enum class AreaCheck {
    Ok,
    NoExtent,    // right not above left, or bottom not above top
    OutOfRange,  // coordinates or picture size beyond what the watch can handle
};
// Coordinates of a watched area stay within this distance of the origin.
const long long kMaxAreaCoordinate = 1 << 24;
// Largest picture of the area, in bytes.
const long long kMaxImageBytes = 0x40000000;
AreaCheck CheckWatchArea(const RECT& area);

// Size of the note from the extents of its lines: the widest line plus 4, the sum of the
// heights, and the height of the last line as the line step.
struct NoteSize {
    int width = 0;
    int height = 0;
    int lineHeight = 0;
};
NoteSize MeasureNote(const SIZE* extents, int count);

// Top-left corner of a note of width x height beside the area, on the side with the
// most room within the desktop bounds; the vertical rooms are scaled by the desktop's
// aspect ratio. Ties go to left, then right, then above, then below.
POINT PlaceNote(const RECT& area, const RECT& desktop, int width, int height);
