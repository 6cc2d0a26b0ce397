#include "watch/capture_layout.h"

uint32_t BitmapStride(int width) {
    if (width <= 0) return 0;
    uint64_t bits = static_cast<uint64_t>(width) * 24u + 31u;
    return static_cast<uint32_t>(bits / 32u * 4u);
}

CaptureLayout ComputeCaptureLayout(const RECT& bounds) {
    CaptureLayout layout;
    long long width = static_cast<long long>(bounds.right) - bounds.left;
    long long height = static_cast<long long>(bounds.bottom) - bounds.top;
    if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return layout;
    layout.width = static_cast<int>(width);
    layout.height = static_cast<int>(height);
    layout.stride = BitmapStride(layout.width);
    uint64_t size = static_cast<uint64_t>(layout.stride) * static_cast<uint64_t>(layout.height);
    const uint64_t headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    if (size + headers > 0xFFFFFFFFu) return layout;
    layout.imageSize = static_cast<uint32_t>(size);
    layout.valid = true;
    return layout;
}

BITMAPFILEHEADER CaptureFileHeader(const CaptureLayout& layout) {
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfSize = layout.imageSize + offset;
    header.bfReserved1 = 0;
    header.bfReserved2 = 0;
    header.bfOffBits = offset;
    return header;
}

BITMAPINFOHEADER CaptureInfoHeader(const CaptureLayout& layout) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = layout.width;
    header.biHeight = layout.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    return header;
}

namespace {
// A coordinate relative to the capture, held within the 32-bit range: the area's numbers
// come from the settings file and may lie anywhere, and a line beyond the range stays on
// its side of the picture instead of wrapping into it.
LONG RelativeCoordinate(LONG value, LONG origin, LONG shift) {
    long long relative = static_cast<long long>(value) - origin + shift;
    if (relative < INT32_MIN) return INT32_MIN;
    if (relative > INT32_MAX) return INT32_MAX;
    return static_cast<LONG>(relative);
}
}  // namespace

OutlinePath ComputeOutlinePath(const RECT& area, const RECT& bounds) {
    LONG left = RelativeCoordinate(area.left, bounds.left, -1);
    LONG top = RelativeCoordinate(area.top, bounds.top, -1);
    LONG right = RelativeCoordinate(area.right, bounds.left, 0);
    LONG bottom = RelativeCoordinate(area.bottom, bounds.top, 0);
    OutlinePath path = {{{left, top}, {right, top}, {right, bottom}, {left, bottom}, {left, top}}};
    return path;
}
