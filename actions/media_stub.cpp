// Stands in for the media action until it is built: says so and does nothing.
#include "actions/media.h"
#include "app/message_box.h"

bool PlayMedia(const WideString&) {
    ShowErrorBox(L"メディアの再生はこの版ではまだ使えません");
    return false;
}
