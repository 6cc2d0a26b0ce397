// The shape of the desktop capture file and of the outline drawn around a watched area.
// Pure functions of rectangles.
#pragma once

#include "app/portable_types.h"

#include <cstdint>

// A 24-bit bottom-up bitmap of a capture rectangle.
struct CaptureLayout {
    int width = 0;           // bounds.right - bounds.left
    int height = 0;          // bounds.bottom - bounds.top
    uint32_t stride = 0;     // bytes per row: ((width * 24 + 31) / 32) * 4
    uint32_t imageSize = 0;  // stride * height
    bool valid = false;      // false without extent or when the file would not fit 4 GB
};
// Bytes per row of a 24-bit bitmap, rounded up to a multiple of 4.
uint32_t BitmapStride(int width);
CaptureLayout ComputeCaptureLayout(const RECT& bounds);

// The two headers of the file: "BM", size imageSize + 54, pixels at 54; 40-byte
// information header with the width, a positive height, 1 plane, 24 bits, BI_RGB and
// every other field 0.
BITMAPFILEHEADER CaptureFileHeader(const CaptureLayout& layout);
BITMAPINFOHEADER CaptureInfoHeader(const CaptureLayout& layout);

// Corners of the dotted outline around a watched area, relative to the capture: one
// pixel outside the area on every side (the area's right and bottom are exclusive),
// starting and ending at the top-left corner. A corner beyond the 32-bit range is held at
// its end.
struct OutlinePath {
    POINT points[5];
};
OutlinePath ComputeOutlinePath(const RECT& area, const RECT& bounds);
