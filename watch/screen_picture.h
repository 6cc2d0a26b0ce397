// Pictures of one rectangle of the desktop, 24 bits per pixel, rows bottom-up: the
// reference taken at the start and the pictures compared with it. The device contexts,
// the bitmap and both buffers are made once and reused by every comparison.
#pragma once

#include <windows.h>

#include <vector>

#include "app/handles.h"

class ScreenPicture {
public:
    // Takes the desktop's context and makes the memory context, the bitmap and the two
    // buffers for the area (which must have passed CheckWatchArea).
    explicit ScreenPicture(const RECT& area);
    // Releases the bitmap, the memory context and the desktop context, reporting failures.
    ~ScreenPicture();
    ScreenPicture(const ScreenPicture&) = delete;
    ScreenPicture& operator=(const ScreenPicture&) = delete;

    // False when the bitmap or a buffer could not be made.
    bool IsReady() const { return ready_; }
    size_t ImageSize() const { return imageSize_; }
    const BITMAPINFOHEADER& Header() const { return header_; }

    // Pictures the area into the reference (reports "BitBlt" and "GetDIBits").
    void TakeReference();
    // Pictures the area again into the reused buffer and compares every byte with the
    // reference; true at the first difference.
    bool HasChanged();
    const std::vector<unsigned char>& Reference() const { return reference_; }
    const std::vector<unsigned char>& Current() const { return current_; }

private:
    // Copies the area into the bitmap and reads it into the buffer.
    void Grab(std::vector<unsigned char>& buffer, bool reportBlit);

    RECT area_;
    int width_;
    int height_;
    size_t imageSize_ = 0;
    BITMAPINFOHEADER header_ = {};
    HWND desktopWindow_ = nullptr;
    WindowDc desktopDc_;
    UniqueMemoryDc memoryDc_;
    UniqueGdi<HBITMAP> bitmap_;
    std::vector<unsigned char> reference_;
    std::vector<unsigned char> current_;
    bool ready_ = false;
};
