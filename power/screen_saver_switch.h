// Switches the screen saver off for a screen watch and puts it back afterwards to the
// state it had before.
#pragma once

#include <windows.h>

#include <string>

#include "power/power_hold_system.h"

// Reads the desktop value "ScreenSaveActive" ("1" on, "0" off). False when the text is
// not a number, so that the caller asks the system instead.
bool ParseScreenSaveActive(const std::wstring& text, bool* active);

class ScreenSaverSwitch {
public:
    // Opens the desktop key. With hold on it notes whether the screen saver is on now
    // (from the desktop value, or from the system when the value is absent) and switches
    // it off.
    ScreenSaverSwitch(bool hold, PowerHoldSystem& system);
    // Puts the screen saver back when it is still switched off, then flushes and closes
    // the desktop key.
    ~ScreenSaverSwitch();
    ScreenSaverSwitch(const ScreenSaverSwitch&) = delete;
    ScreenSaverSwitch& operator=(const ScreenSaverSwitch&) = delete;

    // Back to the state noted when the switch was made; nothing unless switched off.
    void Restore();

    bool Holds() const { return hold_; }
    bool WasActive() const { return wasActive_; }
    // Result of the last registry write (kept, never shown).
    LONG LastResult() const { return lastResult_; }

private:
    void SwitchOff();
    void Switch(bool on);

    bool hold_;
    PowerHoldSystem& system_;
    bool keyOpen_ = false;
    bool wasActive_ = true;
    bool switchedOff_ = false;
    LONG lastResult_ = ERROR_SUCCESS;
};
