// The smallest Win32 program that shows a message box, with the program's manifest: what a
// refused start of the program is compared with.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    MessageBoxW(nullptr, L"引数が間違っています", L"Tollerup", MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND);
    return 1;
}
