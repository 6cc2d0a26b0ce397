// The yardstick of the start-up benchmark: the smallest Win32 program that shows the box
// of a refused start. Built three times: without a manifest, with the program's manifest
// less its Common Controls 6 dependency, and with the program's manifest as it is.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    MessageBoxW(nullptr, L"引数が間違っています", L"Tollerup", MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND);
    return 1;
}
