// Dialog 150: the threads of a process with their top-level windows and the windows'
// children, from which the user picks the window whose text is watched.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "app/handles.h"

const int kWindowTreeDialog = 150;
const int kWindowTree = 1501;
const int kWindowTreeCancel = 1502;
const int kWindowTreeOk = 1503;

class WindowTreeDialog {
public:
    // owner: the wizard sheet; initialWindow: the window chosen so far (0 for none).
    WindowTreeDialog(HWND owner, int processId, HWND initialWindow);
    ~WindowTreeDialog();
    WindowTreeDialog(const WindowTreeDialog&) = delete;
    WindowTreeDialog& operator=(const WindowTreeDialog&) = delete;

    // Shows the dialog; the chosen window after OK, 0 after Cancel or closing.
    HWND Run();

    // Dialog messages.
    void OnInitDialog(HWND dialog);
    // OK only for a visible window larger than 4 pixels.
    void ApplyOkRule();
    // Grey text for the windows that cannot be chosen.
    LRESULT OnCustomDraw(NMTVCUSTOMDRAW& draw);
    HWND SelectedWindow() const;
    void OnDestroy();

private:
    void Fill();

    HWND owner_;
    int processId_;
    HWND initialWindow_;
    HWND window_ = nullptr;
    HWND tree_ = nullptr;
    UniqueImageList imageList_;
    HTREEITEM initialItem_ = nullptr;
};

// Shows the window tree of the process; the chosen window after OK, 0 otherwise (Cancel
// also forgets the window chosen before).
HWND ChooseWatchedWindow(HWND owner, int processId, HWND currentWindow);
