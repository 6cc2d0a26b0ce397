// Writes the elevation type of its own token (1 default, 2 limited, 3 full) and its
// process id into the file named by its argument.
#include <windows.h>

#include <cstdio>

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
    FILE* file = _wfopen(path, L"w");
    if (!file) return 2;
    std::fprintf(file, "%lu %lu\n", type, GetCurrentProcessId());
    std::fclose(file);
    return 0;
}
