// Real input as a user makes it: the mouse moved, pressed and released with either button
// at exact pixels of the virtual screen, and keys typed, all through SendInput so that
// the program under test receives hardware messages (and its mouse capture applies).
#pragma once

#include <windows.h>

namespace e2e {

enum class MouseButton { Left, Right };

// The pointer's position now.
POINT CursorPosition();
// Moves the pointer to the pixel; true once the pointer is there.
bool MouseMoveTo(POINT at);
// Presses or releases a button at the pixel (the pointer moves there first).
bool MousePress(MouseButton button, POINT at);
bool MouseRelease(MouseButton button, POINT at);
// Presses and releases a button at the pixel.
bool MouseClick(MouseButton button, POINT at);
// Presses and releases a key (a virtual-key code); it goes to the foreground window.
bool TypeKey(WORD virtualKey);

}  // namespace e2e
