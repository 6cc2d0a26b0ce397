// A power-hold system that answers with given values and records every call that would
// change something, in order.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "power/power_hold_system.h"

// Scheme identifiers for the tests: the first and a second scheme.
inline GUID TestScheme(unsigned char n) {
    GUID scheme = {0x11111111u * n, 0x2222, 0x3333, {n, 1, 2, 3, 4, 5, 6, 7}};
    return scheme;
}

class FakePowerSystem : public PowerHoldSystem {
public:
    // What the fake answers.
    bool keyOpens = true;
    bool hasScreenSaveValue = true;
    std::wstring screenSaveValue = L"1";
    bool systemSaysActive = true;
    DWORD screenSaverError = 0;  // nonzero: SetScreenSaverActive fails with it
    bool suspendAllowed = true;
    bool hibernateAllowed = true;
    unsigned char batteryFlag = 0x01;
    DWORD powerStatusError = 0;
    // Active scheme per PowerGetActiveScheme call (the last one repeats); an error code
    // per call (0 = success, missing entries succeed).
    std::vector<GUID> activeSchemes = {TestScheme(1)};
    std::vector<DWORD> activeSchemeErrors;
    DWORD timeouts[6] = {600, 1800, 3600, 300, 900, 1200};
    std::map<int, DWORD> readErrors;   // row -> code
    std::map<int, DWORD> writeErrors;  // row -> code
    // As a machine does: what is switched and written is read back afterwards.
    bool keepsWhatIsWritten = false;
    // The record of the session's holds, none unless a test gives one.
    HoldRecordAccess* holdRecord = nullptr;

    // What it saw.
    struct Write {
        GUID scheme;
        int row;
        DWORD seconds;
    };
    std::vector<bool> screenSaverSets;         // each SetScreenSaverActive, in order
    std::vector<std::wstring> registryWrites;  // each "ScreenSaveActive" write
    std::vector<int> readRows;
    std::vector<Write> writes;
    std::vector<GUID> applied;  // each SetActiveScheme
    int activeSchemeCalls = 0;
    int systemQueries = 0;
    bool keyClosed = false;

    SystemCallResult SetScreenSaverActive(bool active) override {
        screenSaverSets.push_back(active);
        if (keepsWhatIsWritten && !screenSaverError) {
            hasScreenSaveValue = true;
            screenSaveValue = active ? L"1" : L"0";
        }
        SystemCallResult result;
        if (screenSaverError) {
            result.ok = false;
            result.error = screenSaverError;
        }
        return result;
    }
    bool IsScreenSaverActive() override {
        ++systemQueries;
        return systemSaysActive;
    }
    bool OpenDesktopKey() override { return keyOpens; }
    LONG ReadDesktopText(const wchar_t* name, std::wstring* text) override {
        if (!keyOpens) return ERROR_INVALID_HANDLE;
        if (std::wstring(name) != L"ScreenSaveActive" || !hasScreenSaveValue) return ERROR_FILE_NOT_FOUND;
        *text = screenSaveValue;
        return ERROR_SUCCESS;
    }
    LONG WriteDesktopText(const wchar_t* name, const std::wstring& text) override {
        registryWrites.push_back(std::wstring(name) + L"=" + text);
        return ERROR_SUCCESS;
    }
    void CloseDesktopKey() override { keyClosed = true; }
    bool IsSuspendAllowed() override { return suspendAllowed; }
    bool IsHibernateAllowed() override { return hibernateAllowed; }
    SystemCallResult GetBatteryFlag(unsigned char* flag) override {
        SystemCallResult result;
        if (powerStatusError) {
            result.ok = false;
            result.error = powerStatusError;
            *flag = 0;
            return result;
        }
        *flag = batteryFlag;
        return result;
    }
    DWORD GetActiveScheme(GUID* scheme) override {
        size_t call = static_cast<size_t>(activeSchemeCalls++);
        if (call < activeSchemeErrors.size() && activeSchemeErrors[call] != 0) return activeSchemeErrors[call];
        *scheme = activeSchemes[call < activeSchemes.size() ? call : activeSchemes.size() - 1];
        return 0;
    }
    DWORD ReadTimeout(const GUID&, int row, DWORD* seconds) override {
        readRows.push_back(row);
        auto error = readErrors.find(row);
        if (error != readErrors.end()) return error->second;
        *seconds = timeouts[row];
        return 0;
    }
    DWORD WriteTimeout(const GUID& scheme, int row, DWORD seconds) override {
        writes.push_back({scheme, row, seconds});
        if (keepsWhatIsWritten && !writeErrors.count(row)) timeouts[row] = seconds;
        auto error = writeErrors.find(row);
        return error != writeErrors.end() ? error->second : 0;
    }
    DWORD SetActiveScheme(const GUID& scheme) override {
        applied.push_back(scheme);
        return 0;
    }
    HoldRecordAccess* HoldRecord() override { return holdRecord; }
};

// The session's record of holds in memory: the holder a new hold takes is given by the
// test, and so is which holders are alive.
class FakeHoldRecord : public HoldRecordAccess {
public:
    SharedHoldRecord record = {};
    HoldHolder nextSelf = {1, 0, 100};
    std::set<uint32_t> dead;  // process ids of holders that died
    bool available = true;
    int locks = 0;

    HoldHolder Self() override { return nextSelf; }
    bool IsAlive(const HoldHolder& holder) override { return dead.count(holder.processId) == 0; }
    bool WithRecord(const std::function<void(SharedHoldRecord&)>& use) override {
        if (!available) return false;
        ++locks;
        use(record);
        return true;
    }
};
