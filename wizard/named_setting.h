// Saving the setting being edited under a name of the user's, with a desktop shortcut that
// starts it with "#" and the name.
#pragma once

#include <windows.h>

#include "app/settings.h"
#include "app/wide_string.h"
#include "wizard/action_page_logic.h"

extern const wchar_t kSaveSettingTitle[];  // "監視・実行パラメーターの保存とショートカットの作成"
extern const wchar_t kSaveSettingPrompt[];  // "設定名を指定してください"

// The name the prompt proposes: the section's own name, empty for the working section.
WideString ProposedSettingName(const WideString& sectionName);
// A name the settings file would take for the working section: "Tollerup" in any case of
// its letters, with or without blanks around it (section names are compared that way).
bool IsWorkingSectionAlias(const WideString& name);
// A name that can be a file name on the desktop: not empty, none of \ / : * ? " < > | or
// control characters, not "." or "..".
bool CanNameShortcutFile(const WideString& name);

// The shortcut of a named setting. It starts the program in the folder of the settings
// file that holds the setting, wherever the program itself lies: the program looks for
// "TLR.ini" in its current folder.
struct ShortcutPlan {
    WideString linkPath;          // the desktop folder joined with the name and ".lnk"
    WideString arguments;         // "#" and the name, without quotes
    WideString workingDirectory;  // the settings file's folder; "C:\" for a file at a drive root
};
ShortcutPlan PlanShortcut(const WideString& settingsPath, const WideString& desktopFolder, const WideString& name);

// " を置き換えますか" after the link path.
WideString ReplaceShortcutQuestion(const WideString& linkPath);
// The box shown when the shortcut could not be written.
WideString ShortcutFailedText(const WideString& linkPath);

// What saving needs from the system beyond the settings file and the message boxes.
class NamedSaveSystem {
public:
    virtual ~NamedSaveSystem() = default;
    // The name prompt (dialog 9100) with the proposed name; false on Cancel.
    virtual bool AskName(WideString& name) = 0;
    // The section now has this name: the page shows it.
    virtual void ShowSettingName(const WideString& name) = 0;
    // The desktop folder; empty when it could not be found (the failure has been shown).
    virtual WideString DesktopFolder() = 0;
    virtual bool CreateShortcut(const WideString& programPath, const WideString& linkPath, const WideString& arguments,
                                const WideString& workingDirectory) = 0;
};

// Everything the save needs from the page.
struct NamedSaveRequest {
    int watchMode = 0;
    ActionPageInput input;
    WideString programPath;  // the program's own file, full path
    HWND owner = nullptr;
};

// Saves under a name: refuses an empty parameter and the working section's name, copies
// WatchMode, SSHold and the screen rectangle into the named section and stores the page
// there. Only when every key was written does the named section become the one being
// edited; a write that fails (its box shown) leaves the page on the section it had, with
// no shortcut. Then, when the user wants it, it writes the desktop shortcut (asking before
// replacing one). A shortcut that cannot be written is reported; the section stays written.
void SaveSettingUnderName(const NamedSaveRequest& request, SettingSection& section, ActionParameters& parameters,
                          NamedSaveSystem& system);
