#include "power/power_hold_system.h"

#include <cstdint>
#include <vector>

#include "app/message_box.h"
#include "app/system_info.h"
#include "power/power_timeouts.h"

namespace {
// Subgroups and settings of the power scheme (the system's GUID_VIDEO_SUBGROUP,
// GUID_VIDEO_POWERDOWN_TIMEOUT, GUID_SLEEP_SUBGROUP, GUID_STANDBY_TIMEOUT and
// GUID_HIBERNATE_TIMEOUT), spelled out so that no unit has to instantiate them.
const GUID kVideoSubgroup = {0x7516b95f, 0xf776, 0x4464, {0x8c, 0x53, 0x06, 0x16, 0x7f, 0x40, 0xcc, 0x99}};
const GUID kVideoPowerdownTimeout = {0x3c0bc021, 0xc8a8, 0x4e07, {0xa9, 0x73, 0x6b, 0x14, 0xcb, 0xcb, 0x2b, 0x7e}};
const GUID kSleepSubgroup = {0x238c9fa8, 0x0aad, 0x41ed, {0x83, 0xf4, 0x97, 0xbe, 0x24, 0x2c, 0x8f, 0x20}};
const GUID kStandbyTimeout = {0x29f6c1db, 0x86da, 0x48c5, {0x9f, 0xdb, 0xf2, 0xb6, 0x7b, 0x1f, 0x44, 0xda}};
const GUID kHibernateTimeout = {0x9d7815a6, 0x7ee4, 0x497e, {0x88, 0x88, 0x51, 0x5a, 0x05, 0xf0, 0x23, 0x64}};

const GUID& RowSubgroup(int row) {
    return row % 3 == 0 ? kVideoSubgroup : kSleepSubgroup;
}

const GUID& RowSetting(int row) {
    switch (row % 3) {
    case 0:
        return kVideoPowerdownTimeout;
    case 1:
        return kStandbyTimeout;
    default:
        return kHibernateTimeout;
    }
}

const wchar_t kDesktopKeyPath[] = L"Control Panel\\Desktop";

// The functions of the power library, looked up by name.
typedef BOOLEAN(WINAPI* CapabilityProc)();
typedef DWORD(WINAPI* GetActiveSchemeProc)(HKEY root, GUID** scheme);
typedef DWORD(WINAPI* ReadValueProc)(HKEY root, const GUID* scheme, const GUID* subgroup, const GUID* setting,
                                     DWORD* value);
typedef DWORD(WINAPI* WriteValueProc)(HKEY root, const GUID* scheme, const GUID* subgroup, const GUID* setting,
                                      DWORD value);
typedef DWORD(WINAPI* SetActiveSchemeProc)(HKEY root, const GUID* scheme);

bool AskCapability(const char* function) {
    SystemLibrary library(L"powrprof.dll");
    CapabilityProc ask = library.FindAs<CapabilityProc>(function);
    return ask && ask() != FALSE;
}
}  // namespace

bool IsSleepAllowed() {
    return AskCapability("IsPwrSuspendAllowed");
}

bool IsHibernationAllowed() {
    return AskCapability("IsPwrHibernateAllowed");
}

SystemCallResult WindowsPowerHoldSystem::SetScreenSaverActive(bool active) {
    SystemCallResult result;
    result.ok = SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, active ? TRUE : FALSE, nullptr,
                                      SPIF_UPDATEINIFILE | SPIF_SENDCHANGE) != FALSE;
    if (!result.ok) result.error = GetLastError();
    return result;
}

bool WindowsPowerHoldSystem::IsScreenSaverActive() {
    BOOL active = TRUE;
    if (!SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0)) return true;
    return active != FALSE;
}

bool WindowsPowerHoldSystem::OpenDesktopKey() {
    HKEY key = nullptr;
    REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE | static_cast<REGSAM>(registryViewFlag);
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKeyPath, 0, access, &key) != ERROR_SUCCESS) key = nullptr;
    desktopKey_.Reset(key);
    return desktopKey_.IsValid();
}

