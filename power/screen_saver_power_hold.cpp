#include "power/screen_saver_power_hold.h"

ScreenSaverPowerHold::ScreenSaverPowerHold(bool hold, PowerHoldSystem& system)
    : hold_(hold), switch_(hold, system), power_(system) {
    saved_ = power_.ReadTimeouts();
    if (hold_) power_.ZeroTimeouts(saved_);
}

ScreenSaverPowerHold::~ScreenSaverPowerHold() {
    End();
}

void ScreenSaverPowerHold::End() {
    if (!hold_ || ended_) return;
    ended_ = true;
    switch_.Restore();
    power_.RestoreTimeouts(saved_);
}

WideString ScreenSaverPowerHold::SavedSettingsText() const {
    return ::SavedSettingsText(saved_, power_.Capabilities().hasBattery);
}
