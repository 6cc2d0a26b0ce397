#include "watch/screen_picture.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "app/message_box.h"
#include "watch/screen_geometry.h"

ScreenPicture::ScreenPicture(const RECT& area, size_t bandBytes)
    : area_(area),
      width_(area.right - area.left),
      height_(area.bottom - area.top),
      desktopWindow_(GetDesktopWindow()),
      desktopDc_(desktopWindow_) {
    // Four bytes a pixel, as the system reads the screen: no conversion on every copy, and
    // rows without padding.
    stride_ = static_cast<size_t>(width_) * 4;
    imageSize_ = stride_ * static_cast<size_t>(height_);
    bandRows_ =
        static_cast<int>(std::min<size_t>(static_cast<size_t>(height_), std::max<size_t>(1, bandBytes / stride_)));
    header_.biSize = sizeof(BITMAPINFOHEADER);
    header_.biWidth = width_;
    header_.biHeight = height_;  // positive: rows bottom-up
    header_.biPlanes = 1;
    header_.biBitCount = 32;
    header_.biCompression = BI_RGB;

    memoryDc_.Reset(CreateCompatibleDC(desktopDc_.Get()));
    if (!memoryDc_.IsValid()) {
        Failed("CreateCompatibleDC");
        return;
    }
    BITMAPINFO band = {};
    band.bmiHeader = header_;
    band.bmiHeader.biHeight = bandRows_;
    void* bits = nullptr;
    section_.Reset(CreateDIBSection(desktopDc_.Get(), &band, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section_ || bits == nullptr) {
        Failed("CreateDIBSection");
        return;
    }
    bits_ = static_cast<unsigned char*>(bits);
    std::memset(bits_, 0, stride_ * static_cast<size_t>(bandRows_));
    try {
        reference_.assign(imageSize_, 0);
    } catch (const std::bad_alloc&) {
        reference_.clear();  // the watch reports that its picture could not be prepared
        return;
    }
    previousBitmap_ = SelectObject(memoryDc_.Get(), section_.Get());
    if (!previousBitmap_ || previousBitmap_ == HGDI_ERROR) {
        previousBitmap_ = nullptr;
        Failed("SelectObject");
        return;
    }
    ready_ = true;
}

void ScreenPicture::Failed(const char* call) {
    failedCall_ = call;
    failedError_ = GetLastError();
}

ScreenPicture::~ScreenPicture() {
    if (previousBitmap_) SelectObject(memoryDc_.Get(), previousBitmap_);
    ReportLastError(section_.Reset(), "DeleteObject");
    ReportLastError(memoryDc_.Reset(), "DeleteDC");
    ReportLastError(desktopDc_.Release() == 1, "ReleaseDC");
}

bool ScreenPicture::CopyBand(int rowsDone, int rows) {
    int top = area_.top + height_ - rowsDone - rows;
    BOOL copied =
        BitBlt(memoryDc_.Get(), 0, bandRows_ - rows, width_, rows, desktopDc_.Get(), area_.left, top, SRCCOPY);
    DWORD error = GetLastError();
    // The bits are read directly: drawing still queued must reach them first.
    GdiFlush();
    SetLastError(error);
    return copied != FALSE;
}

void ScreenPicture::TakeReference() {
    referenceWhole_ = false;
    if (!ready_) return;
    for (int done = 0; done < height_; done += bandRows_) {
        int rows = std::min(bandRows_, height_ - done);
        // A band that failed would leave another band's rows (or stale ones) in the
        // reference, and the first readable picture would differ from it.
        if (!CopyBand(done, rows)) return;
        std::memcpy(reference_.data() + static_cast<size_t>(done) * stride_, bits_,
                    static_cast<size_t>(rows) * stride_);
    }
    referenceWhole_ = true;
}

bool ScreenPicture::HasChanged() {
    if (!ready_) return false;
    if (!referenceWhole_) {
        TakeReference();
        return false;
    }
    for (int done = 0; done < height_; done += bandRows_) {
        int rows = std::min(bandRows_, height_ - done);
        if (!CopyBand(done, rows)) return false;
        const unsigned char* expected = reference_.data() + static_cast<size_t>(done) * stride_;
        // Equal bytes are the common case and the cheapest test; where they differ, only
        // the colours count, not the fourth byte of a pixel.
        if (std::memcmp(bits_, expected, static_cast<size_t>(rows) * stride_) != 0 &&
            !SameColours(bits_, expected, static_cast<size_t>(rows) * static_cast<size_t>(width_)))
            return true;
    }
    return false;
}
