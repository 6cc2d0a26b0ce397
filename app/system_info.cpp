#include "app/system_info.h"

#include <vector>

#include "app/handles.h"
#include "app/message_box.h"

int registryViewFlag = KEY_WOW64_32KEY;

namespace {
HINSTANCE g_instance = nullptr;

bool VersionAtLeast(DWORD major, DWORD minor, DWORD build, WORD servicePack, DWORD mask) {
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    info.dwBuildNumber = build;
    info.wServicePackMajor = servicePack;
    DWORDLONG condition = 0;
    if (mask & VER_MAJORVERSION) condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    if (mask & VER_MINORVERSION) condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    if (mask & VER_BUILDNUMBER) condition = VerSetConditionMask(condition, VER_BUILDNUMBER, VER_GREATER_EQUAL);
    if (mask & VER_SERVICEPACKMAJOR)
        condition = VerSetConditionMask(condition, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&info, mask, condition) != FALSE;
}
}  // namespace

HINSTANCE AppInstance() {
    return g_instance ? g_instance : GetModuleHandleW(nullptr);
}
void SetAppInstance(HINSTANCE instance) {
    g_instance = instance;
}

int ElevationFromTokenType(int tokenElevationType) {
    switch (tokenElevationType) {
    case TokenElevationTypeLimited:
        return kElevationLimited;
    case TokenElevationTypeFull:
        return kElevationFull;
    default:
        return kElevationNotSplit;
    }
}

OsLevel CheckOsLevel(BOOL* wow64, int* elevation) {
    const DWORD mmb = VER_MAJORVERSION | VER_MINORVERSION | VER_BUILDNUMBER;
    const DWORD mms = VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR;
    OsLevel level = 0;
    if (VersionAtLeast(10, 0, 22000, 0, mmb))
        level = 6;
    else if (VersionAtLeast(10, 0, 0, 0, VER_MAJORVERSION))
        level = 5;
    else if (VersionAtLeast(6, 3, 0, 0, mms))
        level = 4;
    else if (VersionAtLeast(6, 2, 0, 0, mms))
        level = 3;
    else if (VersionAtLeast(6, 1, 0, 0, mms))
        level = 2;
    else if (VersionAtLeast(6, 0, 0, 0, mms))
        level = 1;
    else
        ShowErrorBox(L"このＯＳではサポートされていません。");

    if (wow64) {
        *wow64 = FALSE;
        if (!IsWow64Process(GetCurrentProcess(), wow64)) *wow64 = FALSE;
    }
    if (elevation) {
        *elevation = kElevationNotSplit;
        HANDLE raw = nullptr;
        if (ReportLastError(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw), "OpenProcessToken")) {
            UniqueHandle token(raw);
            DWORD type = 0;
            DWORD size = 0;
            if (ReportLastError(GetTokenInformation(token.Get(), TokenElevationType, &type, sizeof(type), &size),
                                "GetTokenInformation"))
                *elevation = ElevationFromTokenType(static_cast<int>(type));
            ReportLastError(token.Reset(), "CloseHandle");
        }
    }
    return level;
}

int RegistryViewFlagFor(bool underWow64) {
    return underWow64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

void InitRegistryViewFlag() {
    BOOL wow64 = FALSE;
    CheckOsLevel(&wow64, nullptr);
    registryViewFlag = RegistryViewFlagFor(wow64 != FALSE);
}

WideString ModuleFilePath(HMODULE module, unsigned long firstSize) {
    // The longest path Windows has is 32767 characters.
    const DWORD kLongest = 32768;
    DWORD size = firstSize > 0 ? firstSize : MAX_PATH;
    for (;;) {
        std::vector<wchar_t> buffer(size, L'\0');
        DWORD length = GetModuleFileNameW(module, buffer.data(), size);
        if (length == 0) return WideString();
        // A path that does not fit is cut to the buffer's size.
        if (length < size) return WideString(buffer.data(), length);
        if (size >= kLongest) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return WideString();
        }
        size = size * 2 < kLongest ? size * 2 : kLongest;
    }
}

WideString CurrentFolderPath() {
    // The folder can change between asking its length and reading it: ask again then.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD needed = GetCurrentDirectoryW(0, nullptr);
        if (needed == 0) return WideString();
        std::vector<wchar_t> buffer(needed, L'\0');
        DWORD length = GetCurrentDirectoryW(needed, buffer.data());
        if (length == 0) return WideString();
        if (length < needed) return WideString(buffer.data(), length);
    }
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return WideString();
}

bool RestrictLibrarySearch() {
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesProc)(DWORD);
    // kernel32 is always loaded: no library is searched for to find the function.
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    SetDefaultDllDirectoriesProc setDefault =
        kernel ? reinterpret_cast<SetDefaultDllDirectoriesProc>(GetProcAddress(kernel, "SetDefaultDllDirectories"))
               : nullptr;
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
    SetDllDirectoryW(L"");
    return false;
}
