#include "watch/capture.h"

#include <vector>

#include "app/handles.h"
#include "app/message_box.h"
#include "watch/capture_layout.h"

namespace {

// The desktop pixels of bounds, bottom row first, with the outline when one is asked for.
// Empty after a failure (which was reported).
std::vector<unsigned char> GrabDesktop(const CaptureLayout& layout, const RECT& bounds, const RECT* outline) {
    std::vector<unsigned char> pixels;
    WindowDc desktop(GetDesktopWindow());
    if (!desktop) {
        ReportLastError(FALSE, "GetDC");
        return pixels;
    }
    UniqueMemoryDc memory(CreateCompatibleDC(desktop.Get()));
    if (!memory) {
        ReportLastError(FALSE, "CreateCompatibleDC");
        return pixels;
    }
    UniqueGdi<HBITMAP> bitmap(CreateCompatibleBitmap(desktop.Get(), layout.width, layout.height));
    if (!bitmap) {
        ReportLastError(FALSE, "CreateCompatibleBitmap");
        return pixels;
    }
    {
        SelectionScope selected(memory.Get(), bitmap.Get());
        BOOL copied =
            BitBlt(memory.Get(), 0, 0, layout.width, layout.height, desktop.Get(), bounds.left, bounds.top, SRCCOPY);
        ReportLastError(copied, "BitBlt");
        if (outline) DrawAreaOutline(memory.Get(), *outline, bounds);
    }
    // Read with the bitmap no longer selected, as GetDIBits requires.
    BITMAPINFOHEADER info = CaptureInfoHeader(layout);
    pixels.assign(layout.imageSize, 0);
    int lines = GetDIBits(memory.Get(), bitmap.Get(), 0, static_cast<UINT>(layout.height), pixels.data(),
                          reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    if (!ReportLastError(lines != 0, "GetDIBits")) pixels.clear();
    ReportLastError(bitmap.Reset(), "DeleteObject");
    ReportLastError(memory.Reset(), "DeleteDC");
    ReportLastError(desktop.Release() == 1, "ReleaseDC");
    return pixels;
}

void WriteCaptureFile(const WideString& path, const CaptureLayout& layout, const std::vector<unsigned char>& pixels) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        // Nothing can be written: report why once instead of failing each write.
        ReportLastError(FALSE, "CreateFile");
        return;
    }
    BITMAPFILEHEADER fileHeader = CaptureFileHeader(layout);
    BITMAPINFOHEADER infoHeader = CaptureInfoHeader(layout);
    DWORD written = 0;
    ReportLastError(WriteFile(file.Get(), &fileHeader, sizeof(fileHeader), &written, nullptr), "WriteFile1");
    ReportLastError(WriteFile(file.Get(), &infoHeader, sizeof(infoHeader), &written, nullptr), "WriteFile2");
    ReportLastError(WriteFile(file.Get(), pixels.data(), layout.imageSize, &written, nullptr), "WriteFile3");
    ReportLastError(file.Reset(), "CloseHandle");
}

}  // namespace

void DrawAreaOutline(HDC dc, const RECT& area, const RECT& bounds) {
    OutlinePath path = ComputeOutlinePath(area, bounds);
    SetBkColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, OPAQUE);
    UniqueGdi<HPEN> pen(CreatePen(PS_DOT, 1, RGB(0, 0, 0)));
    if (!pen) {
        ReportLastError(FALSE, "CreatePen");
        return;
    }
    {
        SelectionScope selected(dc, pen.Get());
        MoveToEx(dc, path.points[0].x, path.points[0].y, nullptr);
        for (int i = 1; i < 5; ++i) LineTo(dc, path.points[i].x, path.points[i].y);
    }
    ReportLastError(pen.Reset(), "DeleteObject");
}

void CaptureDesktop(const SettingSection& section, const RECT& bounds, const WideString& path) {
    int watchMode = section.ReadInt(L"WatchMode", 0);
    RECT area;
    area.left = section.ReadInt(L"ScrLeft", 0);
    area.top = section.ReadInt(L"ScrTop", 0);
    area.right = section.ReadInt(L"ScrRight", 0);
    area.bottom = section.ReadInt(L"ScrBottom", 0);

    CaptureLayout layout = ComputeCaptureLayout(bounds);
    if (!layout.valid) {
        ReportErrorCode(ERROR_INVALID_PARAMETER, "CreateCompatibleBitmap");
        return;
    }
    std::vector<unsigned char> pixels = GrabDesktop(layout, bounds, watchMode == 0 ? &area : nullptr);
    if (pixels.empty()) return;
    WriteCaptureFile(path, layout, pixels);
}
