#include "watch/screen_picture.h"

#include <cstring>
#include <new>

#include "app/message_box.h"
#include "watch/screen_geometry.h"

ScreenPicture::ScreenPicture(const RECT& area)
    : area_(area),
      width_(area.right - area.left),
      height_(area.bottom - area.top),
      desktopWindow_(GetDesktopWindow()),
      desktopDc_(desktopWindow_) {
    imageSize_ = static_cast<size_t>(::ImageSize(width_, height_));
    header_.biSize = sizeof(BITMAPINFOHEADER);
    header_.biWidth = width_;
    header_.biHeight = height_;  // positive: rows bottom-up
    header_.biPlanes = 1;
    header_.biBitCount = 24;
    header_.biCompression = BI_RGB;

    memoryDc_.Reset(CreateCompatibleDC(desktopDc_.Get()));
    if (!ReportLastError(memoryDc_.IsValid(), "CreateCompatibleDC")) return;
    bitmap_.Reset(CreateCompatibleBitmap(desktopDc_.Get(), width_, height_));
    if (!ReportLastError(static_cast<bool>(bitmap_), "CreateCompatibleBitmap")) return;
    try {
        reference_.assign(imageSize_, 0);
        current_.assign(imageSize_, 0);
    } catch (const std::bad_alloc&) {
        reference_.clear();
        current_.clear();
        return;
    }
    ready_ = true;
}

ScreenPicture::~ScreenPicture() {
    ReportLastError(bitmap_.Reset(), "DeleteObject");
    ReportLastError(memoryDc_.Reset(), "DeleteDC");
    ReportLastError(desktopDc_.Release() == 1, "ReleaseDC");
}

void ScreenPicture::Grab(std::vector<unsigned char>& buffer, bool reportBlit) {
    {
        SelectionScope selection(memoryDc_.Get(), bitmap_.Get());
        BOOL copied = BitBlt(memoryDc_.Get(), 0, 0, width_, height_, desktopDc_.Get(), area_.left, area_.top, SRCCOPY);
        if (reportBlit) ReportLastError(copied, "BitBlt");
    }
    // The bitmap is no longer selected, as GetDIBits requires.
    // GetDIBits may write the colour fields after the header: hand it a whole BITMAPINFO.
    BITMAPINFO info = {};
    info.bmiHeader = header_;
    int lines =
        GetDIBits(memoryDc_.Get(), bitmap_.Get(), 0, static_cast<UINT>(height_), buffer.data(), &info, DIB_RGB_COLORS);
    ReportLastError(lines != 0, "GetDIBits");
}

void ScreenPicture::TakeReference() {
    if (!ready_) return;
    Grab(reference_, true);
}

bool ScreenPicture::HasChanged() {
    if (!ready_) return false;
    Grab(current_, false);
    return std::memcmp(current_.data(), reference_.data(), imageSize_) != 0;
}
