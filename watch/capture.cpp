#include "watch/capture.h"

#include <new>
#include <vector>

#include "app/handles.h"
#include "app/message_box.h"
#include "app/paths.h"
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
    try {
        pixels.assign(layout.imageSize, 0);
    } catch (const std::bad_alloc&) {
        // The picture must never cost the user the action: say so and go on without it.
        ReportErrorCode(ERROR_NOT_ENOUGH_MEMORY, "GetDIBits");
        return pixels;
    }
    int lines = GetDIBits(memory.Get(), bitmap.Get(), 0, static_cast<UINT>(layout.height), pixels.data(),
                          reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    if (!ReportLastError(lines != 0, "GetDIBits")) pixels.clear();
    ReportLastError(bitmap.Reset(), "DeleteObject");
    ReportLastError(memory.Reset(), "DeleteDC");
    ReportLastError(desktop.Release() == 1, "ReleaseDC");
    return pixels;
}

}  // namespace

namespace {

// Writes all the bytes; a short write counts as a failed one.
bool WriteWhole(const CaptureWrite& write, HANDLE file, const void* bytes, DWORD size, const char* name) {
    DWORD written = 0;
    BOOL ok = write(file, bytes, size, &written);
    if (ok && written != size) {
        ok = FALSE;
        SetLastError(ERROR_DISK_FULL);
    }
    return ReportLastError(ok, name) != FALSE;
}

}  // namespace

BOOL SystemCaptureWrite(HANDLE file, const void* bytes, DWORD size, DWORD* written) {
    return WriteFile(file, bytes, size, written, nullptr);
}

bool SaveCaptureFile(const WideString& path, const CaptureLayout& layout, const std::vector<unsigned char>& pixels,
                     const CaptureWrite& write) {
    // The new picture is written beside the old one and takes its place only once it is
    // whole: a full disk or a failed write leaves the last good capture as it was.
    WideString folder = DirectoryPart(path);
    if (folder.IsEmpty()) folder = WideString(L".");
    wchar_t temporary[MAX_PATH + 1] = {};
    if (!ReportLastError(GetTempFileNameW(folder.c_str(), L"TLR", 0, temporary) != 0, "GetTempFileName")) return false;
    bool whole = false;
    {
        UniqueFile file(
            CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            ReportLastError(FALSE, "CreateFile");
        } else {
            BITMAPFILEHEADER fileHeader = CaptureFileHeader(layout);
            BITMAPINFOHEADER infoHeader = CaptureInfoHeader(layout);
            whole = WriteWhole(write, file.Get(), &fileHeader, sizeof(fileHeader), "WriteFile1") &&
                    WriteWhole(write, file.Get(), &infoHeader, sizeof(infoHeader), "WriteFile2") &&
                    WriteWhole(write, file.Get(), pixels.data(), layout.imageSize, "WriteFile3") &&
                    ReportLastError(FlushFileBuffers(file.Get()), "FlushFileBuffers");
            BOOL closed = file.Reset();
            ReportLastError(closed, "CloseHandle");
            whole = whole && closed;
        }
    }
    if (whole &&
        ReportLastError(MoveFileExW(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH),
                        "MoveFileEx"))
        return true;
    DeleteFileW(temporary);
    return false;
}

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
    SaveCaptureFile(path, layout, pixels, SystemCaptureWrite);
}