LONG WindowsPowerHoldSystem::ReadDesktopText(const wchar_t* name, std::wstring* text) {
    if (!desktopKey_) return ERROR_INVALID_HANDLE;
    DWORD type = 0;
    DWORD bytes = 0;
    LONG status = RegQueryValueExW(desktopKey_.Get(), name, nullptr, &type, nullptr, &bytes);
    if (status != ERROR_SUCCESS) return status;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_UNSUPPORTED_TYPE;
    // One character more than the value holds, so that the text ends in a zero even when
    // the stored value has none.
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
    bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    status = RegQueryValueExW(desktopKey_.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (status != ERROR_SUCCESS) return status;
    text->assign(buffer.data());
    return ERROR_SUCCESS;
}

LONG WindowsPowerHoldSystem::WriteDesktopText(const wchar_t* name, const std::wstring& text) {
    if (!desktopKey_) return ERROR_INVALID_HANDLE;
    DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(desktopKey_.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
}

void WindowsPowerHoldSystem::CloseDesktopKey() {
    if (desktopKey_) RegFlushKey(desktopKey_.Get());
    desktopKey_.Reset();
}

bool WindowsPowerHoldSystem::IsSuspendAllowed() {
    return IsSleepAllowed();
}

bool WindowsPowerHoldSystem::IsHibernateAllowed() {
    return IsHibernationAllowed();
}

SystemCallResult WindowsPowerHoldSystem::GetBatteryFlag(unsigned char* batteryFlag) {
    SYSTEM_POWER_STATUS status = {};
    SystemCallResult result;
    result.ok = GetSystemPowerStatus(&status) != FALSE;
    if (!result.ok) result.error = GetLastError();
    *batteryFlag = status.BatteryFlag;
    return result;
}

DWORD WindowsPowerHoldSystem::GetActiveScheme(GUID* scheme) {
    // A function that cannot be found fails with the reason as its code, which the
    // caller reports under the function's name like any other code.
    DWORD code = ERROR_SUCCESS;
    auto getActive = powerLibrary_.LookupAs<GetActiveSchemeProc>("PowerGetActiveScheme", &code);
    if (!getActive) return code;
    GUID* active = nullptr;
    code = getActive(nullptr, &active);
    if (code == ERROR_SUCCESS && active) *scheme = *active;
    if (code == ERROR_SUCCESS && !active) code = ERROR_INVALID_DATA;
    if (active) {
        HLOCAL left = LocalFree(active);
        if (left) ReportErrorCode(static_cast<long>(reinterpret_cast<std::intptr_t>(left)), "LocalFree");
    }
    return code;
}

DWORD WindowsPowerHoldSystem::ReadTimeout(const GUID& scheme, int row, DWORD* seconds) {
    DWORD code = ERROR_SUCCESS;
    auto read = powerLibrary_.LookupAs<ReadValueProc>(ReadCallName(row), &code);
    if (!read) return code;
    return read(nullptr, &scheme, &RowSubgroup(row), &RowSetting(row), seconds);
}

DWORD WindowsPowerHoldSystem::WriteTimeout(const GUID& scheme, int row, DWORD seconds) {
    DWORD code = ERROR_SUCCESS;
    auto write = powerLibrary_.LookupAs<WriteValueProc>(WriteCallName(row), &code);
    if (!write) return code;
    return write(nullptr, &scheme, &RowSubgroup(row), &RowSetting(row), seconds);
}

DWORD WindowsPowerHoldSystem::SetActiveScheme(const GUID& scheme) {
    DWORD code = ERROR_SUCCESS;
    auto setActive = powerLibrary_.LookupAs<SetActiveSchemeProc>("PowerSetActiveScheme", &code);
    if (!setActive) return code;
    return setActive(nullptr, &scheme);
}
