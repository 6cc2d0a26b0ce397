// Stands in for the Windows-exit action until it is built: says so and does nothing.
#include "actions/windows_exit.h"
#include "app/message_box.h"

int EndWindows(int, const WideString&) {
    ShowErrorBox(L"Windowsの終了はこの版ではまだ使えません");
    return 0;
}
