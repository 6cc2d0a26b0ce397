// The smallest Win32 program that shows a message box: the yardstick that the start-up
// benchmark compares the program's own start with.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    MessageBoxW(nullptr, L"引数が間違っています", L"Tollerup", MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND);
    return 1;
}
