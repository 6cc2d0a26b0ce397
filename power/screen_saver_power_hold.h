// Holds off the screen saver and the power time-outs for the life of a screen watch.
#pragma once

#include "app/wide_string.h"
#include "power/power_hold_system.h"
#include "power/power_scheme_access.h"
#include "power/power_timeouts.h"
#include "power/screen_saver_switch.h"

class ScreenSaverPowerHold {
public:
    // Reads the time-outs of the active scheme in every case; with hold on it also
    // switches the screen saver off and sets the time-outs to never.
    ScreenSaverPowerHold(bool hold, PowerHoldSystem& system);
    // Ends the hold if it is still in force; then the desktop key is closed.
    ~ScreenSaverPowerHold();
    ScreenSaverPowerHold(const ScreenSaverPowerHold&) = delete;
    ScreenSaverPowerHold& operator=(const ScreenSaverPowerHold&) = delete;

    // With hold on: the screen saver back to its earlier state and the saved time-outs
    // back into their scheme. Once only: later calls and the destruction do nothing more.
    void End();

    bool Holds() const { return hold_; }
    const PowerTimeouts& SavedTimeouts() const { return saved_; }
    const PowerCapabilities& Capabilities() const { return power_.Capabilities(); }
    // The one-line summary of the saved time-outs.
    WideString SavedSettingsText() const;

private:
    bool hold_;
    bool ended_ = false;
    ScreenSaverSwitch switch_;  // made first, closed last
    PowerSchemeAccess power_;
    PowerTimeouts saved_;
};
