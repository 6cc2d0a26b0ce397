// Rectangles and geometry numbers. The watched area ("ScrLeft", "ScrTop", "ScrRight",
// "ScrBottom") comes from the settings file and may hold any 32-bit values; the desktop
// bounds, the cursor, the frame of the monitor map and the extents of texts come from the
// system and stay within its range (coordinates within 2^24 of the origin, sizes below
// 2^16). The capture file's layout, the outline, the watcher's frame and note, the monitor
// map and the range drag keep their numbers in range for all of them.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "watch/capture_layout.h"
#include "watch/screen_geometry.h"
#include "wizard/range_geometry.h"

namespace {

const int32_t kSystemCoordinate = 1 << 24;
const int32_t kSystemSize = (1 << 16) - 1;

RECT FileRect(FuzzInput& input) {
    RECT rect;
    rect.left = input.Int32();
    rect.top = input.Int32();
    rect.right = input.Int32();
    rect.bottom = input.Int32();
    return rect;
}

int32_t SystemCoordinate(FuzzInput& input) {
    return input.IntIn(-kSystemCoordinate, kSystemCoordinate);
}

RECT SystemRect(FuzzInput& input) {
    RECT rect;
    rect.left = SystemCoordinate(input);
    rect.top = SystemCoordinate(input);
    rect.right = SystemCoordinate(input);
    rect.bottom = SystemCoordinate(input);
    return rect;
}

POINT SystemPoint(FuzzInput& input) {
    POINT point;
    point.x = SystemCoordinate(input);
    point.y = SystemCoordinate(input);
    return point;
}

// A 64-bit value held within the 32-bit range.
LONG Held(long long value) {
    return static_cast<LONG>(value < INT32_MIN ? INT32_MIN : (value > INT32_MAX ? INT32_MAX : value));
}

void CheckCapture(const RECT& area, const RECT& bounds) {
    CaptureLayout layout = ComputeCaptureLayout(bounds);
    long long width = static_cast<long long>(bounds.right) - bounds.left;
    long long height = static_cast<long long>(bounds.bottom) - bounds.top;
    if (layout.valid) {
        FUZZ_CHECK(layout.width == width && layout.height == height && width > 0 && height > 0);
        FUZZ_CHECK(layout.stride % 4 == 0 && layout.stride >= 3ull * layout.width &&
                   layout.stride < 3ull * layout.width + 4);
        FUZZ_CHECK(static_cast<uint64_t>(layout.imageSize) == static_cast<uint64_t>(layout.stride) * layout.height);
        BITMAPFILEHEADER file = CaptureFileHeader(layout);
        BITMAPINFOHEADER info = CaptureInfoHeader(layout);
        FUZZ_CHECK(file.bfType == 0x4D42 && file.bfOffBits == 54);
        FUZZ_CHECK(static_cast<uint64_t>(file.bfSize) == static_cast<uint64_t>(layout.imageSize) + 54);
        FUZZ_CHECK(info.biSize == 40 && info.biWidth == layout.width && info.biHeight == layout.height);
        FUZZ_CHECK(info.biPlanes == 1 && info.biBitCount == 24 && info.biCompression == BI_RGB);
    } else {
        FUZZ_CHECK(width <= 0 || height <= 0 || (((width * 24 + 31) / 32) * 4) * height + 54 > 0xFFFFFFFFll);
    }

    // The outline runs one pixel outside the area, relative to the capture; a line beyond
    // the 32-bit range stays at its end, far outside any picture.
    OutlinePath path = ComputeOutlinePath(area, bounds);
    LONG left = Held(static_cast<long long>(area.left) - bounds.left - 1);
    LONG top = Held(static_cast<long long>(area.top) - bounds.top - 1);
    LONG right = Held(static_cast<long long>(area.right) - bounds.left);
    LONG bottom = Held(static_cast<long long>(area.bottom) - bounds.top);
    const POINT expected[5] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}, {left, top}};
    for (int i = 0; i < 5; ++i) FUZZ_CHECK(path.points[i].x == expected[i].x && path.points[i].y == expected[i].y);
}

void CheckWatchedArea(const RECT& area, const RECT& desktop, const SIZE* extents, int lines) {
    long long width = static_cast<long long>(area.right) - area.left;
    long long height = static_cast<long long>(area.bottom) - area.top;
    AreaCheck check = CheckWatchArea(area);
    if (check != AreaCheck::Ok) {
        FUZZ_CHECK(check == AreaCheck::OutOfRange || width <= 0 || height <= 0);
        return;
    }
    FUZZ_CHECK(width > 0 && height > 0);
    for (LONG c : {area.left, area.top, area.right, area.bottom})
        FUZZ_CHECK(c >= -kMaxAreaCoordinate && c <= kMaxAreaCoordinate);
    FUZZ_CHECK(ImageSize(width, height) <= kMaxImageBytes && ImageStride(width) % 4 == 0);

    BarRect bars[kFrameBarCount];
    FrameBarRects(area, bars);
    for (const BarRect& bar : bars) {
        FUZZ_CHECK(bar.width > 0 && bar.height > 0);
        // No bar covers a pixel of the area.
        bool apartX = bar.x + bar.width <= area.left || bar.x >= area.right;
        bool apartY = bar.y + bar.height <= area.top || bar.y >= area.bottom;
        FUZZ_CHECK(apartX || apartY);
    }

    NoteSize note = MeasureNote(extents, lines);
    FUZZ_CHECK(note.width >= 0 && note.height >= 0);
    POINT position = PlaceNote(area, desktop, note.width, note.height);
    // The note lies beside the area on one of its four sides, touching it.
    bool left = position.x == area.left - note.width && position.y == area.top;
    bool right = position.x == area.right && position.y == area.top;
    bool above = position.x == area.left && position.y == area.top - note.height;
    bool below = position.x == area.left && position.y == area.bottom;
    FUZZ_CHECK(left || right || above || below);
}

