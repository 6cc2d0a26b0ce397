// The smallest Win32 program that shows a message box. Built with the program's manifest, it is
// what a refused start is compared with, here and in the start-up benchmark.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    MessageBoxW(nullptr, L"引数が間違っています", L"Tollerup", MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND);
    return 1;
}
