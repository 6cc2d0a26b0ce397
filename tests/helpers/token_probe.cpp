// Appends one line to the file named by its argument: the elevation type of its own token
// (1 default, 2 limited, 3 full), its process id and the id of the process that started it.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>

namespace {
DWORD ParentProcessId() {
    DWORD self = GetCurrentProcessId(), parent = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
    }
    CloseHandle(snapshot);
    return parent;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    HANDLE token = nullptr;
    DWORD type = 0, size = 0;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        GetTokenInformation(token, TokenElevationType, &type, sizeof(type), &size);
        CloseHandle(token);
    }
    wchar_t path[MAX_PATH] = {};
    const wchar_t* p = arguments;
    while (*p == L' ') ++p;
    if (*p == L'"') ++p;
    int n = 0;
    while (*p && *p != L'"' && n < MAX_PATH - 1) path[n++] = *p++;
    FILE* file = _wfopen(path, L"a");
    if (!file) return 2;
    std::fprintf(file, "%lu %lu %lu\n", type, GetCurrentProcessId(), ParentProcessId());
    std::fclose(file);
    return 0;
}
