#include <gtest/gtest.h>

#include <climits>

#include "wizard/range_geometry.h"

namespace {

RECT Rect(long left, long top, long right, long bottom) {
    RECT r = {left, top, right, bottom};
    return r;
}

POINT Point(long x, long y) {
    POINT p = {x, y};
    return p;
}

void ExpectRect(const RECT& actual, long left, long top, long right, long bottom) {
    EXPECT_EQ(actual.left, left);
    EXPECT_EQ(actual.top, top);
    EXPECT_EQ(actual.right, right);
    EXPECT_EQ(actual.bottom, bottom);
}

}  // namespace

TEST(RangeMap, OneMonitorFillsTheFrameWithTwoScales) {
    // A frame of 240 x 160 at (15, 20) for 1920 x 1080: 1/8 across, 4/27 down.
    RangeMap map = MakeRangeMap(Rect(0, 0, 1920, 1080), Point(15, 20), 240, 160);
    EXPECT_FLOAT_EQ(map.scaleX, 0.125f);
    EXPECT_FLOAT_EQ(map.scaleY, 160.0f / 1080.0f);
    ExpectRect(MapDesktopRect(map, Rect(0, 0, 1920, 1080)), 15, 20, 255, 180);
    // 100 * 0.125 + 15 = 27.5 and 500 * 0.1481 + 20 = 94.07: fractions are cut.
    ExpectRect(MapDesktopRect(map, Rect(100, 500, 1000, 1000)), 27, 94, 140, 168);
}

TEST(RangeMap, MonitorsLeftOfAndAboveThePrimaryMapFromTheNegativeCorner) {
    // A monitor of 1280 x 1024 left of the primary and one of 1920 x 1080 above it.
    // Together they span from (-1280, -1080) to (1920, 1080).
    const RECT monitors[] = {Rect(0, 0, 1920, 1080), Rect(-1280, 0, 0, 1024), Rect(0, -1080, 1920, 0)};
    RangeMap map = MakeRangeMap(Rect(-1280, -1080, 1920, 1080), Point(10, 10), 320, 216);  // 1/10 on both axes
    ExpectRect(MapDesktopRect(map, monitors[0]), 138, 118, 330, 226);
    ExpectRect(MapDesktopRect(map, monitors[1]), 10, 118, 138, 220);
    ExpectRect(MapDesktopRect(map, monitors[2]), 138, 10, 330, 118);
    // A range on the left monitor keeps its negative coordinates until it is mapped.
    ExpectRect(MapDesktopRect(map, Rect(-1000, 200, -500, 600)), 38, 138, 88, 178);
}

TEST(RangeMap, CoordinatesOutsideTheDesktopAreCutTowardZero) {
    RangeMap map = MakeRangeMap(Rect(0, 0, 1000, 1000), Point(0, 0), 100, 100);
    // -15 * 0.1 = -1.5 becomes -1, not -2.
    EXPECT_EQ(MapCoordinate(-15, 0, map.scaleX, 0), -1);
    EXPECT_EQ(MapCoordinate(15, 0, map.scaleX, 0), 1);
    // A hand-made file with extreme values neither overflows nor gives sizes beyond int.
    RECT extreme = MapDesktopRect(map, Rect(LONG_MIN, LONG_MIN, LONG_MAX, LONG_MAX));
    EXPECT_LT(extreme.left, 0);
    EXPECT_GT(extreme.right, 0);
    long long width = static_cast<long long>(extreme.right) - extreme.left;
    EXPECT_LT(width, static_cast<long long>(INT_MAX));
}

TEST(RangeMap, DesktopWithoutExtentGivesNoScaleInsteadOfDividingByZero) {
    RangeMap map = MakeRangeMap(Rect(0, 0, 0, 0), Point(5, 6), 200, 100);
    EXPECT_EQ(map.scaleX, 0.0f);
    EXPECT_EQ(map.scaleY, 0.0f);
    ExpectRect(MapDesktopRect(map, Rect(10, 10, 20, 20)), 5, 6, 5, 6);
}

TEST(RangeArea, OnlyARangeWithPixelsOnTheDesktopCounts) {
    EXPECT_FALSE(RangeHasArea(Rect(0, 0, 0, 0)));          // a new setting
    EXPECT_FALSE(RangeHasArea(Rect(300, 200, 300, 400)));  // press and release at one x
    EXPECT_FALSE(RangeHasArea(Rect(300, 200, 700, 200)));
    // Reversed corners from a file written by hand have no pixels either, although the
    // product of the two differences is positive.
    EXPECT_FALSE(RangeHasArea(Rect(700, 400, 300, 200)));
    EXPECT_TRUE(RangeHasArea(Rect(-1280, -5, -1279, -4)));  // one pixel, left of the primary
    EXPECT_TRUE(RangeHasArea(Rect(100, 100, 500, 400)));
}

