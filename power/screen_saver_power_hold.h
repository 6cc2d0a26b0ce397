// Holds off the screen saver and the power time-outs for the life of a screen watch.
// Several watches of one session may hold at once: they share one record (see
// power/shared_hold.h), and the user's own values come back when the last hold ends.
#pragma once

#include "app/wide_string.h"
#include "power/power_hold_system.h"
#include "power/power_scheme_access.h"
#include "power/power_timeouts.h"
#include "power/screen_saver_switch.h"
#include "power/shared_hold.h"

class ScreenSaverPowerHold {
public:
    // Reads the time-outs of the active scheme in every case. With hold on it joins the
    // holds of the session: the first one saves the user's values, switches the screen
    // saver off and sets the time-outs to never; a later one finds them saved and changes
    // nothing.
    ScreenSaverPowerHold(bool hold, PowerHoldSystem& system);
    // Ends the hold if it is still in force; then the desktop key is closed.
    ~ScreenSaverPowerHold();
    ScreenSaverPowerHold(const ScreenSaverPowerHold&) = delete;
    ScreenSaverPowerHold& operator=(const ScreenSaverPowerHold&) = delete;

    // With hold on: leaves the holds of the session; the last one puts the screen saver
    // and the time-outs back to the user's values. Once only: later calls and the
    // destruction do nothing more.
    void End();

    bool Holds() const { return hold_; }
    // The user's time-outs: as read here, or as the first hold of the session saved them.
    const PowerTimeouts& SavedTimeouts() const { return saved_; }
    const PowerCapabilities& Capabilities() const { return power_.Capabilities(); }
    // The one-line summary of the saved time-outs.
    WideString SavedSettingsText() const;

private:
    void SwitchOff();
    void RestoreUserValues();

    bool hold_;
    bool ended_ = false;
    ScreenSaverSwitch switch_;  // made first, closed last
    PowerSchemeAccess power_;
    PowerTimeouts saved_;
    bool screenSaverWasActive_ = true;
    HoldRecordAccess* record_ = nullptr;  // null: the hold acts alone
    HoldHolder self_ = {};
};
