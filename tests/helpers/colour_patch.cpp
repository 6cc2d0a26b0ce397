// A borderless window of one colour for the screen-watch tests. Command line: left top
// right bottom, then the colour as six hexadecimal digits RRGGBB. The window's title is
// "TLR colour patch". The test drives it by sending messages to it:
//   WM_APP + 1  wParam: the new colour as a COLORREF; the window is repainted before the
//               message returns
//   WM_APP + 2  exit with code 0
//   WM_APP + 3  wParam: a COLORREF, lParam: a point of the window (x low word, y high
//               word); that one pixel takes the colour until the next WM_APP + 1, and the
//               window is repainted before the message returns
#include <windows.h>

#include <cwchar>

namespace {

const UINT kSetColour = WM_APP + 1;
const UINT kExit = WM_APP + 2;
const UINT kSetPixel = WM_APP + 3;
const wchar_t kClass[] = L"TLRCOLOURPATCH";

COLORREF colour = RGB(40, 160, 90);
struct Pixel {
    POINT at;
    COLORREF colour;
};
Pixel pixels[16];
int pixelCount = 0;

void Repaint(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    GdiFlush();
}

LRESULT CALLBACK PatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc, &paint.rcPaint, brush);
        DeleteObject(brush);
        for (int i = 0; i < pixelCount; ++i) SetPixelV(dc, pixels[i].at.x, pixels[i].at.y, pixels[i].colour);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case kSetColour:
        colour = static_cast<COLORREF>(wParam);
        pixelCount = 0;
        Repaint(window);
        return 1;
    case kSetPixel:
        if (pixelCount < 16) {
            pixels[pixelCount].at.x = static_cast<short>(LOWORD(lParam));
            pixels[pixelCount].at.y = static_cast<short>(HIWORD(lParam));
            pixels[pixelCount].colour = static_cast<COLORREF>(wParam);
            ++pixelCount;
        }
        Repaint(window);
        return 1;
    case kExit:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    int left = 0, top = 0, right = 100, bottom = 100;
    unsigned int rgb = 0x28A05A;
    swscanf(commandLine, L"%d %d %d %d %x", &left, &top, &right, &bottom, &rgb);
    colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = PatchProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClass;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kClass, L"TLR colour patch", WS_POPUP, left, top, right - left,
                                  bottom - top, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
