#include "driver/mouse_driver.h"

#include "driver/driver.h"

namespace e2e {

namespace {

const DWORD kPointerWait = 3000;

// SendInput maps an absolute position over the virtual screen as
// left + (value * width) / 65536: the smallest value that reaches the pixel.
LONG Normalise(LONG pixel, int start, int extent) {
    if (extent <= 0) return 0;
    long long offset = static_cast<long long>(pixel) - start;
    return static_cast<LONG>((offset * 65536 + extent - 1) / extent);
}

INPUT MouseInput(POINT at, DWORD buttonFlags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = Normalise(at.x, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN));
    input.mi.dy = Normalise(at.y, GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK | buttonFlags;
    return input;
}

bool PointerAt(POINT at) {
    return WaitUntil(
        [&] {
            POINT now = CursorPosition();
            return now.x == at.x && now.y == at.y;
        },
        kPointerWait);
}

bool SendMouse(POINT at, DWORD buttonFlags) {
    INPUT input = MouseInput(at, buttonFlags);
    if (SendInput(1, &input, sizeof(INPUT)) != 1) return false;
    return PointerAt(at);
}

}  // namespace

POINT CursorPosition() {
    POINT at = {0, 0};
    GetCursorPos(&at);
    return at;
}

bool MouseMoveTo(POINT at) {
    return SendMouse(at, 0);
}

bool MousePress(MouseButton button, POINT at) {
    if (!MouseMoveTo(at)) return false;
    return SendMouse(at, button == MouseButton::Left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN);
}

bool MouseRelease(MouseButton button, POINT at) {
    if (!MouseMoveTo(at)) return false;
    return SendMouse(at, button == MouseButton::Left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP);
}

bool MouseClick(MouseButton button, POINT at) {
    return MousePress(button, at) && MouseRelease(button, at);
}

bool TypeKey(WORD virtualKey) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = virtualKey;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return SendInput(2, input, sizeof(INPUT)) == 2;
}

}  // namespace e2e