void CheckRangeMap(const RECT& range, const RECT& bounds, POINT origin, int frameWidth, int frameHeight) {
    RangeMap map = MakeRangeMap(bounds, origin, frameWidth, frameHeight);
    FUZZ_CHECK(map.scaleX >= 0.0f && map.scaleY >= 0.0f);
    RECT box = MapDesktopRect(map, range);
    for (LONG c : {box.left, box.top, box.right, box.bottom}) FUZZ_CHECK(c >= -1000000 && c <= 1000000);
    if (range.left <= range.right && map.scaleX >= 0.0f) FUZZ_CHECK(box.left <= box.right);
    if (range.top <= range.bottom && map.scaleY >= 0.0f) FUZZ_CHECK(box.top <= box.bottom);

    RECT visible = VisibleRangeBox(box);
    FUZZ_CHECK(visible.right - visible.left >= 1 && visible.bottom - visible.top >= 1);
    FUZZ_CHECK(visible.left == box.left && visible.top == box.top);

    CornerMark marks[4];
    RangeCornerMarks(visible, marks);
    for (const CornerMark& mark : marks) {
        FUZZ_CHECK(mark.points[0].x == mark.points[1].x);
        FUZZ_CHECK(mark.points[1].y == mark.points[2].y);
        long long along = static_cast<long long>(mark.points[0].y) - mark.points[1].y;
        long long across = static_cast<long long>(mark.points[2].x) - mark.points[1].x;
        FUZZ_CHECK((along == kCornerMarkLength || along == -kCornerMarkLength) &&
                   (across == kCornerMarkLength || across == -kCornerMarkLength));
    }
    FUZZ_CHECK(RangeHasArea(range) == (range.right > range.left && range.bottom > range.top));
}

void CheckDrag(FuzzInput& input) {
    SIZE label;
    label.cx = input.IntIn(0, kSystemSize);
    label.cy = input.IntIn(0, kSystemSize);
    RangeDragTracker tracker(label);
    for (int step = 0; step < 12 && !input.AtEnd(); ++step) {
        POINT at = SystemPoint(input);
        RangeDragTracker::Phase before = tracker.CurrentPhase();
        switch (input.IntIn(0, 3)) {
        case 0: {
            WindowBox box = tracker.WindowFor(at);
            FUZZ_CHECK(box.width >= 0 && box.height >= 0);
            if (before == RangeDragTracker::Phase::Dragging) {
                RECT range = NormalisedRange(tracker.Start(), at);
                FUZZ_CHECK(box.x == range.left && box.y == range.top);
                FUZZ_CHECK(box.width == range.right - range.left && box.height == range.bottom - range.top);
            } else {
                FUZZ_CHECK(box.width == label.cx && box.height == label.cy);
            }
            break;
        }
        case 1:
            FUZZ_CHECK(tracker.Press(at) == (before == RangeDragTracker::Phase::Following));
            break;
        case 2: {
            RECT range = {1, 2, 3, 4};
            bool ended = tracker.Release(at, &range);
            FUZZ_CHECK(ended == (before == RangeDragTracker::Phase::Dragging));
            if (ended) {
                FUZZ_CHECK(range.left <= range.right && range.top <= range.bottom);
                FUZZ_CHECK(range.left == at.x || range.left == tracker.Start().x);
                FUZZ_CHECK(tracker.CurrentPhase() == RangeDragTracker::Phase::Ended);
            }
            break;
        }
        default:
            tracker.Cancel();
            FUZZ_CHECK(tracker.CurrentPhase() == RangeDragTracker::Phase::Ended);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    RECT area = FileRect(input);
    RECT bounds = SystemRect(input);
    POINT origin = SystemPoint(input);
    int frameWidth = input.IntIn(0, kSystemSize);
    int frameHeight = input.IntIn(0, kSystemSize);
    SIZE extents[4];
    int lines = input.IntIn(0, 4);
    for (SIZE& extent : extents) {
        extent.cx = input.IntIn(0, kSystemSize);
        extent.cy = input.IntIn(0, kSystemSize);
    }

    CheckCapture(area, bounds);
    CheckWatchedArea(area, bounds, extents, lines);
    CheckRangeMap(area, bounds, origin, frameWidth, frameHeight);
    CheckDrag(input);
    return 0;
}
