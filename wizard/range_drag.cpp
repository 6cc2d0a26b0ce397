#include "wizard/range_drag.h"

#include <cstddef>
#include <memory>

#include "app/message_box.h"
#include "app/system_info.h"

const wchar_t kRangeDragClass[] = L"RANGEDRAGWINCLASS";
const wchar_t kRangeDragLabel[] = L"範囲をドラッグしてください";

namespace {

const UINT_PTR kFollowTimer = 1;
const UINT kFollowInterval = 100;
const BYTE kDragAlpha = 128;
// Posted to the drag window by the keyboard hook: Esc was pressed.
const UINT kCancelDrag = WM_APP + 1;

// The drag that the window procedure and the keyboard hook serve; one at a time.
std::unique_ptr<RangeDragWindow> g_drag;

RangeDragWindow* DragOf(HWND window) {
    return g_drag && g_drag->Window() == window ? g_drag.get() : nullptr;
}

// Destroys the drag after its window has done its last work. The pointer is cleared
// first: the messages that closing sends find no drag any more.
void EndDrag() {
    std::unique_ptr<RangeDragWindow> ending = std::move(g_drag);
    ending.reset();
}

// Screen position of the mouse message being handled.
POINT MessagePoint() {
    DWORD position = GetMessagePos();
    POINT at = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    return at;
}

}  // namespace

bool StartRangeDrag(RECT* target, const RangeDragNotice& notice) {
    if (g_drag) return false;
    g_drag.reset(new RangeDragWindow(target, notice));
    if (!g_drag->Open()) {
        EndDrag();
        return false;
    }
    return true;
}

bool IsRangeDragRunning() {
    return g_drag != nullptr;
}

void CancelRangeDrag() {
    EndDrag();
}

RangeDragWindow::RangeDragWindow(RECT* target, const RangeDragNotice& notice)
    : target_(target), notice_(notice), tracker_(SIZE{0, 0}) {}

RangeDragWindow::~RangeDragWindow() {
    Close();
}

bool RangeDragWindow::Open() {
    POINT cursor = {0, 0};
    ReportLastError(GetCursorPos(&cursor), "GetCursorPos");
    Register();
    window_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kRangeDragClass, L"", WS_POPUP | WS_DISABLED,
                                  cursor.x, cursor.y, 1, 1, nullptr, nullptr, AppInstance(), nullptr));
    ReportLastError(window_.IsValid(), "CreateWindowEx");
    if (!window_) return false;
    HWND window = window_.Get();
    CreateLabelFont();
    tracker_ = RangeDragTracker(MeasureLabel());
    SIZE label = tracker_.Label();
    // The label stays at the cursor until the first update centres it there.
    ReportLastError(SetWindowPos(window, HWND_TOPMOST, 0, 0, label.cx, label.cy, SWP_NOMOVE | SWP_NOACTIVATE),
                    "SetWindowPos");
    // Not activated: the wizard keeps the keyboard, and Esc reaches the hook below.
    ShowWindow(window, SW_SHOWNA);
    UpdateWindow(window);
    SetCapture(window);
    keyboardHook_.Reset(SetWindowsHookExW(WH_KEYBOARD, &RangeDragWindow::KeyboardProc, nullptr, GetCurrentThreadId()));
    ReportLastError(keyboardHook_.IsValid(), "SetWindowsHookEx");
    ReportLastError(SetTimer(window, kFollowTimer, kFollowInterval, nullptr) != 0, "SetTimer");
    return true;
}

void RangeDragWindow::Register() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &RangeDragWindow::WindowProc;
    windowClass.hInstance = AppInstance();
    windowClass.lpszClassName = kRangeDragClass;
    if (RegisterClassW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        ReportLastError(FALSE, "RegisterClass");
}

void RangeDragWindow::CreateLabelFont() {
    // The size without the padded-border field, which every supported system accepts.
    NONCLIENTMETRICSW metrics = {};
    const UINT size = static_cast<UINT>(offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth));
    metrics.cbSize = size;
    if (ReportLastError(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, size, &metrics, 0), "SPI_GETNONCLIENTMETRICS"))
        font_.Reset(CreateFontIndirectW(&metrics.lfMenuFont));
}

SIZE RangeDragWindow::MeasureLabel() {
    SIZE extent = {0, 0};
    WindowDc dc(window_.Get());
    if (!dc) return extent;
    HGDIOBJ previous = font_ ? SelectObject(dc.Get(), font_.Get()) : nullptr;
    ReportLastError(
        GetTextExtentPoint32W(dc.Get(), kRangeDragLabel, static_cast<int>(wcslen(kRangeDragLabel)), &extent),
        "GetTextExtentPoint32");
    if (previous) SelectObject(dc.Get(), previous);
    extent.cx += 4;
    return extent;
}

