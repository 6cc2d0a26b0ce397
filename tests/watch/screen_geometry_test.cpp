#include <gtest/gtest.h>

#include <algorithm>

#include "watch/screen_geometry.h"

namespace {
RECT Rect(int left, int top, int right, int bottom) {
    RECT r = {left, top, right, bottom};
    return r;
}

void ExpectBar(const BarRect& bar, int x, int y, int width, int height) {
    EXPECT_EQ(bar.x, x);
    EXPECT_EQ(bar.y, y);
    EXPECT_EQ(bar.width, width);
    EXPECT_EQ(bar.height, height);
}

void ExpectPoint(const POINT& p, int x, int y) {
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
}

const RECT kFullHd = {0, 0, 1920, 1080};
}  // namespace

TEST(ScreenFrame, BarsSurroundTheAreaOutsideIt) {
    BarRect bars[kFrameBarCount];
    FrameBarRects(Rect(100, 200, 500, 400), bars);
    ExpectBar(bars[kTopBar], 98, 198, 404, 2);
    ExpectBar(bars[kBottomBar], 98, 400, 404, 2);
    ExpectBar(bars[kLeftBar], 98, 198, 2, 204);
    ExpectBar(bars[kRightBar], 500, 198, 2, 204);

    // A monitor left of and above the primary: the coordinates stay negative.
    FrameBarRects(Rect(-1800, -300, -1000, -100), bars);
    ExpectBar(bars[kTopBar], -1802, -302, 804, 2);
    ExpectBar(bars[kBottomBar], -1802, -100, 804, 2);
    ExpectBar(bars[kLeftBar], -1802, -302, 2, 204);
    ExpectBar(bars[kRightBar], -1000, -302, 2, 204);
}

TEST(ScreenArea, OnlyAreasWithExtentWithinRangeAreWatched) {
    EXPECT_EQ(CheckWatchArea(Rect(0, 0, 1, 1)), AreaCheck::Ok);
    EXPECT_EQ(CheckWatchArea(Rect(-1920, -50, -1000, 20)), AreaCheck::Ok);
    EXPECT_EQ(CheckWatchArea(Rect(100, 100, 100, 200)), AreaCheck::NoExtent);
    EXPECT_EQ(CheckWatchArea(Rect(100, 100, 99, 200)), AreaCheck::NoExtent);
    EXPECT_EQ(CheckWatchArea(Rect(100, 200, 300, 200)), AreaCheck::NoExtent);
    EXPECT_EQ(CheckWatchArea(Rect(0, 0, 0, 0)), AreaCheck::NoExtent);  // all keys missing
    // Values whose difference overflows 32 bits, and pictures beyond any desktop.
    EXPECT_EQ(CheckWatchArea(Rect(-2147483647 - 1, 0, 2147483647, 10)), AreaCheck::OutOfRange);
    EXPECT_EQ(CheckWatchArea(Rect(2147483600, 0, -2147483600, 10)), AreaCheck::OutOfRange);
    EXPECT_EQ(CheckWatchArea(Rect(0, 0, 100000, 100000)), AreaCheck::OutOfRange);
    EXPECT_EQ(CheckWatchArea(Rect(0, 0, 16384, 8192)), AreaCheck::Ok);  // 384 MiB
}

// Pictures compare by colour: a difference in any colour byte of any pixel counts, one in
// the fourth byte of a pixel does not.
TEST(ScreenPixels, OnlyTheColourBytesOfEachPixelAreCompared) {
    const unsigned char reference[12] = {90, 160, 40, 0, 90, 160, 40, 0, 90, 160, 40, 0};
    unsigned char picture[12];
    for (int at = 0; at < 12; ++at) {
        std::copy(reference, reference + 12, picture);
        picture[at] ^= 0x01;
        EXPECT_EQ(SameColours(picture, reference, 3), at % 4 == 3) << "byte " << at;
    }
    // Only the pixels counted are compared.
    std::copy(reference, reference + 12, picture);
    picture[8] = 0;
    EXPECT_TRUE(SameColours(picture, reference, 2));
    EXPECT_FALSE(SameColours(picture, reference, 3));
}

