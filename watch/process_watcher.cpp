#include "app/message_box.h"
#include "watch/watchers.h"

WatchResult RunProcessModeWatch(const ProcessWatchSetup&) {
    ShowErrorBox(L"プロセスの監視はこの版ではまだ使えません");
    return WatchResult::Cancelled;
}
