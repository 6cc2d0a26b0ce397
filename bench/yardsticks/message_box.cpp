// The yardstick of the start-up benchmark: the smallest Win32 program that shows the box
// of a refused start. Built three times: without a manifest, with the program's manifest,
// and with that manifest asking for Common Controls 6 as well (what the program's own
// manifest asked for before those were activated only for the roads that show windows).
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    MessageBoxW(nullptr, L"引数が間違っています", L"Tollerup", MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND);
    return 1;
}
