// A bystander for the session-ending test: a plain top-level window that appends what it
// sees to a record file, one line each, written through at once so that nothing is lost
// when the session ends the process:
//   "ready"                       the window exists
//   "countdown-shown <ms>"        a visible window with the watched title appeared
//   "pressed <ms>"                its button "即実行" (control 9503) was pressed, when asked
//   "bar <position> <ms>"         the position of its bar (control 9502) changed
//   "countdown-hidden <ms>"       it was hidden
//   "countdown-gone <ms>"         it no longer exists
//   "query <lParam>"              WM_QUERYENDSESSION (answered TRUE)
//   "end <wParam> <ms>"           WM_ENDSESSION
// Times are GetTickCount values. Arguments: the record file, the title to watch, and
// "run-now" to press the countdown's "即実行" as soon as it shows.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

std::wstring g_record;
std::wstring g_watchedTitle;
bool g_pressRunNow = false;
bool g_countdownShown = false;
bool g_countdownHidden = false;
bool g_countdownGone = false;
long long g_barPosition = -1;

void Record(const std::string& line) {
    HANDLE file = CreateFileW(g_record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    FlushFileBuffers(file);
    CloseHandle(file);
}

void RecordNumber(const char* what, unsigned long long value) {
    char line[96];
    snprintf(line, sizeof(line), "%s %llu", what, value);
    Record(line);
}

void RecordBar(HWND countdown) {
    HWND bar = GetDlgItem(countdown, 9502);
    DWORD_PTR position = 0;
    // PBM_GETPOS; a busy window is skipped rather than read as 0.
    if (!bar || !SendMessageTimeoutW(bar, WM_USER + 8, 0, 0, SMTO_ABORTIFHUNG, 100, &position)) return;
    if (static_cast<long long>(position) == g_barPosition) return;
    g_barPosition = static_cast<long long>(position);
    char line[96];
    snprintf(line, sizeof(line), "bar %lld %lu", g_barPosition, GetTickCount());
    Record(line);
}

void CheckCountdown() {
    if (g_watchedTitle.empty() || g_countdownGone) return;
    HWND countdown = FindWindowW(nullptr, g_watchedTitle.c_str());
    bool visible = countdown && IsWindowVisible(countdown);
    if (visible && !g_countdownShown) {
        g_countdownShown = true;
        RecordNumber("countdown-shown", GetTickCount());
        RecordBar(countdown);
        if (g_pressRunNow) {
            RecordNumber("pressed", GetTickCount());
            PostMessageW(GetDlgItem(countdown, 9503), BM_CLICK, 0, 0);
        }
    }
    if (visible) RecordBar(countdown);
    if (g_countdownShown && !visible && !g_countdownHidden) {
        g_countdownHidden = true;
        RecordNumber("countdown-hidden", GetTickCount());
    }
    if (g_countdownShown && !countdown) {
        g_countdownGone = true;
        RecordNumber("countdown-gone", GetTickCount());
    }
}

LRESULT CALLBACK BystanderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        CheckCountdown();
        return 0;
    case WM_QUERYENDSESSION:
        CheckCountdown();
        RecordNumber("query", static_cast<unsigned long long>(lParam));
        return TRUE;
    case WM_ENDSESSION: {
        char line[96];
        snprintf(line, sizeof(line), "end %llu %lu", static_cast<unsigned long long>(wParam), GetTickCount());
        Record(line);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args || count < 2) return 2;
    g_record = args[1];
    if (count >= 3) g_watchedTitle = args[2];
    g_pressRunNow = count >= 4 && lstrcmpW(args[3], L"run-now") == 0;
    LocalFree(args);

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = BystanderProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"TLRSESSIONBYSTANDER";
    if (!RegisterClassW(&windowClass)) return 3;
    HWND window = CreateWindowW(L"TLRSESSIONBYSTANDER", L"bystander", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                nullptr, nullptr, instance, nullptr);
    if (!window) return 4;
    SetTimer(window, 1, 50, nullptr);
    Record("ready");

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
