// Pictures of one rectangle of the desktop, 32 bits per pixel, rows bottom-up: the
// reference taken at the start and the pictures compared with it.
#pragma once

#include <windows.h>

#include <vector>

#include "app/handles.h"

// What the screen watcher compares once a second.
class AreaPicture {
public:
    virtual ~AreaPicture() = default;
    // False when the picture could not be prepared; the watch cannot run then.
    virtual bool IsReady() const = 0;
    // The call that failed while the picture was prepared (nullptr when none did) and its
    // error code. Not reported by the picture: the watcher reports it once the screen
    // saver and power hold has been given back.
    virtual const char* FailedCall() const { return nullptr; }
    virtual DWORD FailedError() const { return ERROR_SUCCESS; }
    // Pictures the area as the reference of every later comparison.
    virtual void TakeReference() = 0;
    // Pictures the area again; true when any pixel shows another colour than in the
    // reference.
    virtual bool HasChanged() = 0;
};

// The area of the real desktop, 32 bits per pixel (only the colour bytes count), rows
// bottom-up. A new picture is never made whole: the desktop is copied in bands of rows
// straight into a small DIB section, and each band's bits are compared with its part of
// the reference as it comes, from the bottom row of the area to the top one (the order of
// the rows in memory). Copying small bands is also much cheaper than copying the whole
// area at once, and at 32 bits a pixel the copy needs no conversion. The contexts, the
// section and the reference are made once and reused by every comparison.
class ScreenPicture : public AreaPicture {
public:
    // Bytes of one band unless another size is given: large enough that the copies are
    // few, since every copy costs a fixed part besides its bytes (bands of 256 KB made the
    // tick a fifth slower); small enough that the system copies it without a large buffer
    // of its own: under Wine, bands of 1 MB made the copies of a watch that ticks once a
    // second map their buffers afresh, and a watch of a 3840 x 2160 area took two and a
    // half times the processor time.
    static const size_t kBandBytes = 480 * 1024;

    // Takes the desktop's context and makes the memory context, the band's DIB section
    // (selected into it for the picture's life) and the reference buffer for the area,
    // which must have passed CheckWatchArea. A band has at least one row. A call that
    // fails here is kept (FailedCall), not reported.
    explicit ScreenPicture(const RECT& area, size_t bandBytes = kBandBytes);
    // Releases the section, the memory context and the desktop context, reporting failures.
    ~ScreenPicture() override;
    ScreenPicture(const ScreenPicture&) = delete;
    ScreenPicture& operator=(const ScreenPicture&) = delete;

    bool IsReady() const override { return ready_; }
    const char* FailedCall() const override { return failedCall_; }
    DWORD FailedError() const override { return failedError_; }
    size_t ImageSize() const { return imageSize_; }
    const BITMAPINFOHEADER& Header() const { return header_; }
    // Rows of one band.
    int BandRows() const { return bandRows_; }

    // A band that cannot be copied (the desktop is not ours to read: a locked session, a
    // secure desktop, an elevation prompt) leaves the reference incomplete; no box is
    // shown, since nobody may be there to answer it.
    void TakeReference() override;
    // Stops at the first band that differs. A band that cannot be copied (the desktop is
    // not ours to read for a moment: a secure desktop, a locked session) shows no change:
    // the section would still hold another band's rows. While the reference is
    // incomplete, each call takes it again instead of comparing, and shows no change: the
    // comparisons start at the call after the first one at which every band copied.
    bool HasChanged() override;
    // Every band of the reference was copied.
    bool HasWholeReference() const { return referenceWhole_; }
    const std::vector<unsigned char>& Reference() const { return reference_; }
    // The bits of the band's section.
    const unsigned char* BandBits() const { return bits_; }

protected:
    // Copies rows of the area, counted from its bottom row, into the bottom rows of the
    // band's section, whose first bytes then hold them as the reference does; false when
    // the copy failed.
    virtual bool CopyBand(int rowsDone, int rows);

private:
    // Keeps the call that stopped the preparation with the thread's last error.
    void Failed(const char* call);

    RECT area_;
    int width_;
    int height_;
    size_t stride_ = 0;
    size_t imageSize_ = 0;
    int bandRows_ = 0;
    BITMAPINFOHEADER header_ = {};
    HWND desktopWindow_ = nullptr;
    WindowDc desktopDc_;
    UniqueMemoryDc memoryDc_;
    UniqueGdi<HBITMAP> section_;
    unsigned char* bits_ = nullptr;  // owned by the section
    HGDIOBJ previousBitmap_ = nullptr;
    std::vector<unsigned char> reference_;
    bool referenceWhole_ = false;
    bool ready_ = false;
    const char* failedCall_ = nullptr;
    DWORD failedError_ = ERROR_SUCCESS;
};
