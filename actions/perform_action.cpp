#include "actions/action.h"
#include "actions/action_text.h"
#include "actions/command.h"
#include "actions/media.h"
#include "actions/windows_exit.h"
#include "app/message_box.h"
#include "res/resource.h"

namespace {
// The first buffer holds every text an action takes, and a character more, so that a
// longer text shows as longer.
const int kFirstBufferSize = kActionTextLimit + 2;
// The private-profile functions hold no longer value than this.
const int kLargestBufferSize = 65536;

const wchar_t* ParameterKey(int kind) {
    switch (kind) {
    case static_cast<int>(ActionKind::PlayMedia):
        return L"ParamPlay";
    case static_cast<int>(ActionKind::RunCommand):
        return L"ParamCmd";
    case static_cast<int>(ActionKind::ExitWindows):
        return L"ParamWinExit";
    default:
        return nullptr;
    }
}
}  // namespace

WideString ReadActionParameter(int kind, const SettingSection& section) {
    const wchar_t* key = ParameterKey(kind);
    if (!key) return WideString();
    // A read that fills the buffer may have been cut: read again with room to spare.
    for (int size = kFirstBufferSize;; size *= 2) {
        WideString text = section.ReadString(key, size, L"");
        if (text.Length() < size - 1 || size >= kLargestBufferSize) return text;
    }
}

void PerformAction(const SettingSection& section) {
    int kind = section.ReadInt(L"Act", 0);
    WideString text = ReadActionParameter(kind, section);
    if (ActionTextTooLong(text)) {
        ShowErrorBox(kActionTextTooLongText);
        return;
    }
    switch (kind) {
    case static_cast<int>(ActionKind::PlayMedia):
        PlayMedia(text);
        break;
    case static_cast<int>(ActionKind::RunCommand):
        RunCommand(nullptr, text);
        break;
    case static_cast<int>(ActionKind::ExitWindows):
        EndWindows(IDI_APP, text);
        break;
    default:
        break;  // any other kind performs nothing
    }
}
