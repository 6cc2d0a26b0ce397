// Decisions of start-up that depend on texts only.
#pragma once

#include "app/wide_string.h"

enum class Road { RunSetting, PerformAction, Wizard, Refused };

struct RoadChoice {
    Road road;
    WideString sectionName;  // the text after "#" or "*"
};

// "#" runs a setting, "*" performs its action, the empty text opens the wizard; anything
// else is refused. The argument text is expected trimmed.
RoadChoice ChooseRoad(const WideString& argumentText);

// "Tollerup " followed by the argument text. Backslashes (which a kernel object name
// cannot hold) and percent signs are written as %5C and %25; a name too long for the
// system keeps its start and ends in a hash of the whole argument text.
WideString SingleInstanceMutexName(const WideString& argumentText);

// The settings or capture path: the folder, a backslash unless the folder is a drive
// root, then the file name.
WideString FileInFolder(const WideString& folder, const wchar_t* fileName);

// Whether a setting that asks to run as administrator ("AsAdmin") is started again
// elevated: only when this process could be elevated (ElevationState 2).
bool ShouldRelaunchElevated(bool asAdmin, int elevation);

// The argument texts of the two roads of a saved setting: "#" and the name runs it (the
// shortcut and the elevated start after the wizard), "*" and the name performs its action
// at once (the elevated test run). The name is passed as it is, blanks and all.
WideString RunSettingArgument(const WideString& sectionName);
WideString PerformActionArgument(const WideString& sectionName);
