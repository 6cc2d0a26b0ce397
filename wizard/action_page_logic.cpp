#include "wizard/action_page_logic.h"

#include "app/message_box.h"

namespace {
const int kParameterBufferSize = 520;
}  // namespace

const wchar_t kNoParameterText[] = L"動作のパラメータが入力されていません";

WideString* ActionParameters::ForKind(int kind) {
    switch (kind) {
    case 0:
        return &play;
    case 1:
        return &command;
    case 2:
        return &winExit;
    default:
        return nullptr;
    }
}

const WideString* ActionParameters::ForKind(int kind) const {
    return const_cast<ActionParameters*>(this)->ForKind(kind);
}

ActionPageSetting ReadActionPageSetting(const SettingSection& section) {
    ActionPageSetting setting;
    setting.watchMode = section.ReadInt(L"WatchMode", 0);
    setting.capture = section.ReadBool(L"Capture", false);
    setting.kind = section.ReadInt(L"Act", 0);
    setting.parameters.play = section.ReadString(L"ParamPlay", kParameterBufferSize, L"");
    setting.parameters.command = section.ReadString(L"ParamCmd", kParameterBufferSize, L"");
    setting.parameters.winExit = section.ReadString(L"ParamWinExit", kParameterBufferSize, L"通常の終了");
    setting.asAdmin = section.ReadBool(L"AsAdmin", false);
    return setting;
}

WideString ParameterLabel(int kind) {
    switch (kind) {
    case 0:
        return L"動作のパラメータ（ファイル名等）";
    case 1:
        return L"動作のパラメータ（ＤＯＳコマンド）";
    case 2:
        return L"動作のパラメータ（強制終了等）";
    default:
        return WideString();
    }
}

KindView ViewOfKind(int kind, const ActionParameters& parameters) {
    KindView view;
    view.canEdit = true;
    view.label = L"動作のパラメータ";
    const WideString* text = parameters.ForKind(kind);
    if (!text) return view;
    view.valid = true;
    view.label = ParameterLabel(kind);
    view.text = *text;
    view.canShowWhole = kind != 2 && !text->IsEmpty();
    view.canTestRun = !text->IsEmpty();
    return view;
}

AsAdminBox AsAdminBoxState(bool canElevate, bool asAdmin) {
    if (!canElevate) return {false, false};
    return {true, asAdmin};
}

bool StoreActionValues(const ActionPageInput& input, ActionParameters& parameters, const SettingSection& section,
                       HWND owner) {
    if (input.text.IsEmpty()) {
        ShowErrorBox(kNoParameterText, owner);
        return false;
    }
    if (WideString* field = parameters.ForKind(input.kind)) *field = input.text;
    // The first write that fails has shown why and stops the store: the page stays.
    return section.WriteBool(L"Capture", input.capture) && section.WriteInt(L"Act", input.kind) &&
           section.WriteString(L"ParamPlay", parameters.play) && section.WriteString(L"ParamCmd", parameters.command) &&
           section.WriteString(L"ParamWinExit", parameters.winExit) && section.WriteBool(L"AsAdmin", input.asAdmin);
}
