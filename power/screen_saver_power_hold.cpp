#include "power/screen_saver_power_hold.h"

#include <vector>

#include "app/message_box.h"

namespace {
// While the shared record is locked no box may wait for a person: the other instances
// would wait with it. The error boxes of that time are kept and shown once it is free.
class HeldBackBoxes : public MessageBoxPresenter {
public:
    HeldBackBoxes() { previous_ = SetMessageBoxPresenter(this); }
    ~HeldBackBoxes() override { ShowNow(); }
    HeldBackBoxes(const HeldBackBoxes&) = delete;
    HeldBackBoxes& operator=(const HeldBackBoxes&) = delete;

    int Present(HWND, const WideString& text, UINT) override {
        texts_.push_back(text);
        return IDOK;
    }
    void ShowNow() {
        if (!installed_) return;
        installed_ = false;
        SetMessageBoxPresenter(previous_);
        for (const WideString& text : texts_) ShowErrorBox(text);
        texts_.clear();
    }

private:
    MessageBoxPresenter* previous_ = nullptr;
    bool installed_ = true;
    std::vector<WideString> texts_;
};
}  // namespace

ScreenSaverPowerHold::ScreenSaverPowerHold(bool hold, PowerHoldSystem& system)
    : hold_(hold), switch_(system), power_(system) {
    saved_ = power_.ReadTimeouts();
    if (!hold_) return;
    record_ = system.HoldRecord();
    if (record_) {
        self_ = record_->Self();
        HeldBackBoxes boxes;
        bool joined = record_->WithRecord([this](SharedHoldRecord& record) {
            HoldJoin join =
                JoinHold(record, self_, [this](const HoldHolder& holder) { return record_->IsAlive(holder); });
            if (join == HoldJoin::First) {
                screenSaverWasActive_ = switch_.ReadActive();
                record.saved = MakeSavedValues(screenSaverWasActive_, saved_);
                SwitchOff();
                return;
            }
            // Another watch of the session holds, or held and died: what this one reads
            // now are its zeros, and the user's own values are those it saved.
            screenSaverWasActive_ = record.saved.screenSaverActive != 0;
            saved_ = ::SavedTimeouts(record.saved);
            if (join == HoldJoin::AfterTheDead) SwitchOff();
        });
        if (joined) return;
        record_ = nullptr;
    }
    screenSaverWasActive_ = switch_.ReadActive();
    SwitchOff();
}

ScreenSaverPowerHold::~ScreenSaverPowerHold() {
    End();
}

void ScreenSaverPowerHold::SwitchOff() {
    switch_.SwitchOff(screenSaverWasActive_);
    power_.ZeroTimeouts(saved_);
}

void ScreenSaverPowerHold::RestoreUserValues() {
    // Whichever hold switched them off, the last one puts them back.
    switch_.RestoreTo(screenSaverWasActive_);
    power_.RestoreTimeouts(saved_);
}

void ScreenSaverPowerHold::End() {
    if (!hold_ || ended_) return;
    ended_ = true;
    if (record_) {
        HeldBackBoxes boxes;
        bool left = record_->WithRecord([this](SharedHoldRecord& record) {
            bool last = LeaveHold(record, self_, [this](const HoldHolder& holder) { return record_->IsAlive(holder); });
            if (!last) {
                switch_.LetGo();  // another watch still holds: it puts the values back
                return;
            }
            screenSaverWasActive_ = record.saved.screenSaverActive != 0;
            saved_ = ::SavedTimeouts(record.saved);
            RestoreUserValues();
        });
        if (left) return;
    }
    RestoreUserValues();
}

WideString ScreenSaverPowerHold::SavedSettingsText() const {
    return ::SavedSettingsText(saved_, power_.Capabilities().hasBattery);
}
