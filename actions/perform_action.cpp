#include "actions/action.h"
#include "app/message_box.h"

WideString ReadActionParameter(int, const SettingSection&) { return WideString(); }

void PerformAction(const SettingSection&) { ShowErrorBox(L"動作の実行はこの版ではまだ使えません"); }
