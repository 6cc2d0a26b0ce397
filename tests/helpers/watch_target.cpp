// A program for the tests to watch. Its main window has the title given on the command
// line; the test drives it by posting messages to that window:
//   WM_APP + 1  open a second top-level window
//   WM_APP + 2  close the second window
//   WM_APP + 3  change the main window's title (" *" is appended)
//   WM_APP + 4  stop answering messages (the thread sleeps until the process is ended)
//   WM_APP + 5  exit with code 0
//   WM_APP + 6  add a child button "Child button", a hidden top-level window "Hidden window"
//               and a second thread without windows
#include <windows.h>

namespace {

const UINT kOpenSecond = WM_APP + 1;
const UINT kCloseSecond = WM_APP + 2;
const UINT kChangeTitle = WM_APP + 3;
const UINT kHang = WM_APP + 4;
const UINT kExit = WM_APP + 5;
const UINT kAddExtras = WM_APP + 6;

const wchar_t kMainClass[] = L"TLRWATCHTARGET";
const wchar_t kSecondClass[] = L"TLRWATCHTARGETSECOND";

HWND second = nullptr;
HWND hidden = nullptr;

DWORD WINAPI QuietThread(LPVOID) {
    Sleep(INFINITE);
    return 0;
}

void AddExtras(HWND window) {
    if (hidden) return;
    HANDLE thread = CreateThread(nullptr, 0, QuietThread, nullptr, 0, nullptr);
    if (thread) CloseHandle(thread);
    hidden = CreateWindowExW(0, kSecondClass, L"Hidden window", WS_OVERLAPPEDWINDOW, 400, 300, 200, 100, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    CreateWindowExW(0, L"BUTTON", L"Child button", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 120, 30, window,
                    nullptr, GetModuleHandleW(nullptr), nullptr);
}

LRESULT CALLBACK SecondProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && window == second) second = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kOpenSecond:
        if (!second) {
            second = CreateWindowExW(0, kSecondClass, L"Second window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200, 300,
                                     200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        }
        return 0;
    case kCloseSecond:
        if (second) DestroyWindow(second);
        return 0;
    case kChangeTitle: {
        wchar_t title[300] = {};
        GetWindowTextW(window, title, 290);
        lstrcatW(title, L" *");
        SetWindowTextW(window, title);
        return 0;
    }
    case kAddExtras:
        AddExtras(window);
        return 0;
    case kHang:
        for (;;) Sleep(60000);
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
    WNDCLASSW mainClass = {};
    mainClass.lpfnWndProc = MainProc;
    mainClass.hInstance = instance;
    mainClass.lpszClassName = kMainClass;
    mainClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    WNDCLASSW secondClass = mainClass;
    secondClass.lpfnWndProc = SecondProc;
    secondClass.lpszClassName = kSecondClass;
    if (!RegisterClassW(&mainClass) || !RegisterClassW(&secondClass)) return 2;

    const wchar_t* title = (commandLine && *commandLine) ? commandLine : L"Watch target";
    HWND window = CreateWindowExW(0, kMainClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 320, 200, nullptr,
                                  nullptr, instance, nullptr);
    if (!window) return 3;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
