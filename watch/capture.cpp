#include "watch/capture.h"

#include "app/message_box.h"

void CaptureDesktop(const SettingSection&, const RECT&, const WideString&) {
    ShowErrorBox(L"画像キャプチャーはこの版ではまだ使えません");
}
