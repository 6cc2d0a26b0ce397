// Opens one of the program's parameter dialogs by itself, as the action page does, so that
// the end-to-end tests can drive the dialog without the wizard.
//
// Reads "request.txt" (UTF-8 lines "key=value") from the current directory:
//   dialog=command | media | exit
//   text=<the parameter text the dialog opens on>
//   section=<section of TLR.ini in the current directory>  (absent: no section)
// After the dialog it writes "result.txt": "ok=1" or "ok=0", then "text=" and the text.
// On OK with a section it also stores `Act` and the parameter text in that section, as
// the action page stores them.
//
// While the dialog is open, a message-only window of class "TLRTESTDROPHOST" takes
// WM_COPYDATA whose dwData is a window of this process and whose data are UTF-16 paths,
// each ending in a zero. It builds a DROPFILES block in this process's global memory, as
// the shell does for a drop, and posts WM_DROPFILES with it to that window.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/paths.h"
#include "app/settings.h"
#include "app/shell_folder.h"
#include "app/system_info.h"
#include "res/resource.h"
#include "wizard/command_dialog.h"
#include "wizard/exit_dialog.h"
#include "wizard/media_dialog.h"

namespace {

const wchar_t kDropHostClass[] = L"TLRTESTDROPHOST";

std::wstring FromUtf8(const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &out[0], n);
    return out;
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::string ReadFileBytes(const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

struct Request {
    std::wstring dialog;
    std::wstring text;
    std::wstring section;
    bool hasSection = false;
};

Request ReadRequest() {
    Request request;
    std::wstring all = FromUtf8(ReadFileBytes(L"request.txt"));
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find(L"\r\n", start);
        if (end == std::wstring::npos) end = all.size();
        std::wstring line = all.substr(start, end - start);
        size_t equals = line.find(L'=');
        if (equals != std::wstring::npos) {
            std::wstring key = line.substr(0, equals), value = line.substr(equals + 1);
            if (key == L"dialog") request.dialog = value;
            if (key == L"text") request.text = value;
            if (key == L"section") {
                request.section = value;
                request.hasSection = true;
            }
        }
        start = end + 2;
    }
    return request;
}

bool WriteResult(bool ok, const std::wstring& text) {
    std::string bytes = ToUtf8(std::wstring(L"ok=") + (ok ? L"1" : L"0") + L"\r\ntext=" + text + L"\r\n");
    // Written aside and renamed, so that a reader never sees half a file.
    HANDLE file = CreateFileW(L"result.txt.part", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL done = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return done && MoveFileExW(L"result.txt.part", L"result.txt", MOVEFILE_REPLACE_EXISTING);
}

// The paths as the shell hands them over: DROPFILES, then the wide paths, each ending in
// a zero, then one more zero.
void PostDrop(HWND target, const wchar_t* paths, size_t characters) {
    size_t bytes = sizeof(DROPFILES) + (characters + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!memory) return;
    DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), paths, characters * sizeof(wchar_t));
    GlobalUnlock(memory);
    if (!PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0)) GlobalFree(memory);
}

LRESULT CALLBACK DropHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        HWND target = reinterpret_cast<HWND>(data->dwData);
        DWORD pid = 0;
        GetWindowThreadProcessId(target, &pid);
        if (pid != GetCurrentProcessId() || data->cbData % sizeof(wchar_t) != 0) return FALSE;
        PostDrop(target, static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    SetAppInstance(instance);
    OleInitialize(nullptr);
    Request request = ReadRequest();

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DropHostProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kDropHostClass;
    RegisterClassW(&windowClass);
    HWND dropHost = CreateWindowExW(0, kDropHostClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);

    SettingSection settings(JoinPath(ShellFolderPath(kCurrentFolder), kSettingsFileName), request.section);
    const SettingSection* section = request.hasSection ? &settings : nullptr;
    WideString text(request.text);
    bool ok = false;
    int kind = -1;
    const wchar_t* key = nullptr;
    if (request.dialog == L"command") {
        ok = EditCommandParameter(nullptr, text, IDI_APP, section);
        kind = 1;
        key = L"ParamCmd";
    } else if (request.dialog == L"media") {
        ok = EditMediaParameter(nullptr, text, IDI_APP, section);
        kind = 0;
        key = L"ParamPlay";
    } else if (request.dialog == L"exit") {
        ok = EditExitParameter(nullptr, text, IDI_APP, section);
        kind = 2;
        key = L"ParamWinExit";
    }
    if (ok && section) {
        section->WriteInt(L"Act", kind);
        section->WriteString(key, text);
    }
    DestroyWindow(dropHost);
    bool written = WriteResult(ok, text.str());
    OleUninitialize();
    return key && written ? 0 : 1;
}
