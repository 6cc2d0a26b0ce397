#include "watch/screen_note.h"

#include <cstddef>
#include <vector>

#include "app/message_box.h"
#include "app/system_info.h"
#include "res/resource.h"
#include "watch/monitor_layout.h"

const wchar_t kScreenNoteClass[] = L"TLRSCRNOTE";

namespace {
// The note that the window procedure serves.
ScreenNote* g_note = nullptr;
}  // namespace

ScreenNote::ScreenNote(const StringList& lines, const RECT& area) : lines_(lines) {
    g_note = this;
    cursor_.Reset(static_cast<HCURSOR>(
        LoadImageW(AppInstance(), MAKEINTRESOURCEW(IDC_NOTE_CURSOR), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)));
    Register();
    window_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kScreenNoteClass, L"", WS_POPUP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 1, 1, nullptr, nullptr, AppInstance(), nullptr));
    ReportLastError(window_.IsValid(), "CreateWindowEx");
    if (!window_) return;
    // The class may hold the cursor of an earlier note of this process: give it this one.
    if (cursor_) SetClassLongPtrW(window_.Get(), GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor_.Get()));
    CreateNoteFont();
    Measure();

    MonitorLayout layout;
    POINT position = PlaceNote(area, layout.bounds, size_.width, size_.height);
    ReportLastError(
        SetWindowPos(window_.Get(), HWND_TOPMOST, position.x, position.y, size_.width, size_.height, SWP_NOACTIVATE),
        "SetWindowPos");
    ShowWindow(window_.Get(), SW_SHOWNORMAL);
    UpdateWindow(window_.Get());
}

ScreenNote::~ScreenNote() {
    ReportLastError(font_.Reset(), "DeleteObject");
    ReportLastError(window_.Reset(), "DestroyWindow");
    // The window is gone, so its cursor is no longer in use.
    cursor_.Reset();
    lines_.Clear();
    if (g_note == this) g_note = nullptr;
}

void ScreenNote::Register() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &ScreenNote::WindowProc;
    windowClass.hInstance = AppInstance();
    windowClass.hCursor = cursor_.Get();
    windowClass.lpszClassName = kScreenNoteClass;
    if (RegisterClassW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        ReportLastError(FALSE, "RegisterClass");
}

void ScreenNote::CreateNoteFont() {
    // The size without the padded-border field, which every supported system accepts.
    NONCLIENTMETRICSW metrics = {};
    const UINT size = static_cast<UINT>(offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth));
    metrics.cbSize = size;
    if (ReportLastError(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, size, &metrics, 0), "SystemParametersInfo"))
        font_.Reset(CreateFontIndirectW(&metrics.lfMenuFont));
}

void ScreenNote::Measure() {
    WindowDc dc(window_.Get());
    if (!dc) return;
    HGDIOBJ previous = font_ ? SelectObject(dc.Get(), font_.Get()) : nullptr;
    std::vector<SIZE> extents(static_cast<size_t>(lines_.Count()));
    for (int i = 0; i < lines_.Count(); ++i) {
        const WideString& line = lines_.At(i);
        SIZE& extent = extents[static_cast<size_t>(i)];
        extent.cx = 0;
        extent.cy = 0;
        if (line.IsEmpty()) {
            // An empty line still takes a line's height: measure a blank for it.
            ReportLastError(GetTextExtentPoint32W(dc.Get(), L" ", 1, &extent), "GetTextExtentPoint32");
            extent.cx = 0;
        } else {
            ReportLastError(GetTextExtentPoint32W(dc.Get(), line.c_str(), line.Length(), &extent),
                            "GetTextExtentPoint32");
        }
    }
    if (previous) SelectObject(dc.Get(), previous);
    size_ = MeasureNote(extents.data(), static_cast<int>(extents.size()));
}

void ScreenNote::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_.Get(), &paint);
    if (!dc) return;
    HGDIOBJ previous = font_ ? SelectObject(dc, font_.Get()) : nullptr;
    RECT all = {0, 0, size_.width, size_.height};
    COLORREF info = GetSysColor(COLOR_INFOBK);
    {
        UniqueGdi<HBRUSH> background(CreateSolidBrush(info));
        ReportLastError(FillRect(dc, &all, background.Get()) != 0, "FillRect");
    }
    ReportLastError(FrameRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))) != 0, "FrameRect");
    SetTextColor(dc, RGB(0, 0, 0));
    ReportLastError(SetBkMode(dc, TRANSPARENT) != 0, "SetBkMode");
    ReportLastError(SetBkColor(dc, info) != CLR_INVALID, "SetBkColor");
    for (int i = 0; i < lines_.Count(); ++i) {
        const WideString& line = lines_.At(i);
        if (line.IsEmpty()) continue;
        ReportLastError(TextOutW(dc, 2, i * size_.lineHeight, line.c_str(), line.Length()), "TextOut");
    }
    if (previous) SelectObject(dc, previous);
    EndPaint(window_.Get(), &paint);
}

LRESULT CALLBACK ScreenNote::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        if (g_note && g_note->window_.Get() == window) {
            g_note->Paint();
            return 0;
        }
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
