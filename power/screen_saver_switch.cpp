#include "power/screen_saver_switch.h"

#include "app/message_box.h"
#include "app/wide_string.h"

namespace {
const wchar_t kScreenSaveActiveValue[] = L"ScreenSaveActive";
// ERROR_OPERATION_IN_PROGRESS, which not every SDK declares.
const DWORD kOperationInProgress = 329;
}  // namespace

bool ParseScreenSaveActive(const std::wstring& text, bool* active) {
    WideString trimmed = WideString(text).Trimmed();
    if (!trimmed.IsDecimal()) return false;
    *active = trimmed.ToInt(0) != 0;
    return true;
}

ScreenSaverSwitch::ScreenSaverSwitch(PowerHoldSystem& system) : system_(system) {
    keyOpen_ = system_.OpenDesktopKey();
}

ScreenSaverSwitch::~ScreenSaverSwitch() {
    Restore();
    system_.CloseDesktopKey();
}

bool ScreenSaverSwitch::ReadActive() {
    std::wstring text;
    bool active = true;
    if (keyOpen_ && system_.ReadDesktopText(kScreenSaveActiveValue, &text) == ERROR_SUCCESS &&
        ParseScreenSaveActive(text, &active))
        return active;
    return system_.IsScreenSaverActive();
}

void ScreenSaverSwitch::SwitchOff(bool earlierActive) {
    wasActive_ = earlierActive;
    SwitchTo(false);
    switchedOff_ = true;
}

void ScreenSaverSwitch::Restore() {
    if (!switchedOff_) return;
    switchedOff_ = false;
    SwitchTo(wasActive_);
}

void ScreenSaverSwitch::RestoreTo(bool active) {
    switchedOff_ = false;
    SwitchTo(active);
}

void ScreenSaverSwitch::SwitchTo(bool on) {
    SystemCallResult result = system_.SetScreenSaverActive(on);
    if (result.ok) return;
    if (result.error == kOperationInProgress) {
        // The system is busy with the setting: store it in the profile directly.
        lastResult_ = keyOpen_ ? system_.WriteDesktopText(kScreenSaveActiveValue, on ? L"1" : L"0")
                               : static_cast<LONG>(ERROR_INVALID_HANDLE);
        return;
    }
    ShowErrorBox(ErrorCodeText(on ? L"SPI_SETSCREENSAVEACTIVE ON" : L"SPI_SETSCREENSAVEACTIVE OFF",
                               static_cast<long>(result.error)));
}