TEST(ScreenNoteSize, WidestLinePlusFourAndSumOfHeights) {
    const SIZE extents[] = {{120, 15}, {300, 15}, {80, 16}};
    NoteSize size = MeasureNote(extents, 3);
    EXPECT_EQ(size.width, 304);
    EXPECT_EQ(size.height, 46);
    EXPECT_EQ(size.lineHeight, 16);  // the last line's height
    NoteSize empty = MeasureNote(extents, 0);
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.height, 0);
}

TEST(ScreenNotePlacement, GoesWhereTheScaledRoomIsLargest) {
    // Rooms left -200, right 1120, above 35, below 1066: right of the area, tops aligned.
    ExpectPoint(PlaceNote(Rect(100, 100, 500, 400), kFullHd, 300, 80), 500, 100);
    // Rooms left 1200, right -280, above 35, below 1244 (700 scaled): below, although the
    // unscaled room below is smaller than the room left.
    ExpectPoint(PlaceNote(Rect(1500, 100, 1900, 300), kFullHd, 300, 80), 1500, 300);
    // Near the bottom right: left 1100, above (900 - 80) scaled = 1457: above.
    ExpectPoint(PlaceNote(Rect(1400, 900, 1800, 1000), kFullHd, 300, 80), 1400, 820);
    // Right edge, middle height: left wins.
    ExpectPoint(PlaceNote(Rect(1500, 400, 1900, 700), kFullHd, 300, 80), 1200, 400);
}

TEST(ScreenNotePlacement, TiesGoLeftThenRightThenAboveThenBelow) {
    // A square desktop (m = 1) and a centred area: every room is 300.
    const RECT square = {0, 0, 1000, 1000};
    ExpectPoint(PlaceNote(Rect(400, 400, 600, 600), square, 100, 100), 300, 400);
    // Left smaller, the other three equal: right.
    ExpectPoint(PlaceNote(Rect(350, 400, 600, 600), square, 100, 100), 600, 400);
    // Left and right smaller, above and below 350: above.
    ExpectPoint(PlaceNote(Rect(300, 400, 600, 600), square, 200, 50), 300, 350);
}

TEST(ScreenNotePlacement, WorksWithNegativeCoordinates) {
    // A second monitor left of the primary: bounds (-1920, 0, 1920, 1080), m = 3840 / 1080.
    const RECT twoMonitors = {-1920, 0, 1920, 1080};
    // Rooms left -280, right 3120, above 71, below 2488: right.
    ExpectPoint(PlaceNote(Rect(-1900, 100, -1500, 300), twoMonitors, 300, 80), -1500, 100);
    // Rooms left 1320, right -180, above 426, below 0: left, at a negative x.
    ExpectPoint(PlaceNote(Rect(-300, 200, 1800, 1000), twoMonitors, 300, 80), -600, 200);
    // A monitor above the primary: bounds (0, -1080, 1920, 1080), m = 0.889. Rooms left
    // 500, right 420, above 0, below 1600: below, at a negative y.
    const RECT stacked = {0, -1080, 1920, 1080};
    ExpectPoint(PlaceNote(Rect(800, -1000, 1200, -800), stacked, 300, 80), 800, -800);
    // Rooms left -300, right -300, above and below -284 (truncated towards zero): the
    // note goes above, off the desktop, and is not moved back.
    ExpectPoint(PlaceNote(Rect(-1920, 0, 1920, 1080), twoMonitors, 300, 80), -1920, -80);
}

TEST(ScreenNotePlacement, DesktopWithoutHeightDoesNotDivideByZero) {
    const RECT none = {0, 0, 0, 0};
    POINT p = PlaceNote(Rect(100, 100, 200, 200), none, 50, 20);
    // Rooms: left 50, right -250, above 80, below -220 (unscaled): above.
    ExpectPoint(p, 100, 80);
}
