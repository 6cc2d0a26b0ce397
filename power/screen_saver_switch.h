// Switches the screen saver off for a screen watch and puts it back afterwards to the
// state the user had before.
#pragma once

#include <windows.h>

#include <string>

#include "power/power_hold_system.h"

// Reads the desktop value "ScreenSaveActive" ("1" on, "0" off). False when the text is
// not a number, so that the caller asks the system instead.
bool ParseScreenSaveActive(const std::wstring& text, bool* active);

class ScreenSaverSwitch {
public:
    // Opens the desktop key; nothing is switched yet.
    explicit ScreenSaverSwitch(PowerHoldSystem& system);
    // Puts the screen saver back when it is still switched off, then flushes and closes
    // the desktop key.
    ~ScreenSaverSwitch();
    ScreenSaverSwitch(const ScreenSaverSwitch&) = delete;
    ScreenSaverSwitch& operator=(const ScreenSaverSwitch&) = delete;

    // Whether the screen saver is on now: from the desktop value, or from the system when
    // the value is absent or unreadable.
    bool ReadActive();
    // Switches the screen saver off; Restore puts it back to the earlier state given.
    void SwitchOff(bool earlierActive);
    // Back to the earlier state; nothing unless switched off.
    void Restore();
    // Back to the given state, whoever switched it off.
    void RestoreTo(bool active);
    // Leaves the screen saver off for another hold to put back.
    void LetGo() { switchedOff_ = false; }

    bool WasActive() const { return wasActive_; }
    // Result of the last registry write (kept, never shown).
    LONG LastResult() const { return lastResult_; }

private:
    void SwitchTo(bool active);

    PowerHoldSystem& system_;
    bool keyOpen_ = false;
    bool wasActive_ = true;
    bool switchedOff_ = false;
    LONG lastResult_ = ERROR_SUCCESS;
};
