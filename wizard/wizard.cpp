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

DLGPROC PageProcedure(int templateId) {
    switch (templateId) {
    case kModePageId:
        return ModePageProc;
    case kRangePageId:
        return RangePageProc;
    case kProcessPageId:
        return ProcessPageProc;
    case kConditionsPageId:
        return ConditionsPageProc;
    case kActionPageId:
        return ActionPageProc;
    default:
        return nullptr;
    }
}

}  // namespace

int RunWizard(WizardContext& context) {
    // The pages find their state through these for as long as the sheet exists.
    ModePage modePage(context);
    ScreenRangePage rangePage(context);
    ProcessSelectionPage processPage(context);
    ProcessConditionsPage conditionsPage(context);
    ActionPage actionPage(context);

    WideString titles[kWizardPageCount];
    PROPSHEETPAGEW pages[kWizardPageCount] = {};
    for (int i = 0; i < kWizardPageCount; ++i) {
        int id = kWizardPageOrder[i];
        titles[i] = WizardPageTitle(id, context.elevation);
        pages[i].dwSize = sizeof(PROPSHEETPAGEW);
        pages[i].dwFlags = PSP_USETITLE;
        pages[i].hInstance = AppInstance();
        pages[i].pszTemplate = MAKEINTRESOURCEW(id);
        pages[i].pfnDlgProc = PageProcedure(id);
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
