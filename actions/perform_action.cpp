#include "actions/action.h"
#include "actions/command.h"
#include "actions/media.h"
#include "actions/windows_exit.h"
#include "res/resource.h"

namespace {
// Parameter texts are read with a buffer of 520 characters.
const int kParameterBufferSize = 520;

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
    return section.ReadString(key, kParameterBufferSize, L"");
}

void PerformAction(const SettingSection& section) {
    int kind = section.ReadInt(L"Act", 0);
    WideString text = ReadActionParameter(kind, section);
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
