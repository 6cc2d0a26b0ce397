#include "app/message_box.h"
#include "watch/watchers.h"

WatchResult RunScreenModeWatch(const ScreenWatchSetup&) {
    ShowErrorBox(L"画面の監視はこの版ではまだ使えません");
    return WatchResult::Cancelled;
}
