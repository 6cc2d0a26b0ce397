// Page 110: the mode of the watch and, for the screen mode, a setting saved earlier.
#pragma once

#include <windows.h>

#include "app/handles.h"
#include "app/settings.h"
#include "wizard/wizard.h"

const int kModeIcon = 1101;
const int kModeTitle = 1102;
const int kModeVersion = 1103;
const int kModeDescription = 1104;
const int kModeAuthor = 1105;
const int kModeMail = 1106;
const int kModeHomePage = 1107;
const int kModeScreenRadio = 1109;
const int kModeProcessRadio = 1110;
const int kModeSavedList = 1111;
const int kModeDeleteButton = 1112;
const int kModeCaptureButton = 1113;

// The first entry of the saved-settings list: keep working on the working section.
extern const wchar_t kSameAsLastTime[];  // "前回と同じ"

// The author, mail and home-page lines and what a double click on the last two opens.
struct ModePageLinks {
    WideString author;
    WideString mail;
    WideString homePage;
    WideString mailTarget;
    WideString homePageTarget;
};
// The lines for a program at the given path: a new mail about the program, to whomever
// the user chooses, and the program's own folder.
ModePageLinks MakeModePageLinks(const WideString& programPath);

// The entries of the saved-settings list: "前回と同じ", then every section of the file in
// file order except the working section.
void SavedSettingEntries(const StringList& sections, StringList& entries);
// The section Next works on: the working section in the process mode or with the first
// entry selected, else the selected saved setting.
WideString SectionForMode(int watchMode, int selectedIndex, const WideString& selectedText);

class ModePage {
public:
    explicit ModePage(WizardContext& context);
    ~ModePage();
    ModePage(const ModePage&) = delete;
    ModePage& operator=(const ModePage&) = delete;

    void OnInitDialog(HWND page);
    void OnSetActive();
    int OnWizardNext();
    void OnCommand(int id, int code);
    HBRUSH OnStaticColour(HDC dc, HWND control);
    void OnDestroy();

private:
    void FillSavedList();
    void DeleteSelectedSetting();
    void ShowLastCapture();

    WizardContext& context_;
    HWND page_ = nullptr;
    UniqueGdi<HFONT> titleFont_;
    UniqueGdi<HFONT> versionFont_;
    ModePageLinks links_;
};

INT_PTR CALLBACK ModePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
