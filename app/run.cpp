#include "app/run.h"

#include "app/message_box.h"

WatchResult RunWatch(SettingSection&) {
    ShowErrorBox(L"監視はこの版ではまだ使えません");
    return WatchResult::Cancelled;
}
