// Decisions of start-up that depend on texts only.
#pragma once

#include "app/portable_types.h"
#include "app/wide_string.h"

enum class Road { RunSetting, PerformAction, Wizard, Refused };

struct RoadChoice {
    Road road;
    WideString sectionName;  // the text after "#" or "*"
};

// "#" runs a setting, "*" performs its action, the empty text opens the wizard; anything
// else is refused. The argument text is expected trimmed.
RoadChoice ChooseRoad(const WideString& argumentText);

// The text in upper case by the system's case table, whatever the locale: two section
// names that the settings file takes for one give the same text. Defined beside the
// system's calls (app/section_case.cpp).
WideString UpperCaseAsSectionNames(const WideString& text);

// "Tollerup " followed by the argument text in upper case, since the settings file
// compares section names without regard to case. Backslashes (which a kernel object name
// cannot hold) and percent signs are written as %5C and %25; a name too long for the
// system keeps its start and ends in a hash of the whole argument text.
WideString SingleInstanceMutexName(const WideString& argumentText);

// The single-instance check, one step at a time, from the system's answers: whether the
// call gave a handle and, when it did not (or, for CreateMutexW, also when it did), its
// GetLastError code.
enum class InstanceAnswer {
    AlreadyRunning,  // another instance holds the name: refuse this one
    TryToCreate,     // nobody holds it yet: create it
    Owned,           // created: this instance owns the name
    CreateFailed,    // the name could not be made for another reason: report and go on
};
// OpenMutexW: a mutex that opens, or one that exists but refuses this process (an
// elevated instance's mutex refuses an ordinary one), means another instance runs.
InstanceAnswer AnswerToOpen(bool opened, DWORD error);
// CreateMutexW: an existing mutex (made between the two calls, or one this process may
// not touch) means another instance runs.
InstanceAnswer AnswerToCreate(bool created, DWORD error);

// The settings or capture path: the folder, a backslash unless the folder is a drive
// root, then the file name.
WideString FileInFolder(const WideString& folder, const wchar_t* fileName);

// Whether this process could be elevated: its token is limited (ElevationState 2). The
// action page offers the administrator box only then.
bool CanElevate(int elevation);

// Whether a setting that asks to run as administrator ("AsAdmin") is started again
// elevated: only when this process could be elevated.
bool ShouldRelaunchElevated(bool asAdmin, int elevation);

// The argument texts of the two roads of a saved setting: "#" and the name runs it (the
// shortcut and the elevated start after the wizard), "*" and the name performs its action
// at once (the elevated test run). The name is passed as it is, blanks and all.
WideString RunSettingArgument(const WideString& sectionName);
WideString PerformActionArgument(const WideString& sectionName);

// What start-up does with a setting about to be watched: start the program again
// elevated with the argument text ("#" and the section name; the elevated instance then
// runs the setting), or run it in this process (arguments empty).
struct RelaunchDecision {
    bool relaunch = false;
    WideString arguments;
};
RelaunchDecision DecideRelaunch(bool asAdmin, int elevation, const WideString& sectionName);

// Whether this build refuses to run where it finds itself: the 32-bit build under WOW64
// (on 64-bit Windows, where the 64-bit program is to be used).
bool RefusesToRun(bool thirtyTwoBitBuild, bool underWow64);
// The box of that refusal.
extern const wchar_t kStartTheOtherProgramText[];

// The private-profile functions take a path of at most MAX_PATH characters with its
// terminating zero: a settings path that does not fit refuses the start.
bool SettingsPathFits(const WideString& settingsPath);
extern const wchar_t kFolderTooLongText[];  // "フォルダのパスが長すぎます"

// What starting the program elevated ("runas") came to, from ShellExecuteExW's result and
// its error code: the user may decline the elevation (ERROR_CANCELLED), which is no failure.
enum class ElevatedStart { Started, Declined, Failed };
ElevatedStart ElevatedStartOutcome(bool executed, unsigned long error);
// The exit code of an instance that hands its watch to an elevated one: 1 when that start
// failed, so that nobody takes the end of this instance for a watch that runs.
int HandOverExitCode(ElevatedStart outcome);
