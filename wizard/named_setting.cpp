#include "wizard/named_setting.h"

#include "app/message_box.h"
#include "app/paths.h"
#include "app/startup_logic.h"
#include "wizard/wizard_logic.h"

const wchar_t kSaveSettingTitle[] = L"監視・実行パラメーターの保存とショートカットの作成";
const wchar_t kSaveSettingPrompt[] = L"設定名を指定してください";

namespace {

wchar_t AsciiLower(wchar_t ch) {
    return (ch >= L'A' && ch <= L'Z') ? static_cast<wchar_t>(ch - L'A' + L'a') : ch;
}

bool EqualIgnoringAsciiCase(const WideString& a, const WideString& b) {
    if (a.Length() != b.Length()) return false;
    for (int i = 0; i < a.Length(); ++i) {
        if (AsciiLower(a.At(i)) != AsciiLower(b.At(i))) return false;
    }
    return true;
}

}  // namespace

WideString ProposedSettingName(const WideString& sectionName) {
    return IsWorkingSectionName(sectionName) ? WideString() : sectionName;
}

bool IsWorkingSectionAlias(const WideString& name) {
    return EqualIgnoringAsciiCase(name.Trimmed(), WideString(kWorkingSection));
}

bool CanNameShortcutFile(const WideString& name) {
    if (name.IsEmpty() || name == WideString(L".") || name == WideString(L"..")) return false;
    for (int i = 0; i < name.Length(); ++i) {
        wchar_t ch = name.At(i);
        if (ch < 0x20) return false;
        switch (ch) {
        case L'\\':
        case L'/':
        case L':':
        case L'*':
        case L'?':
        case L'"':
        case L'<':
        case L'>':
        case L'|':
            return false;
        default:
            break;
        }
    }
    return true;
}

ShortcutPlan PlanShortcut(const WideString& settingsPath, const WideString& desktopFolder, const WideString& name) {
    ShortcutPlan plan;
    plan.linkPath = JoinPath(desktopFolder, name + L".lnk");
    plan.arguments = RunSettingArgument(name);
    plan.workingDirectory = DirectoryPart(settingsPath);
    return plan;
}

WideString ReplaceShortcutQuestion(const WideString& linkPath) {
    return linkPath + L" を置き換えますか";
}

WideString ShortcutFailedText(const WideString& linkPath) {
    return WideString(L"ショートカットを作成できませんでした（設定は保存されています）\n") + linkPath;
}

void SaveSettingUnderName(const NamedSaveRequest& request, SettingSection& section, ActionParameters& parameters,
                          NamedSaveSystem& system) {
    if (request.input.text.IsEmpty()) {
        ShowErrorBox(L"動作のパラメーターが入力されていません", request.owner);
        return;
    }
    WideString name = ProposedSettingName(section.Section());
    if (!system.AskName(name)) return;
    // Blanks around the name would not survive the command line of the shortcut.
    name = name.Trimmed();
    if (name.IsEmpty()) return;
    if (IsWorkingSectionAlias(name)) {
        ShowErrorBox(L"Tollerup は指定できません", request.owner);
        return;
    }

    bool hold = section.ReadBool(L"SSHold", false);
    int left = section.ReadInt(L"ScrLeft", 0);
    int top = section.ReadInt(L"ScrTop", 0);
    int right = section.ReadInt(L"ScrRight", 0);
    int bottom = section.ReadInt(L"ScrBottom", 0);

    // Written first, switched to after: a setting whose keys the file did not take is
    // neither shown as saved nor edited or started further.
    SettingSection named(section.Path(), name);
    bool written = named.WriteInt(L"WatchMode", request.watchMode) && named.WriteBool(L"SSHold", hold) &&
                   named.WriteInt(L"ScrLeft", left) && named.WriteInt(L"ScrTop", top) &&
                   named.WriteInt(L"ScrRight", right) && named.WriteInt(L"ScrBottom", bottom) &&
                   StoreActionValues(request.input, parameters, named, request.owner);
    if (!written) return;
    section.SetSection(name);
    system.ShowSettingName(name);

    if (ShowQuestionBox(L"ショートカットをデスクトップに作成しますか？", request.owner, MB_YESNO) != IDYES) return;
    WideString desktop = system.DesktopFolder();
    if (desktop.IsEmpty()) return;
    ShortcutPlan plan = PlanShortcut(section.Path(), desktop, name);
    if (!CanNameShortcutFile(name)) {
        ShowErrorBox(ShortcutFailedText(plan.linkPath), request.owner);
        return;
    }
    if (GetFileAttributesW(plan.linkPath.c_str()) != INVALID_FILE_ATTRIBUTES &&
        ShowQuestionBox(ReplaceShortcutQuestion(plan.linkPath), request.owner, MB_YESNO) != IDYES)
        return;
    if (!system.CreateShortcut(request.programPath, plan.linkPath, plan.arguments, plan.workingDirectory))
        ShowErrorBox(ShortcutFailedText(plan.linkPath), request.owner);
}
