// The system calls behind the screen-saver and power-scheme hold: the screen-saver
// switch, the desktop key of the user's profile and the active power scheme. The
// program uses the real ones; a unit test feeds values and records the writes.
#pragma once

#include <windows.h>

#include <string>

#include "app/handles.h"
#include "app/system_library.h"
#include "power/shared_hold.h"

// Result of a call that reports its failure through GetLastError.
struct SystemCallResult {
    bool ok = true;
    DWORD error = 0;  // GetLastError() when ok is false
};

class PowerHoldSystem {
public:
    virtual ~PowerHoldSystem() = default;

    // SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, ..., SPIF_UPDATEINIFILE | SPIF_SENDCHANGE).
    virtual SystemCallResult SetScreenSaverActive(bool active) = 0;
    // SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE); true when the call fails.
    virtual bool IsScreenSaverActive() = 0;

    // HKEY_CURRENT_USER\Control Panel\Desktop, opened (never created) for query and set.
    virtual bool OpenDesktopKey() = 0;
    // A REG_SZ value of the open key: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND when absent,
    // ERROR_UNSUPPORTED_TYPE for a value of another type, or the registry's error.
    virtual LONG ReadDesktopText(const wchar_t* name, std::wstring* text) = 0;
    // Writes a REG_SZ value, the terminating zero included.
    virtual LONG WriteDesktopText(const wchar_t* name, const std::wstring& text) = 0;
    // Flushes and closes the key (nothing when it is not open).
    virtual void CloseDesktopKey() = 0;

    virtual bool IsSuspendAllowed() = 0;
    virtual bool IsHibernateAllowed() = 0;
    // GetSystemPowerStatus; batteryFlag receives the status's BatteryFlag.
    virtual SystemCallResult GetBatteryFlag(unsigned char* batteryFlag) = 0;

    // PowerGetActiveScheme with the identifier copied out and its memory freed; returns
    // the call's code (0 on success).
    virtual DWORD GetActiveScheme(GUID* scheme) = 0;
    // One time-out of a row (see PowerRow) through the AC or DC value call.
    virtual DWORD ReadTimeout(const GUID& scheme, int row, DWORD* seconds) = 0;
    virtual DWORD WriteTimeout(const GUID& scheme, int row, DWORD seconds) = 0;
    // PowerSetActiveScheme: applies the scheme so that its written values take effect.
    virtual DWORD SetActiveScheme(const GUID& scheme) = 0;

    // The record that the holds of the session share; none (the hold acts alone) unless
    // the system has one.
    virtual HoldRecordAccess* HoldRecord() { return nullptr; }
};

// The calls as the system makes them.
class WindowsPowerHoldSystem : public PowerHoldSystem {
public:
    WindowsPowerHoldSystem() = default;
    WindowsPowerHoldSystem(const WindowsPowerHoldSystem&) = delete;
    WindowsPowerHoldSystem& operator=(const WindowsPowerHoldSystem&) = delete;

    SystemCallResult SetScreenSaverActive(bool active) override;
    bool IsScreenSaverActive() override;
    bool OpenDesktopKey() override;
    LONG ReadDesktopText(const wchar_t* name, std::wstring* text) override;
    LONG WriteDesktopText(const wchar_t* name, const std::wstring& text) override;
    void CloseDesktopKey() override;
    bool IsSuspendAllowed() override;
    bool IsHibernateAllowed() override;
    SystemCallResult GetBatteryFlag(unsigned char* batteryFlag) override;
    DWORD GetActiveScheme(GUID* scheme) override;
    DWORD ReadTimeout(const GUID& scheme, int row, DWORD* seconds) override;
    DWORD WriteTimeout(const GUID& scheme, int row, DWORD seconds) override;
    DWORD SetActiveScheme(const GUID& scheme) override;
    HoldRecordAccess* HoldRecord() override { return &record_; }

private:
    UniqueRegKey desktopKey_;
    SystemLibrary powerLibrary_{L"powrprof.dll"};
    SessionHoldRecord record_;
};

// IsPwrSuspendAllowed and IsPwrHibernateAllowed of the power library; false (after the
// box that says so) when the library or the function cannot be found.
bool IsSleepAllowed();
bool IsHibernationAllowed();
