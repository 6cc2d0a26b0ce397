// Drives the program's setup wizard and its dialogs as a person would: the sheet's
// buttons, the current page and its controls, combo boxes, check boxes and edits.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "driver/driver.h"

namespace e2e {

// Ids of the sheet's own buttons.
const int kSheetBack = 0x3023;
const int kSheetNext = 0x3024;
const int kSheetFinish = 0x3025;
const int kSheetCancel = IDCANCEL;

// The wizard sheet of a running program.
class Wizard {
public:
    Wizard() = default;
    explicit Wizard(HWND sheet) : sheet_(sheet) {}
    // The program's wizard: a top-level dialog that holds pages.
    static Wizard WaitFor(const Program& program, DWORD timeoutMs);

    HWND Sheet() const { return sheet_; }
    explicit operator bool() const { return sheet_ != nullptr; }
    std::wstring Caption() const { return WindowText(sheet_); }

    HWND CurrentPage() const;
    // Template id of the page shown (110, 120, ...), 0 when none.
    int CurrentPageId() const;
    // Waits until the page is shown (and its activation has been handled).
    bool WaitForPage(int templateId, DWORD timeoutMs) const;
    // A control of the current page.
    HWND Control(int id) const;

    // A sheet button that is visible and enabled.
    bool IsButtonEnabled(int buttonId) const;
    // Waits until the enabled sheet buttons among Back, Next and Finish are exactly these.
    bool WaitForButtons(bool back, bool next, bool finish, DWORD timeoutMs) const;
    // Presses Back, Next, Finish or Cancel as a user would: false when the button is not
    // there or stays disabled for two seconds. Does not wait for the sheet to act on it.
    bool Press(int buttonId) const;

private:
    HWND sheet_ = nullptr;
};

// Clicks a button, check box or radio button (posted BM_CLICK); false at once when the
// control is missing, hidden or disabled.
bool Click(HWND control);
bool IsChecked(HWND button);
bool IsEnabled(HWND control);
// The entries of a combo box and the selected index.
std::vector<std::wstring> ComboItems(HWND combo);
int ComboSelection(HWND combo);
// Chooses an entry as a user does: the selection changes and the owner hears
// CBN_SELCHANGE. False when the control is disabled or the index is out of range.
bool ChooseComboItem(HWND combo, int index);
// Replaces an edit's text (WM_SETTEXT, which also sends EN_CHANGE).
bool TypeText(HWND edit, const std::wstring& text);

// A top-level window of the program with this caption that is enabled (a modal dialog
// or the sheet once its modal dialog has closed).
HWND WaitForDialog(const Program& program, const std::wstring& caption, DWORD timeoutMs);
// Waits until the window is disabled (it owns a modal dialog) or enabled again.
bool WaitForEnabled(HWND window, bool enabled, DWORD timeoutMs);

}  // namespace e2e
