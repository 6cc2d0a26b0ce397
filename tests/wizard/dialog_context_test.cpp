// The object a dialog procedure works for, kept in the dialog window itself.
#include <gtest/gtest.h>

#include "wizard/dialog_helpers.h"

namespace {

struct Seen {
    int atInit = 0;  // WM_INITDIALOG messages that found this object
    int later = 0;   // WM_APP messages that found it
};

template <bool isPage>
INT_PTR CALLBACK ProbeProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    Seen* seen = isPage ? PageContext<Seen>(dialog, message, lParam) : DialogContext<Seen>(dialog, message, lParam);
    if (!seen) return FALSE;
    if (message == WM_INITDIALOG) ++seen->atInit;
    if (message == WM_APP) ++seen->later;
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// An empty dialog: no menu, class, title or controls.
struct alignas(4) EmptyTemplate {
    DLGTEMPLATE header = {WS_POPUP, 0, 0, 0, 0, 100, 50};
    WORD menu = 0, windowClass = 0, title = 0;
};

HWND OpenProbe(DLGPROC procedure, LPARAM init) {
    static const EmptyTemplate kTemplate;
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &kTemplate.header, nullptr, procedure, init);
}

}  // namespace

TEST(DialogContext, TwoDialogsAtOnceEachKeepTheObjectTheyWereGiven) {
    Seen first, second;
    HWND a = OpenProbe(ProbeProc<false>, reinterpret_cast<LPARAM>(&first));
    HWND b = OpenProbe(ProbeProc<false>, reinterpret_cast<LPARAM>(&second));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    SendMessageW(a, WM_APP, 0, 0);
    SendMessageW(a, WM_APP, 0, 0);
    SendMessageW(b, WM_APP, 0, 0);
    EXPECT_EQ(first.atInit, 1);
    EXPECT_EQ(first.later, 2);
    EXPECT_EQ(second.atInit, 1);
    EXPECT_EQ(second.later, 1);
    DestroyWindow(a);
    DestroyWindow(b);
}

TEST(DialogContext, APageTakesTheObjectFromItsSheetPageDescription) {
    Seen seen;
    PROPSHEETPAGEW description = {};
    description.dwSize = sizeof(description);
    description.lParam = reinterpret_cast<LPARAM>(&seen);
    HWND page = OpenProbe(ProbeProc<true>, reinterpret_cast<LPARAM>(&description));
    ASSERT_NE(page, nullptr);
    SendMessageW(page, WM_APP, 0, 0);
    EXPECT_EQ(seen.atInit, 1);
    EXPECT_EQ(seen.later, 1);
    DestroyWindow(page);
}
