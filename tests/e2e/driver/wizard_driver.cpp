#include "driver/wizard_driver.h"

#include <commctrl.h>
#include <prsht.h>

namespace e2e {

namespace {

BOOL CALLBACK FindPageChild(HWND child, LPARAM param) {
    if (ClassName(child) == L"#32770") {
        *reinterpret_cast<bool*>(param) = true;
        return FALSE;
    }
    return TRUE;
}

bool HoldsPages(HWND window) {
    bool found = false;
    EnumChildWindows(window, FindPageChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

const DWORD kButtonSettleMs = 2000;

int PressIndex(int buttonId) {
    switch (buttonId) {
    case kSheetBack:
        return PSBTN_BACK;
    case kSheetNext:
        return PSBTN_NEXT;
    case kSheetFinish:
        return PSBTN_FINISH;
    case kSheetCancel:
        return PSBTN_CANCEL;
    default:
        return -1;
    }
}

}  // namespace

Wizard Wizard::WaitFor(const Program& program, DWORD timeoutMs) {
    HWND sheet = program.WaitForWindow([](HWND w) { return ClassName(w) == L"#32770" && HoldsPages(w); }, timeoutMs);
    return Wizard(sheet);
}

HWND Wizard::CurrentPage() const {
    DWORD_PTR page = 0;
    if (!SendMessageTimeoutW(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_ABORTIFHUNG, 2000, &page)) return nullptr;
    return reinterpret_cast<HWND>(page);
}

int Wizard::CurrentPageId() const {
    HWND page = CurrentPage();
    if (!page) return 0;
    DWORD_PTR index = 0, id = 0;
    if (!SendMessageTimeoutW(sheet_, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0, SMTO_ABORTIFHUNG, 2000,
                             &index))
        return 0;
    if (static_cast<int>(index) < 0) return 0;
    if (!SendMessageTimeoutW(sheet_, PSM_INDEXTOID, index, 0, SMTO_ABORTIFHUNG, 2000, &id)) return 0;
    return static_cast<int>(id);
}

bool Wizard::WaitForPage(int templateId, DWORD timeoutMs) const {
    bool shown = WaitUntil([&] { return CurrentPageId() == templateId; }, timeoutMs);
    // The page's activation posts the buttons: let the sheet take them.
    if (shown) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(sheet_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    }
    return shown;
}

HWND Wizard::Control(int id) const {
    HWND page = CurrentPage();
    return page ? GetDlgItem(page, id) : nullptr;
}

bool Wizard::IsButtonEnabled(int buttonId) const {
    HWND button = GetDlgItem(sheet_, buttonId);
    return button && IsWindowVisible(button) && IsWindowEnabled(button);
}

bool Wizard::WaitForButtons(bool back, bool next, bool finish, DWORD timeoutMs) const {
    return WaitUntil(
        [&] {
            return IsButtonEnabled(kSheetBack) == back && IsButtonEnabled(kSheetNext) == next &&
                   IsButtonEnabled(kSheetFinish) == finish;
        },
        timeoutMs);
}

bool Wizard::Press(int buttonId) const {
    int index = PressIndex(buttonId);
    if (index < 0) return false;
    // A page posts its buttons to the sheet as it becomes active, so a button may still be
    // on its way to being enabled just after the page came up.
    if (!WaitUntil([&] { return IsButtonEnabled(buttonId); }, kButtonSettleMs)) return false;
    return PostMessageW(sheet_, PSM_PRESSBUTTON, static_cast<WPARAM>(index), 0) != FALSE;
}

bool IsEnabled(HWND control) {
    return control && IsWindowVisible(control) && IsWindowEnabled(control);
}

bool Click(HWND control) {
    if (!IsEnabled(control)) return false;
    return PostMessageW(control, BM_CLICK, 0, 0) != FALSE;
}

bool IsChecked(HWND button) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
    return state == BST_CHECKED;
}

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) continue;
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(wcslen(text.c_str()));
        items.push_back(text);
    }
    return items;
}

int ComboSelection(HWND combo) {
    return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
}

bool ChooseComboItem(HWND combo, int index) {
    if (!IsEnabled(combo)) return false;
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    if (index < 0 || index >= count) return false;
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // What the list sends its owner when the user picks an entry.
    return PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(combo)) != FALSE;
}

bool TypeText(HWND edit, const std::wstring& text) {
    if (!IsEnabled(edit)) return false;
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                               &ignored) != 0;
}

HWND WaitForDialog(const Program& program, const std::wstring& caption, DWORD timeoutMs) {
    return program.WaitForWindow([&](HWND w) { return WindowText(w) == caption && IsWindowEnabled(w); }, timeoutMs);
}

bool WaitForEnabled(HWND window, bool enabled, DWORD timeoutMs) {
    return WaitUntil([&] { return (IsWindowEnabled(window) != FALSE) == enabled; }, timeoutMs);
}

}  // namespace e2e
