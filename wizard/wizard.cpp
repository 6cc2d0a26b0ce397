#include "wizard/wizard.h"

#include <commctrl.h>
#include <prsht.h>

#include "app/message_box.h"
#include "app/message_loop.h"
#include "app/system_info.h"
#include "res/resource.h"
#include "wizard/action_page.h"
#include "wizard/conditions_page.h"
#include "wizard/mode_page.h"
#include "wizard/process_page.h"
#include "wizard/range_page.h"
#include "wizard/wizard_logic.h"

namespace {

// A page's template, its procedure and the object the procedure works for.
struct PageBinding {
    int templateId;
    DLGPROC procedure;
    void* page;
};

const PageBinding* FindPage(const PageBinding* bindings, int count, int templateId) {
    for (int i = 0; i < count; ++i) {
        if (bindings[i].templateId == templateId) return &bindings[i];
    }
    return nullptr;
}

}  // namespace

int RunWizard(WizardContext& context) {
    // Each page is handed its object through the page's lParam; the objects outlive the sheet.
    ModePage modePage(context);
    ScreenRangePage rangePage(context);
    ProcessSelectionPage processPage(context);
    ProcessConditionsPage conditionsPage(context);
    ActionPage actionPage(context);
    const PageBinding bindings[] = {
        {kModePageId, ModePageProc, &modePage},          {kRangePageId, RangePageProc, &rangePage},
        {kProcessPageId, ProcessPageProc, &processPage}, {kConditionsPageId, ConditionsPageProc, &conditionsPage},
        {kActionPageId, ActionPageProc, &actionPage},
    };
    const int bindingCount = static_cast<int>(sizeof(bindings) / sizeof(bindings[0]));

    WideString titles[kWizardPageCount];
    PROPSHEETPAGEW pages[kWizardPageCount] = {};
    for (int i = 0; i < kWizardPageCount; ++i) {
        int id = kWizardPageOrder[i];
        titles[i] = WizardPageTitle(id, context.elevation);
        pages[i].dwSize = sizeof(PROPSHEETPAGEW);
        pages[i].dwFlags = PSP_USETITLE;
        pages[i].hInstance = AppInstance();
        pages[i].pszTemplate = MAKEINTRESOURCEW(id);
        const PageBinding* binding = FindPage(bindings, bindingCount, id);
        pages[i].pfnDlgProc = binding ? binding->procedure : nullptr;
        pages[i].lParam = binding ? reinterpret_cast<LPARAM>(binding->page) : 0;
        pages[i].pszTitle = titles[i].c_str();
    }

    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USEICONID | PSH_WIZARD | PSH_NOAPPLYNOW | PSH_MODELESS;
    header.hwndParent = nullptr;
    header.hInstance = AppInstance();
    header.pszIcon = MAKEINTRESOURCEW(IDI_APP);
    header.pszCaption = L"";
    header.nPages = kWizardPageCount;
    header.nStartPage = 0;
    header.ppsp = pages;

    HWND sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    if (!sheet || sheet == reinterpret_cast<HWND>(-1)) {
        ReportLastError(FALSE, "PropertySheet");
        return 0;
    }
    ShowWindow(sheet, SW_SHOWNORMAL);
    UpdateWindow(sheet);
    int code = static_cast<int>(RunMessageLoop(sheet));
    ReportLastError(DestroyWindow(sheet), "DestroyWindow");
    return code;
}
