// Page 130: the process to watch, chosen from a live list.
#pragma once

#include <windows.h>

#include "wizard/process_list_view.h"
#include "wizard/process_page_logic.h"
#include "wizard/wizard.h"

const int kProcessList = 1301;

class ProcessSelectionPage {
public:
    explicit ProcessSelectionPage(WizardContext& context);
    ~ProcessSelectionPage();
    ProcessSelectionPage(const ProcessSelectionPage&) = delete;
    ProcessSelectionPage& operator=(const ProcessSelectionPage&) = delete;

    WizardContext& Context() { return context_; }

    void OnInitDialog(HWND page);
    void OnSetActive();
    void OnKillActive();
    void OnTimer(UINT_PTR timerId);
    void OnColumnClick(int column);
    void OnDoubleClick();
    void OnGetDispInfo(NMLVDISPINFOW& info) const { view_.OnGetDispInfo(info); }
    // Back and Next while a row is selected, Back alone otherwise.
    void UpdateButtons();
    // The page to go to: 140 with a selected process (after writing it), else stay.
    int OnWizardNext();

private:
    WizardContext& context_;
    HWND page_ = nullptr;
    SystemProcessCatalog catalog_;
    ProcessListModel model_;
    ProcessListView view_;
};

INT_PTR CALLBACK ProcessPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