void RangeDragWindow::Follow() {
    POINT cursor = {0, 0};
    if (!ReportLastError(GetCursorPos(&cursor), "GetCursorPos")) return;
    SetCapture(window_.Get());
    WindowBox box = tracker_.WindowFor(cursor);
    ReportLastError(MoveWindow(window_.Get(), box.x, box.y, box.width, box.height, TRUE), "MoveWindow");
}

void RangeDragWindow::Press(POINT at) {
    if (!tracker_.Press(at)) return;
    HWND window = window_.Get();
    KillTimer(window, kFollowTimer);
    // Half transparent before it shrinks to the press point: the user sees the range
    // through it from its first pixel.
    SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    ReportLastError(SetLayeredWindowAttributes(window, 0, kDragAlpha, LWA_ALPHA), "SetLayeredWindowAttributes");
    ReportLastError(MoveWindow(window, at.x, at.y, 1, 1, TRUE), "MoveWindow");
    InvalidateRect(window, nullptr, TRUE);
}

void RangeDragWindow::DragTo() {
    POINT cursor = {0, 0};
    if (!ReportLastError(GetCursorPos(&cursor), "GetCursorPos")) return;
    WindowBox box = tracker_.WindowFor(cursor);
    ReportLastError(MoveWindow(window_.Get(), box.x, box.y, box.width, box.height, TRUE), "MoveWindow");
}

bool RangeDragWindow::Release(POINT at) {
    RECT range;
    if (!tracker_.Release(at, &range)) return false;
    if (target_) *target_ = range;
    if (notice_.window)
        ReportLastError(PostMessageW(notice_.window, notice_.message, notice_.wParam, notice_.lParam), "PostMessage");
    return true;
}

void RangeDragWindow::Paint() {
    PAINTSTRUCT paint;
    HWND window = window_.Get();
    HDC dc = BeginPaint(window, &paint);
    if (!dc) return;
    RECT all = {0, 0, 0, 0};
    GetClientRect(window, &all);
    if (tracker_.CurrentPhase() == RangeDragTracker::Phase::Following) {
        ReportLastError(FillRect(dc, &all, GetSysColorBrush(COLOR_INFOBK)) != 0, "FillRect");
        ReportLastError(FrameRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))) != 0, "FrameRect");
        HGDIOBJ previous = font_ ? SelectObject(dc, font_.Get()) : nullptr;
        SetTextColor(dc, RGB(0, 0, 0));
        ReportLastError(SetBkMode(dc, TRANSPARENT) != 0, "SetBkMode");
        ReportLastError(SetBkColor(dc, GetSysColor(COLOR_INFOBK)) != CLR_INVALID, "SetBkColor");
        ReportLastError(TextOutW(dc, 2, 0, kRangeDragLabel, static_cast<int>(wcslen(kRangeDragLabel))), "TextOut");
        if (previous) SelectObject(dc, previous);
    } else {
        ReportLastError(FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE)) != 0, "FillRect");
    }
    EndPaint(window, &paint);
}

void RangeDragWindow::Close() {
    if (!window_) return;
    ReportLastError(ReleaseCapture(), "ReleaseCapture");
    keyboardHook_.Reset();
    ReportLastError(font_.Reset(), "DeleteObject");
    ReportLastError(window_.Reset(), "DestroyWindow");
}

LRESULT CALLBACK RangeDragWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RangeDragWindow* drag = DragOf(window);
    if (!drag) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_TIMER:
        if (drag->tracker_.CurrentPhase() == RangeDragTracker::Phase::Following) drag->Follow();
        return 0;
    case WM_MOUSEMOVE:
        if (drag->tracker_.CurrentPhase() == RangeDragTracker::Phase::Following) {
            drag->Follow();
        } else {
            drag->DragTo();
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        drag->Press(MessagePoint());
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (drag->Release(MessagePoint())) EndDrag();
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;  // the wizard keeps the keyboard
    case kCancelDrag:
        EndDrag();
        return 0;
    case WM_PAINT:
        drag->Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // painting fills the whole window
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK RangeDragWindow::KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == VK_ESCAPE && g_drag) {
        // Esc belongs to the drag while it runs: the wizard must not take it as Cancel.
        bool keyDown = (static_cast<DWORD>(lParam) & 0x80000000u) == 0;
        if (keyDown) PostMessageW(g_drag->Window(), kCancelDrag, 0, 0);
        return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
