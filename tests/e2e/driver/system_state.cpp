#include "driver/system_state.h"

#include <cwchar>

namespace e2e {

namespace {
const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kScreenSaveActive[] = L"ScreenSaveActive";
const wchar_t kAbsent[] = L"(absent)";
}  // namespace

bool RunsUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

TOKEN_ELEVATION_TYPE TestTokenElevation() {
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        DWORD size = 0;
        if (!GetTokenInformation(token, TokenElevationType, &type, sizeof(type), &size))
            type = TokenElevationTypeDefault;
        CloseHandle(token);
    }
    return type;
}

std::wstring PageTitle(const std::wstring& base) {
    return TestTokenElevation() == TokenElevationTypeFull ? base + L"(昇格中)" : base;
}

std::wstring UnixToWindowsPath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    std::wstring out = L"Z:" + path;
    for (wchar_t& ch : out) {
        if (ch == L'/') ch = L'\\';
    }
    return out;
}

std::wstring HandleText(HWND window) {
    wchar_t text[24];
    swprintf(text, 24, L"%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
    return text;
}

std::wstring ReadScreenSaveActive() {
    wchar_t value[64] = {};
    DWORD bytes = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, kScreenSaveActive, RRF_RT_REG_SZ, nullptr, value, &bytes) !=
        ERROR_SUCCESS)
        return kAbsent;
    return value;
}

bool WriteScreenSaveActive(const std::wstring& value) {
    LSTATUS status;
    if (value == kAbsent) {
        status = RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kScreenSaveActive);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    status = RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kScreenSaveActive, REG_SZ, value.c_str(),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    return status == ERROR_SUCCESS;
}

ScreenSaverValue::ScreenSaverValue(const std::wstring& value) : original_(ReadScreenSaveActive()) {
    WriteScreenSaveActive(value);
}

ScreenSaverValue::~ScreenSaverValue() {
    WriteScreenSaveActive(original_);
}

}  // namespace e2e
