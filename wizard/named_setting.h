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

// The shortcut of a named setting.
struct ShortcutPlan {
    WideString linkPath;          // the desktop folder joined with the name and ".lnk"
    WideString arguments;         // "#" and the name, without quotes
    WideString workingDirectory;  // the program's folder
};
// The folder of the (unquoted) program path; "C:\" for a program at a drive root.
WideString ShortcutWorkingDirectory(const WideString& programPath);
ShortcutPlan PlanShortcut(const WideString& programPath, const WideString& desktopFolder, const WideString& name);

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
    virtual bool CreateShortcut(const WideString& programPath, const WideString& linkPath,
                                const WideString& arguments) = 0;
};

// Everything the save needs from the page.
struct NamedSaveRequest {
    int watchMode = 0;
    ActionPageInput input;
    WideString programPath;
    HWND owner = nullptr;
};

// Saves under a name: refuses an empty parameter and the working section's name, copies
// WatchMode, SSHold and the screen rectangle into the named section, makes it the
// section being edited, stores the page there, and then, when the user wants it, writes
// the desktop shortcut (asking before replacing one). A shortcut that cannot be written is
// reported; the section stays written.
void SaveSettingUnderName(const NamedSaveRequest& request, SettingSection& section, ActionParameters& parameters,
                          NamedSaveSystem& system);
