// The countdown before the Windows exit: dialog 9500 with a bar that shrinks once a
// second, "即実行" to proceed at once and "キャンセル" (or the close box) to give up.
#pragma once

#include <windows.h>

#include "app/wide_string.h"

const int kCountdownDialogId = 9500;
const int kCountdownTotalLabelId = 9501;
const int kCountdownBarId = 9502;
const int kCountdownRunNowId = 9503;
const int kCountdownCancelId = 9504;

// The seconds left, counted down by the dialog's timer.
class CountdownClock {
public:
    explicit CountdownClock(int seconds) : remaining_(seconds) {}
    int Remaining() const { return remaining_; }
    // One tick of the timer: one second less. True when no time is left.
    bool Tick() {
        --remaining_;
        return remaining_ <= 0;
    }

private:
    int remaining_;
};

// The number followed by "秒".
WideString SecondsText(int seconds);

// Shows the dialog modally with the icon, the title and the time. Returns 1 to proceed
// (time out or "即実行") and 0 to cancel ("キャンセル", the close box, or a dialog that
// could not be shown).
int RunCountdown(HWND owner, int iconId, const WideString& title, int seconds);