TEST(RangeArea, ThinStripCountsAndStaysVisibleInTheMap) {
    // A progress line one pixel high and a column two pixels wide on a 1920 x 1080
    // desktop in a frame of 240 x 160: both map to less than a pixel.
    RangeMap map = MakeRangeMap(Rect(0, 0, 1920, 1080), Point(15, 20), 240, 160);
    const RECT strips[] = {Rect(400, 700, 1500, 701), Rect(960, 100, 962, 900)};
    for (const RECT& strip : strips) {
        EXPECT_TRUE(RangeHasArea(strip));
        RECT mapped = MapDesktopRect(map, strip);
        EXPECT_TRUE(mapped.right - mapped.left == 0 || mapped.bottom - mapped.top == 0);
        RECT box = VisibleRangeBox(mapped);
        EXPECT_EQ(box.left, mapped.left);
        EXPECT_EQ(box.top, mapped.top);
        EXPECT_GE(box.right - box.left, 1);
        EXPECT_GE(box.bottom - box.top, 1);
    }
    // A box that is already visible keeps its size.
    RECT wide = VisibleRangeBox(Rect(20, 30, 60, 31));
    ExpectRect(wide, 20, 30, 60, 31);
}

TEST(RangeCornerMarks, PointOutwardFromEachCorner) {
    CornerMark marks[4];
    RangeCornerMarks(Rect(100, 50, 140, 80), marks);
    const long expected[4][3][2] = {
        {{100, 30}, {100, 50}, {80, 50}},    // top-left: from above, on to the left
        {{140, 30}, {140, 50}, {160, 50}},   // top-right: from above, on to the right
        {{100, 100}, {100, 80}, {80, 80}},   // bottom-left: from below, on to the left
        {{140, 100}, {140, 80}, {160, 80}},  // bottom-right: from below, on to the right
    };
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 3; ++j) {
            EXPECT_EQ(marks[i].points[j].x, expected[i][j][0]) << "mark " << i << " point " << j;
            EXPECT_EQ(marks[i].points[j].y, expected[i][j][1]) << "mark " << i << " point " << j;
        }
    }
}

TEST(RangeDrag, EveryDirectionGivesTheSameNormalisedRange) {
    const POINT a = Point(-300, -20), b = Point(200, 400);
    ExpectRect(NormalisedRange(a, b), -300, -20, 200, 400);
    ExpectRect(NormalisedRange(b, a), -300, -20, 200, 400);
    ExpectRect(NormalisedRange(Point(-300, 400), Point(200, -20)), -300, -20, 200, 400);
    ExpectRect(NormalisedRange(Point(200, -20), Point(-300, 400)), -300, -20, 200, 400);
    ExpectRect(NormalisedRange(Point(7, 9), Point(7, 9)), 7, 9, 7, 9);
}

TEST(RangeDrag, LabelFollowsTheCursorCentredUntilAPress) {
    RangeDragTracker tracker(SIZE{141, 19});
    EXPECT_EQ(tracker.CurrentPhase(), RangeDragTracker::Phase::Following);
    WindowBox box = tracker.WindowFor(Point(500, 300));
    EXPECT_EQ(box.x, 500 - 70);
    EXPECT_EQ(box.y, 300 - 9);
    EXPECT_EQ(box.width, 141);
    EXPECT_EQ(box.height, 19);
    // Left of and above the primary monitor.
    box = tracker.WindowFor(Point(-1000, -5));
    EXPECT_EQ(box.x, -1070);
    EXPECT_EQ(box.y, -14);
    // A release before any press (a button held when the drag began) changes nothing.
    RECT range = Rect(1, 2, 3, 4);
    EXPECT_FALSE(tracker.Release(Point(10, 10), &range));
    ExpectRect(range, 1, 2, 3, 4);
    EXPECT_EQ(tracker.CurrentPhase(), RangeDragTracker::Phase::Following);
}

TEST(RangeDrag, PressStartsTheRectangleAndReleaseEndsItWithTheRange) {
    RangeDragTracker tracker(SIZE{141, 19});
    ASSERT_TRUE(tracker.Press(Point(800, 600)));
    EXPECT_EQ(tracker.CurrentPhase(), RangeDragTracker::Phase::Dragging);
    // The other button while dragging does not restart the rectangle.
    EXPECT_FALSE(tracker.Press(Point(10, 10)));
    WindowBox box = tracker.WindowFor(Point(800, 600));
    EXPECT_EQ(box.x, 800);
    EXPECT_EQ(box.y, 600);
    EXPECT_EQ(box.width, 0);
    EXPECT_EQ(box.height, 0);
    box = tracker.WindowFor(Point(650, 700));  // up-left in x, down in y
    EXPECT_EQ(box.x, 650);
    EXPECT_EQ(box.y, 600);
    EXPECT_EQ(box.width, 150);
    EXPECT_EQ(box.height, 100);

    RECT range = Rect(0, 0, 0, 0);
    ASSERT_TRUE(tracker.Release(Point(500, 450), &range));
    ExpectRect(range, 500, 450, 800, 600);
    EXPECT_EQ(tracker.CurrentPhase(), RangeDragTracker::Phase::Ended);
    // After the end nothing starts again.
    EXPECT_FALSE(tracker.Press(Point(1, 1)));
    EXPECT_FALSE(tracker.Release(Point(2, 2), &range));
    ExpectRect(range, 500, 450, 800, 600);
}

TEST(RangeDrag, CancelEndsWithoutARange) {
    RangeDragTracker tracker(SIZE{100, 20});
    ASSERT_TRUE(tracker.Press(Point(10, 10)));
    tracker.Cancel();
    EXPECT_EQ(tracker.CurrentPhase(), RangeDragTracker::Phase::Ended);
    RECT range = Rect(5, 5, 6, 6);
    EXPECT_FALSE(tracker.Release(Point(90, 90), &range));
    ExpectRect(range, 5, 5, 6, 6);
}
