// What the action page (170) shows and stores: the parameter texts of the three kinds,
// the label and the buttons of a kind, the elevated box, and the keys written when the page
// is stored.
#pragma once

#include <windows.h>

#include "app/settings.h"
#include "app/wide_string.h"

const int kActionKindCount = 3;

// The parameter texts of the three kinds, all kept at once so that switching kinds shows
// each kind's own text and storing writes all three.
struct ActionParameters {
    WideString play;
    WideString command;
    WideString winExit;
    // The text of a kind; nullptr for a value outside 0..2.
    WideString* ForKind(int kind);
    const WideString* ForKind(int kind) const;
};

// What the page reads from the section at activation.
struct ActionPageSetting {
    int watchMode = 0;
    bool capture = false;
    int kind = 0;
    ActionParameters parameters;
    bool asAdmin = false;
};
// WatchMode (0), Capture (0), Act (0), ParamPlay, ParamCmd (empty), ParamWinExit
// ("通常の終了"), AsAdmin (0); the texts with a buffer of 520 characters.
ActionPageSetting ReadActionPageSetting(const SettingSection& section);

// The label of the parameter box for a kind; the empty text for another value.
WideString ParameterLabel(int kind);

// What showing a kind does to the page.
struct KindView {
    bool valid = false;         // a kind 0..2; another value is "illegal Action"
    WideString label;           // 1706
    WideString text;            // 1707
    bool canEdit = false;       // 1710
    bool canShowWhole = false;  // 1711: kinds 0 and 1 with a text
    bool canTestRun = false;    // 1708: a text to run
};
// Another value shows the plain label "動作のパラメータ" and no text: storing then refuses
// instead of writing a kind of -1 with a text left over from another section.
KindView ViewOfKind(int kind, const ActionParameters& parameters);

// The box "管理者として実行" (1709): usable and set from AsAdmin only when the program can
// be elevated; otherwise disabled and clear, so AsAdmin is stored as 0.
struct AsAdminBox {
    bool enabled;
    bool checked;
};
AsAdminBox AsAdminBoxState(bool canElevate, bool asAdmin);

// The page's controls at the moment it is stored.
struct ActionPageInput {
    bool capture = false;
    int kind = -1;  // index of the checked radio button, -1 for none
    WideString text;
    bool asAdmin = false;
};

extern const wchar_t kNoParameterText[];  // "動作のパラメータが入力されていません"

// Stores the page: an empty text shows kNoParameterText (owned by owner) and writes
// nothing (false). Otherwise the text becomes the checked kind's parameter and Capture,
// Act, ParamPlay, ParamCmd, ParamWinExit and AsAdmin are written in this order: true when
// all were written, false at the first write that failed (its box has been shown).
bool StoreActionValues(const ActionPageInput& input, ActionParameters& parameters, const SettingSection& section,
                       HWND owner);
